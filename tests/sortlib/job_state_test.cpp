// The job's states, status codes and messages, and its limits.

#include "fixture.h"

namespace sortlib_test {
namespace {

using zuvasort::SortJob;

enum class State { kCreated, kOpen, kSorted, kFailed, kClosed };
enum class Call { kPut, kMain, kGet, kClose };

void Enter(RecordedJob& j, State state) {
  if (state != State::kCreated) {
    ASSERT_EQ(j.Load("1,1", {"B", "A"}), 0);
  }
  if (state == State::kFailed) {
    ASSERT_EQ(j.job.Put(""), zuvasort::kShortRecord);
  }
  if (state == State::kSorted || state == State::kClosed) {
    ASSERT_EQ(j.job.Main(), 0);
  }
  if (state == State::kClosed) {
    j.GetAll();
    ASSERT_EQ(j.job.Close(), 0);
  }
  ASSERT_TRUE(j.TakeBoxes().empty());
}

std::int32_t Make(RecordedJob& j, Call call) {
  switch (call) {
    case Call::kPut:
      return j.job.Put("C");
    case Call::kMain:
      return j.job.Main();
    case Call::kGet:
      return j.job.Get();
    case Call::kClose:
      return j.job.Close();
  }
  return -1;
}

struct Cell {
  State state;
  Call call;
  std::int32_t status;
  const char* message;  // nullptr: no box
};

const char* const k31 = "31=ＯＰＥＮされていないのにＰＵＴ呼出された";
const char* const k32 = "32=ＯＰＥＮされていないのにＧＥＴ呼出された";
const char* const k33 = "33=ＯＰＥＮされていないのにＣＬＯＳＥ呼出された";
const char* const k34 = "34=ＯＰＥＮされていないのにＭＡＩＮ呼出された";

const Cell kTable[] = {
    {State::kCreated, Call::kPut, 31, k31},
    {State::kCreated, Call::kMain, 34, k34},
    {State::kCreated, Call::kGet, 32, k32},
    {State::kCreated, Call::kClose, 33, k33},
    {State::kOpen, Call::kPut, 0, nullptr},
    {State::kOpen, Call::kMain, 0, nullptr},
    {State::kOpen, Call::kGet, 40, "40=ＭＡＩＮ処理が呼出される前にＧＥＴが呼出された"},
    {State::kOpen, Call::kClose, 0, nullptr},
    {State::kSorted, Call::kPut, 41, "41=ＭＡＩＮ処理が終了しているのにＰＵＴが呼出された"},
    {State::kSorted, Call::kMain, 42,
     "42=ＭＡＩＮ処理が終了しているのに再度ＭＡＩＮ処理が呼出された"},
    {State::kSorted, Call::kGet, 0, nullptr},
    {State::kSorted, Call::kClose, 0, nullptr},
    {State::kFailed, Call::kPut, 22, nullptr},
    {State::kFailed, Call::kMain, 22, nullptr},
    {State::kFailed, Call::kGet, 22, nullptr},
    {State::kFailed, Call::kClose, 22, nullptr},
    {State::kClosed, Call::kPut, 31, k31},
    {State::kClosed, Call::kMain, 34, k34},
    {State::kClosed, Call::kGet, 32, k32},
    {State::kClosed, Call::kClose, 33, k33},
};

TEST(JobStates, EveryCellOfTheStateTable) {
  for (const Cell& cell : kTable) {
    SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(cell.state) << " call "
                                    << static_cast<int>(cell.call));
    RecordedJob j;
    Enter(j, cell.state);
    EXPECT_EQ(Make(j, cell.call), cell.status);
    std::vector<Box> expected;
    if (cell.message) expected.push_back({cell.message, "ZUVASORTMEM"});
    EXPECT_EQ(j.TakeBoxes(), expected);
    if (cell.status != 0) {
      // A failure is kept: every call returns it, silently.
      for (Call again : {Call::kPut, Call::kMain, Call::kGet, Call::kClose}) {
        EXPECT_EQ(Make(j, again), cell.status);
      }
      EXPECT_TRUE(j.TakeBoxes().empty());
    }
  }
}

TEST(JobStates, GetDeliversThenReturns99AndKeepsTheLastRecord) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {"B", "A"}), 0);
  ASSERT_EQ(j.job.Main(), 0);
  std::string line;
  EXPECT_EQ(j.job.Get(line), 0);
  EXPECT_EQ(line, "A");
  EXPECT_EQ(j.job.Get(line), 0);
  EXPECT_EQ(line, "B");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(j.job.Get(), zuvasort::kEndOfData);
  EXPECT_EQ(j.job.Data(), "B");
  EXPECT_EQ(j.job.Close(), 0);
  EXPECT_TRUE(j.boxes.empty());
}

