// Many lines per call: the batch interface and the job's PutLines/GetLines
// deliver exactly what one PUT or GET per line delivers.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fixture.h"

namespace sortlib_test {
namespace {

using platform::com::E_INVALIDARG;
using platform::com::S_OK;
using Lines = std::vector<std::string>;

std::string Joined(const Lines& lines, std::string_view separator) {
  std::string out;
  for (const std::string& l : lines) (out += l) += separator;
  return out;
}

// Each set of lines, put and got in batches, comes back as line by line.
TEST(BatchPath, LinesComeBackAsOneCallPerLineGivesThem) {
  const std::string longLine = "c" + std::string(3000, '9');
  const struct {
    const char* what;
    std::string param;
    Lines lines;
  } cases[] = {
      {"ASCII, equal keys in PUT order", "1,2,A", {"b2x", "a3y", "b2a", "a1z", "a3b"}},
      {"descending", "1,1,D", {"a1", "c2", "b3"}},
      {"a line not ASCII among ASCII", "1,1", {"b2", "\u4E00z", "a3", "\xEF\xBD\xB1x", "a1"}},
      {"a line longer than any small buffer", "1,1", {"d1", longLine, "a2"}},
  };
  for (const auto& c : cases) {
    RecordedJob one;
    ASSERT_EQ(one.Load(c.param, c.lines), 0) << c.what;
    ASSERT_EQ(one.job.Main(), 0) << c.what;
    const std::string expected = Joined(one.GetAll(), "\r\n");

    RecordedJob many;
    ASSERT_NE(many.job.Batch(), nullptr);
    ASSERT_EQ(many.Load(c.param, {}), 0) << c.what;
    const std::vector<std::string_view> views(c.lines.begin(), c.lines.end());
    EXPECT_EQ(many.job.PutLines(views), 0) << c.what;
    ASSERT_EQ(many.job.Main(), 0) << c.what;
    std::string got;
    EXPECT_EQ(many.job.GetLines(got, "\r\n"), zuvasort::kEndOfData) << c.what;
    EXPECT_EQ(got, expected) << c.what;
    EXPECT_EQ(many.job.Close(), 0) << c.what;
    EXPECT_TRUE(many.boxes.empty()) << c.what;
  }
}

// After a batch the Data property holds what one PUT or GET per line leaves
// there: the last line put, then the last line got.
TEST(BatchPath, DataHoldsTheLastLineAsOneCallPerLineLeavesIt) {
  const struct {
    const char* what;
    Lines lines;
    std::string lastPut, lastGot;
  } cases[] = {
      {"several lines", {"b2", "a1", "c3"}, "c3", "c3"},
      {"the last put sorts first", {"b2", "c3", "a1"}, "a1", "c3"},
      {"one line", {"z9"}, "z9", "z9"},
  };
  for (const auto& c : cases) {
    RecordedJob j;
    ASSERT_EQ(j.Load("1,1", {}), 0) << c.what;
    const std::vector<std::string_view> views(c.lines.begin(), c.lines.end());
    ASSERT_EQ(j.job.PutLines(views), 0) << c.what;
    EXPECT_EQ(j.job.Data(), c.lastPut) << c.what;
    ASSERT_EQ(j.job.Main(), 0) << c.what;
    std::string got;
    ASSERT_EQ(j.job.GetLines(got, "\n"), zuvasort::kEndOfData) << c.what;
    EXPECT_EQ(j.job.Data(), c.lastGot) << c.what;
  }
}

// PutLines stops at the first line whose PUT fails, with that status; the
// lines before it are in the job.
TEST(BatchPath, PutLinesStopsAtTheFirstFailingLine) {
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::int32_t> ends;
    std::int32_t put;
    std::int32_t status;
  } cases[] = {
      {"every line", "abcdef", {2, 4, 6}, 3, 0},
      {"the second line shorter than the key", "abcde", {2, 3, 5}, 1, zuvasort::kShortRecord},
      {"an empty line first", "ab", {0, 2}, 0, zuvasort::kShortRecord},
      {"no line", "", {}, 0, 0},
  };
  for (const auto& c : cases) {
    RecordedJob j;
    ASSERT_EQ(j.Load("1,2", {}), 0) << c.what;
    std::int32_t put = -1, status = -1;
    EXPECT_EQ(j.job.Batch()->PutLines(c.bytes.data(), c.ends.data(),
                                      static_cast<std::int32_t>(c.ends.size()), &put, &status),
              S_OK)
        << c.what;
    EXPECT_EQ(put, c.put) << c.what;
    EXPECT_EQ(status, c.status) << c.what;
  }
}

TEST(BatchPath, BadArgumentsPutNothing) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {}), 0);
  const std::int32_t backwards[] = {2, 1};
  std::int32_t put = -1, status = -1;
  EXPECT_EQ(j.job.Batch()->PutLines("ab", backwards, 2, &put, &status), E_INVALIDARG);
  EXPECT_EQ(j.job.Batch()->PutLines(nullptr, backwards, 2, &put, &status), E_INVALIDARG);
  EXPECT_EQ(j.job.Batch()->PutLines("ab", backwards, -1, &put, &status), E_INVALIDARG);
  EXPECT_EQ(j.job.Main(), zuvasort::kMainWithoutData);
}

// GetLines writes whole lines only: a line that does not fit or is not
// ASCII stays in ZUVASORTMEM_DATA and ends the call.
TEST(BatchPath, GetLinesLeavesALineItCannotWrite) {
  const struct {
    const char* what;
    Lines lines;
    std::int32_t capacity;
    std::string written;
    std::int32_t pending;
    std::int32_t status;
    std::string data;  // ZUVASORTMEM_DATA after the call when pending
  } cases[] = {
      {"all fit", {"b1", "a2"}, 16, "a2\nb1\n", 0, zuvasort::kEndOfData, ""},
      {"the second does not fit", {"b1", "a2"}, 5, "a2\n", 1, 0, "b1"},
      {"exactly full", {"b1", "a2"}, 6, "a2\nb1\n", 0, zuvasort::kEndOfData, ""},
      {"a line not ASCII", {"\xC3\xA9", "ab"}, 16, "ab\n", 1, 0, "\xC3\xA9"},
      {"no room at all", {"a1"}, 0, "", 1, 0, "a1"},
  };
  for (const auto& c : cases) {
    RecordedJob j;
    ASSERT_EQ(j.Load("1,1", c.lines), 0) << c.what;
    ASSERT_EQ(j.job.Main(), 0) << c.what;
    std::string buffer(16, '\0');
    std::int32_t length = -1, pending = -1, status = -1;
    EXPECT_EQ(
        j.job.Batch()->GetLines(buffer.data(), c.capacity, "\n", 1, &length, &pending, &status),
        S_OK)
        << c.what;
    EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(length)), c.written) << c.what;
    EXPECT_EQ(pending, c.pending) << c.what;
    EXPECT_EQ(status, c.status) << c.what;
    if (c.pending) {
      EXPECT_EQ(j.job.Data(), c.data) << c.what;
    }
  }
}

}  // namespace
}  // namespace sortlib_test
