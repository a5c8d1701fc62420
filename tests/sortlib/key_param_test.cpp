// ZUVASORTPARAM_SUB through OPEN: what a parameter means (seen in
// MAX_KEY_AREA and the order it gives) and what it rejects.

#include "fixture.h"

namespace sortlib_test {
namespace {

const std::vector<std::string> kRecords = {"B1x", "A2y", "B0x", "A1z", "a3y"};

// MAX_KEY_AREA after OPEN and the order of kRecords, or the status of OPEN.
struct Outcome {
  std::int32_t open;
  std::int32_t area;
  std::vector<std::string> order;
};

Outcome RunParam(const std::string& param) {
  RecordedJob j;
  Outcome o{j.Load(param, kRecords), j.job.MaxKeyArea(), {}};
  if (o.open == 0 && j.job.Main() == 0) o.order = j.GetAll();
  EXPECT_EQ(j.boxes.size(), o.open == 0 ? 0u : 1u) << param;
  return o;
}

TEST(KeyParam, SpellingsOfTheSameKeys) {
  const Outcome ascending = RunParam("1,1,A");
  EXPECT_EQ(ascending.order, (std::vector<std::string>{"A2y", "A1z", "B1x", "B0x", "a3y"}));
  EXPECT_EQ(ascending.area, 1);
  for (const char* same :
       {"1,1", "1,1,A   ", "1,1,AB", " 1, 1,A", "1,1,", "1.4,1", "1,1:", "1,1:junk"}) {
    const Outcome o = RunParam(same);
    EXPECT_EQ(o.open, 0) << same;
    EXPECT_EQ(o.order, ascending.order) << same;
  }
  const Outcome descending = RunParam("1,1,D");
  EXPECT_EQ(descending.order, (std::vector<std::string>{"a3y", "B1x", "B0x", "A2y", "A1z"}));
  // Any order character but "A" descends: a lower-case letter and a blank too.
  for (const char* same : {"1,1,X", "1,1, A", "1,1,a"}) {
    EXPECT_EQ(RunParam(same).order, descending.order) << same;
  }
  EXPECT_EQ(RunParam("1,1,A;3,1,D").order, RunParam("1,1,A:3,1,D").order);
  EXPECT_EQ(RunParam("1,1,A:3,1,D").order,
            (std::vector<std::string>{"A1z", "A2y", "B1x", "B0x", "a3y"}));
}

TEST(KeyParam, MaxKeyAreaCoversEveryKey) {
  EXPECT_EQ(RunParam("1,2,A").area, 2);
  EXPECT_EQ(RunParam("1,2,A:3,1,D").area, 3);
  EXPECT_EQ(RunParam("3,1:1,1").area, 3);
  EXPECT_EQ(RunParam("2.5,1").area, 2);  // nearest integer, ties to even
  EXPECT_EQ(RunParam("1e0,3").area, 3);
}

TEST(KeyParam, TwentyFiveKeysAreKept) {
  std::string param;
  for (int i = 0; i < 25; ++i) param += "1,1:";
  EXPECT_EQ(RunParam(param + "x,1").open, 0);  // a 26th key is never read
  EXPECT_EQ(RunParam(param + "3,1").area, 1);
  std::string short24;
  for (int i = 0; i < 24; ++i) short24 += "1,1:";
  EXPECT_EQ(RunParam(short24 + "x,1").open, zuvasort::kBadKeyParam);
}

TEST(KeyParam, RejectedWith21AndTheMessage) {
  for (const char* bad : {"1,,A", ",6,A", "0,6,A", "1,0,A", "1,6,A,X", "", "   ", "1", "1:6", "x,1",
                          "-1,2", "1,-2", "1,1:,1", "2147483647,2", "99999999999,1"}) {
    RecordedJob j;
    ASSERT_EQ(j.job.SetParam(bad), 0);
    j.job.Object()->put_MAX_KEY_AREA(77);
    EXPECT_EQ(j.job.Open(), zuvasort::kBadKeyParam) << bad;
    EXPECT_EQ(j.TakeBoxes(),
              (std::vector<Box>{
                  {std::string("区切り文字に誤りがあります (") + bad + ")", "ZUVASORTPARAM_SUB"}}))
        << bad;
    EXPECT_EQ(j.job.MaxKeyArea(), 77) << bad;
    // Sticky, and silent from now on.
    EXPECT_EQ(j.job.Put("ABCDEFGH"), zuvasort::kBadKeyParam);
    EXPECT_EQ(j.job.Main(), zuvasort::kBadKeyParam);
    EXPECT_EQ(j.job.Get(), zuvasort::kBadKeyParam);
    EXPECT_EQ(j.job.Close(), zuvasort::kBadKeyParam);
    EXPECT_EQ(j.job.Open(), zuvasort::kBadKeyParam);
    EXPECT_TRUE(j.boxes.empty()) << bad;
  }
}

}  // namespace
}  // namespace sortlib_test