TEST(JobStates, ShortAndEmptyRecords) {
  RecordedJob shortRecord;
  ASSERT_EQ(shortRecord.Load("2,3", {"abcd"}), 0);
  EXPECT_EQ(shortRecord.job.Put("abc"), zuvasort::kShortRecord);
  EXPECT_TRUE(shortRecord.boxes.empty());

  // An empty record gets through the length check only where the caller set
  // MAX_KEY_AREA to 0 after OPEN.
  RecordedJob empty;
  ASSERT_EQ(empty.Load("1,2", {}), 0);
  empty.job.Object()->put_MAX_KEY_AREA(0);
  EXPECT_EQ(empty.job.Put(""), zuvasort::kEmptyData);
  EXPECT_EQ(empty.TakeBoxes(),
            (std::vector<Box>{{"ZUVASORTMEM_DATA の長さがゼロです", "ZUVASORTMEM_PUT"}}));
  EXPECT_EQ(empty.job.Main(), zuvasort::kEmptyData);

  // A lowered MAX_KEY_AREA never lets a record in that the keys overrun.
  RecordedJob lowered;
  ASSERT_EQ(lowered.Load("1,4", {"abcd"}), 0);
  lowered.job.Object()->put_MAX_KEY_AREA(0);
  EXPECT_EQ(lowered.job.Put("ab"), zuvasort::kShortRecord);
  EXPECT_EQ(lowered.job.Main(), zuvasort::kShortRecord);
}

TEST(JobStates, MainWithoutRecords) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {}), 0);
  EXPECT_EQ(j.job.Main(), zuvasort::kMainWithoutData);
  EXPECT_EQ(
      j.TakeBoxes(),
      (std::vector<Box>{{"43=データが１件もないのにＭＡＩＮ処理が呼出された", "ZUVASORTMEM"}}));
}

TEST(JobStates, TheHundredThousandthRecordIsTheLast) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {}), 0);
  for (int i = 0; i < zuvasort::kMaxRecords; ++i) ASSERT_EQ(j.job.Put("x"), 0) << i;
  EXPECT_TRUE(j.boxes.empty());
  EXPECT_EQ(j.job.Put("x"), zuvasort::kTooManyRecords);
  EXPECT_EQ(j.TakeBoxes(),
            (std::vector<Box>{{"データ件数が100,000件を超えました", "ZUVASORTMEM_PUT"}}));
  EXPECT_EQ(j.job.Main(), zuvasort::kTooManyRecords);
}

TEST(JobStates, ASecondOpenStartsAfresh) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {"B", "A"}), 0);
  ASSERT_EQ(j.job.Main(), 0);
  ASSERT_EQ(j.job.SetParam("2,1,D"), 0);
  ASSERT_EQ(j.job.Open(), 0);
  EXPECT_EQ(j.job.MaxKeyArea(), 2);
  ASSERT_EQ(j.job.Put("a1"), 0);
  ASSERT_EQ(j.job.Put("b2"), 0);
  ASSERT_EQ(j.job.Main(), 0);
  EXPECT_EQ(j.GetAll(), (std::vector<std::string>{"b2", "a1"}));
  EXPECT_TRUE(j.boxes.empty());
}

TEST(JobStates, ClosedObjectCanRunAnotherJob) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {"B", "A"}), 0);
  ASSERT_EQ(j.job.Main(), 0);
  ASSERT_EQ(j.job.Close(), 0);
  ASSERT_EQ(j.Load("1,1,D", {"A", "B"}), 0);
  ASSERT_EQ(j.job.Main(), 0);
  EXPECT_EQ(j.GetAll(), (std::vector<std::string>{"B", "A"}));
}

}  // namespace
}  // namespace sortlib_test
