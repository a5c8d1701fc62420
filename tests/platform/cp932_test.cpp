#include "platform/cp932.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <random>
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

}  // namespace
