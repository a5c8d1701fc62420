#include "platform/cp932.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace {

// The system converter read straight, one failed byte at a time becoming
// U+FFFD: what the file text must decode to whatever the program does.
std::string SystemDecode(std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string out;
  while (!bytes.empty()) {
    char buffer[64];
    char* src = const_cast<char*>(bytes.data());
    std::size_t left = bytes.size();
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t rc = iconv(cd, &src, &left, &dst, &room);
    const int err = errno;
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    bytes.remove_prefix(bytes.size() - left);
    if (rc == static_cast<std::size_t>(-1) && err != E2BIG) {
      out += "\xEF\xBF\xBD";
      bytes.remove_prefix(1);
    }
  }
  iconv_close(cd);
  return out;
}

std::vector<std::string> EveryPair() {
  std::vector<std::string> texts;
  for (int b = 0; b < 256; ++b) {
    for (int t = 0; t < 256; ++t) texts.push_back({static_cast<char>(b), static_cast<char>(t)});
  }
  return texts;
}

std::vector<std::string> RandomTexts() {
  // Bytes drawn mostly from where cp932 text lives, with the odd byte that
  // no character starts or ends with.
  const std::string pool =
      "A ,\"\r\n\x81\x82\x83\x88\x9F\xE0\xEA\xFC\x40\x7E\x7F\x80\xA0\xB1\xDF\xFD\xFF\x87\xEE\xFA";
  std::mt19937 random(932);
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) {
    std::string text(random() % 12, ' ');
    for (char& c : text) c = pool[random() % pool.size()];
    texts.push_back(text);
  }
  return texts;
}

TEST(Cp932, DecodesAsTheSystemConverterDoes) {
  struct Case {
    const char* name;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"every byte and byte pair", EveryPair()},
      {"random runs", RandomTexts()},
      {"a lead byte at the end", {"\x82", "ab\x88", "\x82\xA0\x82"}},
      {"text as the files hold it", {"\x82\xA0\x82\xA2 \xB1\xB2 \x87\x40 \x81\x60 abc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const std::string& text : c.texts) {
      const std::string expected = SystemDecode(text);
      ASSERT_EQ(platform::FromCp932(text), expected) << testing::PrintToString(text);
      std::string appended = "x";
      platform::AppendFromCp932(appended, text);
      ASSERT_EQ(appended, "x" + expected);
      ASSERT_EQ(platform::IsDecodableCp932(text),
                expected.find("\xEF\xBF\xBD") == std::string::npos)
          << testing::PrintToString(text);
    }
  }
}

// Where a walk through `piece` alone stops: the end of its longest
// decodable beginning (a byte that starts no character, or a lead byte
// without its trail, stands right after it).
std::size_t StopInPiece(std::string_view piece) {
  if (platform::IsDecodableCp932(piece)) return piece.size();
  std::size_t stop = 0;
  for (std::size_t k = 1; k < piece.size(); ++k) {
    if (platform::IsDecodableCp932(piece.substr(0, k))) stop = k;
  }
  return stop;
}

TEST(Cp932, FirstUndecodableTakesEachPieceOnItsOwn) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::size_t> cuts;  // where pieces start, besides 0
    std::size_t expected;
  };
  const std::string record =
      "\x82\xA0"
      "ab   \x88\x9F\x82\xA2        xyz";
  const Case cases[] = {
      {"one piece, a lead byte with a wrong trail", "\x82\xA0 a\x82\x20", {}, 4},
      {"a pair across a cut",
       "ab\x82\xA0"
       "cd",
       {3},
       2},
      {"a pair right after a cut",
       "ab\x82\xA0"
       "cd",
       {2},
       6},
      {"a lead byte ending the text", "abcdefghij\x82", {5}, 10},
      {"a lead byte with no trail, after blanks", "        \x82\x20", {8}, 8},
      {"a record with no fault", record, {4, 9, 11}, record.size()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<bool[]> starts(new bool[c.bytes.size()]());
    for (std::size_t cut : c.cuts) starts[cut] = true;
    const std::span<const bool> pieces(starts.get(), c.cuts.empty() ? 0 : c.bytes.size());
    EXPECT_EQ(platform::FirstUndecodableCp932(c.bytes, pieces), c.expected);
  }
  // Random texts cut at random places, against a walk through each piece.
  std::mt19937 random(25);
  for (const std::string& text : RandomTexts()) {
    const std::string padded = text + std::string(random() % 10, ' ') + text;
    std::unique_ptr<bool[]> starts(new bool[padded.size() + 1]());
    std::size_t expected = padded.size();
    std::size_t from = 0;
    for (std::size_t at = 1; at <= padded.size(); ++at) {
      if (at < padded.size() && random() % 4 != 0) continue;
      starts[at] = at < padded.size();
      const std::size_t stop = StopInPiece(std::string_view(padded).substr(from, at - from));
      if (expected == padded.size() && stop < at - from) expected = from + stop;
      from = at;
    }
    ASSERT_EQ(platform::FirstUndecodableCp932(padded, {starts.get(), padded.size()}), expected)
        << testing::PrintToString(padded);
  }
}

}  // namespace
