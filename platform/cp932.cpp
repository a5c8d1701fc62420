#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace platform {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts what it can; returns how many input bytes were consumed before a
  // sequence it cannot handle (or all of them). The error is in `err`.
  std::size_t Run(std::string_view in, std::string& out, int& err) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    err = 0;
    char buffer[1024];
    while (srcLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (rc == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        err = errno;
        break;
      }
    }
    return in.size() - srcLeft;
  }

 private:
  iconv_t cd_;
};

Converter& ToCp932Converter() {
  thread_local Converter converter("CP932", "UTF-8");
  return converter;
}

Converter& FromCp932Converter() {
  thread_local Converter converter("UTF-8", "CP932");
  return converter;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Length of the UTF-8 sequence starting with `b` (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char b) {
  if (b >= 0xF0 && b <= 0xF4) return 4;
  if (b >= 0xE0) return 3;
  if (b >= 0xC2 && b <= 0xDF) return 2;
  return 1;
}

}  // namespace

std::string ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  Converter& conv = ToCp932Converter();
  while (!utf8.empty()) {
    int err = 0;
    std::size_t used = conv.Run(utf8, out, err);
    utf8.remove_prefix(used);
    if (utf8.empty()) break;
    out.push_back('?');
    // One unknown character: the offending byte and the continuation bytes
    // that follow it within its sequence, never the next character.
    std::size_t skip = Utf8SequenceLength(static_cast<unsigned char>(utf8.front()));
    std::size_t n = 1;
    while (n < skip && n < utf8.size() && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) ++n;
    utf8.remove_prefix(n);
  }
  return out;
}

std::string FromCp932(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  Converter& conv = FromCp932Converter();
  while (!bytes.empty()) {
    int err = 0;
    std::size_t used = conv.Run(bytes, out, err);
    bytes.remove_prefix(used);
    if (bytes.empty()) break;
    out.append("\xEF\xBF\xBD");
    // Skip the single offending byte: a lead byte whose trail byte is not
    // valid loses only itself, so the next character is still read.
    bytes.remove_prefix(1);
  }
  return out;
}

std::size_t Cp932CutPoint(std::string_view bytes, std::size_t width) {
  if (bytes.size() <= width) return bytes.size();
  std::size_t i = 0;
  while (i < width) {
    std::size_t step = IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i + step > width) break;
    i += step;
  }
  return i;
}

std::size_t Cp932CharCount(std::string_view bytes) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < bytes.size(); ++count) {
    i += IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
  }
  return count;
}

}  // namespace platform
