#include "platform/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
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

// Every cp932 character in UTF-8, taken once from the system's converter so
// that the table and FromCp932 can never disagree.
class DecodeTable {
 public:
  DecodeTable() {
    Converter conv("UTF-8", "CP932");
    for (int b = 0; b < 256; ++b) {
      const char one[1] = {static_cast<char>(b)};
      kind_[b] = Decode(conv, std::string_view(one, 1), single_[b]);
      if (b < 0x80 && (kind_[b] != kChar || single_[b].length != 1 || single_[b].bytes[0] != b)) {
        asciiAsItself_ = false;
      }
      if (b < 0x80 && kind_[b] == kLead) kind_[b] = kInvalid;
      if (kind_[b] != kLead) continue;
      for (int t = 0; t < 256; ++t) {
        const char two[2] = {static_cast<char>(b), static_cast<char>(t)};
        const int at = (b - 0x80) * 256 + t;
        if (Decode(conv, std::string_view(two, 2), pair_[at]) != kChar) {
          pair_[at].length = 0;
        } else {
          pairs_[at / 64] |= std::uint64_t{1} << (at % 64);
        }
      }
    }
  }

  // Every character of `bytes` at `out`, one step a character: ASCII as it
  // stands, any other through the tables (U+FFFD for a byte that starts
  // none, taking that byte only).
  char* Decode(std::string_view bytes, char* out) const {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
      const unsigned char b = *p;
      if (b < 0x80 && asciiAsItself_) {
        *out++ = static_cast<char>(b);
        ++p;
        continue;
      }
      const Utf8* c = &single_[b];
      std::size_t used = 1;
      if (kind_[b] == kLead) {
        c = p + 1 < end ? &pair_[(b - 0x80) * 256 + p[1]] : &single_[b];
        used = 2;
      }
      if (c->length == 0) {
        out = std::copy_n(kReplacement, 3, out);
        ++p;
        continue;
      }
      std::memcpy(out, c->bytes, sizeof c->bytes);
      out += c->length;
      p += used;
    }
    return out;
  }

  bool Decodable(std::string_view bytes) const {
    return FirstUndecodable(bytes, {}) == bytes.size();
  }

  std::size_t FirstUndecodable(std::string_view bytes, std::span<const bool> pieceStarts) const {
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size;) {
      if (asciiAsItself_ && i + 8 <= size) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word & 0x8080808080808080ULL) == 0) {
          i += 8;
          continue;
        }
      }
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (kind_[b] == kChar) {
        ++i;
      } else if (kind_[b] == kLead && i + 1 < size &&
                 (pieceStarts.empty() || !pieceStarts[i + 1]) &&
                 IsPair(b, static_cast<unsigned char>(bytes[i + 1]))) {
        i += 2;
      } else {
        return i;
      }
    }
    return size;
  }

 private:
  static constexpr const char* kReplacement = "\xEF\xBF\xBD";
  enum Kind : unsigned char { kInvalid, kChar, kLead };
  struct Utf8 {
    char bytes[4] = {};
    unsigned char length = 0;
  };

  bool IsPair(unsigned char lead, unsigned char trail) const {
    const int at = (lead - 0x80) * 256 + trail;
    return (pairs_[at / 64] >> (at % 64) & 1) != 0;
  }

  // What the converter makes of `in` as one character.
  static Kind Decode(Converter& conv, std::string_view in, Utf8& c) {
    std::string out;
    int err = 0;
    const std::size_t used = conv.Run(in, out, err);
    if (err == EINVAL && used == 0 && in.size() == 1) return kLead;
    if (err != 0 || used != in.size() || out.empty() || out.size() > sizeof c.bytes) {
      return kInvalid;
    }
    std::copy(out.begin(), out.end(), c.bytes);
    c.length = static_cast<unsigned char>(out.size());
    return kChar;
  }

  bool asciiAsItself_ = true;
  Kind kind_[256] = {};
  Utf8 single_[256];
  Utf8 pair_[128 * 256];
  // The double-byte characters as one bit each: the check of a string stays
  // within a few kilobytes of cache.
  std::uint64_t pairs_[128 * 256 / 64] = {};
};

const DecodeTable& Table() {
  static const DecodeTable table;
  return table;
}

}  // namespace

char* DecodeCp932(std::string_view bytes, char* out) { return Table().Decode(bytes, out); }

void AppendFromCp932(std::string& out, std::string_view bytes) {
  const std::size_t size = out.size();
  out.resize(size + kMostUtf8PerCp932Byte * bytes.size());
  out.resize(static_cast<std::size_t>(DecodeCp932(bytes, out.data() + size) - out.data()));
}

bool IsDecodableCp932(std::string_view bytes) { return Table().Decodable(bytes); }

std::size_t FirstUndecodableCp932(std::string_view bytes, std::span<const bool> pieceStarts) {
  return Table().FirstUndecodable(bytes, pieceStarts);
}

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
  AppendFromCp932(out, bytes);
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
