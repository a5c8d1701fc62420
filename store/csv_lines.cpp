#include "store/csv_lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/cp932.h"
#include "store/records.h"

namespace store {
namespace {

// A record is looked at 16 bytes at a time, once: which of its bytes are
// text (not blanks), which belong to double-byte characters (high bytes),
// and whether any makes its cell quoted. Each field then finds its text
// from the bits without looking at its bytes again; a field's text is
// copied 8 bytes at a time. No byte of a double-byte character is a blank,
// a comma, a quote or a line break, so the cp932 bytes can be looked at as
// they stand.

using Word = std::uint64_t;

// The steps of a line are small and many: they are put inline into the
// line's loop.
#define VELUNOR_INLINE [[gnu::always_inline]] inline

VELUNOR_INLINE Word Load(const char* at) {
  Word w;
  std::memcpy(&w, at, sizeof w);
  return w;
}

VELUNOR_INLINE void Store(char* at, Word w) { std::memcpy(at, &w, sizeof w); }

// Eight bytes of bits as a number, the first byte lowest.
VELUNOR_INLINE Word LoadBits(const unsigned char* at) {
  Word w;
  std::memcpy(&w, at, sizeof w);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

constexpr bool IsQuotedByte(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }

struct FormulaStarts {
  bool starts[256] = {};  // a spreadsheet would run a cell starting so
  constexpr FormulaStarts() {
    for (unsigned char c : {'=', '+', '-', '@', '\t'}) starts[c] = true;
  }
};
constexpr FormulaStarts kFormula;

// Bit k of each mask stands for byte k of the 16 at `at`.
struct Masks {
  unsigned text;     // not a blank
  unsigned high;     // 0x80 and above
  unsigned special;  // a comma, a quote or a line break
};

VELUNOR_INLINE Masks Scan16(const char* at) {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const auto equal = [&v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
  const __m128i special =
      _mm_or_si128(_mm_or_si128(equal(','), equal('"')), _mm_or_si128(equal('\r'), equal('\n')));
  return {~static_cast<unsigned>(_mm_movemask_epi8(equal(' '))) & 0xFFFF,
          static_cast<unsigned>(_mm_movemask_epi8(v)),
          static_cast<unsigned>(_mm_movemask_epi8(special))};
#else
  Masks m{0, 0, 0};
  for (unsigned k = 0; k < 16; ++k) {
    const char c = at[k];
    m.text |= unsigned{c != ' '} << k;
    m.high |= unsigned{static_cast<unsigned char>(c) >= 0x80} << k;
    m.special |= unsigned{IsQuotedByte(c)} << k;
  }
  return m;
#endif
}

// `Utf8`: the high bytes are told too (a cp932 line copies them as they
// stand).
template <std::size_t Length, bool Utf8>
struct RecordBits {
  static constexpr std::size_t kChunks = (Length + 15) / 16;
  // One bit per byte, 8 to a byte, and 8 bytes of zeros after them for
  // reading a field's bits 8 bytes at a time.
  unsigned char text[2 * kChunks + 8];
  unsigned char high[2 * kChunks + 8];
  unsigned char special[2 * kChunks + 8];
  bool quoted;  // some byte of the record makes its cell quoted

  VELUNOR_INLINE explicit RecordBits(const char* record) {
    unsigned any = 0;
    for (std::size_t c = 0; c < kChunks; ++c) {
      Masks m = Scan16(record + 16 * c);
      if (16 * (c + 1) > Length) {
        const unsigned keep = (1u << (Length - 16 * c)) - 1;
        m = {m.text & keep, m.high & keep, m.special & keep};
      }
      text[2 * c] = static_cast<unsigned char>(m.text);
      text[2 * c + 1] = static_cast<unsigned char>(m.text >> 8);
      if constexpr (Utf8) {
        high[2 * c] = static_cast<unsigned char>(m.high);
        high[2 * c + 1] = static_cast<unsigned char>(m.high >> 8);
      }
      special[2 * c] = static_cast<unsigned char>(m.special);
      special[2 * c + 1] = static_cast<unsigned char>(m.special >> 8);
      any |= m.special;
    }
    std::memset(text + 2 * kChunks, 0, 8);
    if constexpr (Utf8) std::memset(high + 2 * kChunks, 0, 8);
    std::memset(special + 2 * kChunks, 0, 8);
    quoted = any != 0;
  }
};

// The bits of bytes [offset, offset + width) of a record, width at most 56.
VELUNOR_INLINE Word FieldBits(const unsigned char* bits, std::size_t offset, std::size_t width) {
  return (LoadBits(bits + offset / 8) >> (offset % 8)) & ((Word{1} << width) - 1);
}

// Where a field's text begins and ends (after its last byte); end 0 for a
// blank field.
struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// Without a branch: whether a field is blank is as good as random.
template <std::size_t Offset, std::size_t Width>
VELUNOR_INLINE Span TextSpan(const unsigned char* bits) {
  std::size_t begin = Width;
  std::size_t end = 0;
  for (std::size_t c = 0; c < Width; c += 56) {
    const Word m = FieldBits(bits, Offset + c, std::min<std::size_t>(56, Width - c));
    const std::size_t first = c + static_cast<std::size_t>(std::countr_zero(m));
    const std::size_t last = c + 64 - static_cast<std::size_t>(std::countl_zero(m));
    begin = std::min(begin, m != 0 ? first : Width);
    end = std::max(end, m != 0 ? last : 0);
  }
  return {end != 0 ? begin : 0, end};
}

template <std::size_t Offset, std::size_t Width>
VELUNOR_INLINE bool AnyBit(const unsigned char* bits) {
  for (std::size_t c = 0; c < Width; c += 56) {
    if (FieldBits(bits, Offset + c, std::min<std::size_t>(56, Width - c)) != 0) return true;
  }
  return false;
}

char* Put(char* out, std::string_view bytes, bool utf8) {
  if (utf8) return platform::DecodeCp932(bytes, out);
  std::memcpy(out, bytes.data(), bytes.size());
  return out + bytes.size();
}

// A cell with a comma, a quote or a line break: in quotes, its quotes
// doubled.
char* PutQuoted(char* out, std::string_view cell, bool formula, bool utf8) {
  *out++ = '"';
  if (formula) *out++ = '\'';
  std::size_t from = 0;
  for (std::size_t quote; (quote = cell.find('"', from)) != std::string_view::npos;
       from = quote + 1) {
    out = Put(out, cell.substr(from, quote - from), utf8);
    *out++ = '"';
    *out++ = '"';
  }
  out = Put(out, cell.substr(from), utf8);
  *out++ = '"';
  return out;
}

// The cell of the field at `Offset`: a formula sign at its start (its first
// byte) gets an apostrophe before it, as CsvCell writes it. The common path,
// a blank field or a short cell without quotes, takes no branch that
// depends on the text: the first 32 bytes of the field are copied whatever
// its length, and the end set after the text.
template <std::size_t Offset, std::size_t Width, bool Utf8, std::size_t Length>
VELUNOR_INLINE char* PutCell(char* out, const char* record, const RecordBits<Length, Utf8>& bits) {
  const Span span = TextSpan<Offset, Width>(bits.text);
  const char* text = record + Offset + span.begin;
  const std::size_t length = span.end - span.begin;
  const bool formula = length != 0 && kFormula.starts[static_cast<unsigned char>(text[0])];
  if (bits.quoted && AnyBit<Offset, Width>(bits.special)) {
    return PutQuoted(out, {text, length}, formula, Utf8);
  }
  *out = '\'';
  out += formula;
  if constexpr (Utf8) {
    if (AnyBit<Offset, Width>(bits.high)) return platform::DecodeCp932({text, length}, out);
  }
  constexpr std::size_t kAlways = std::min<std::size_t>(Width, 32);
  for (std::size_t i = 0; i < kAlways; i += 8) Store(out + i, Load(text + i));
  if constexpr (Width > kAlways) {
    for (std::size_t i = kAlways; i < length; i += 8) Store(out + i, Load(text + i));
  }
  return out + length;
}

template <const auto& Fields, std::size_t Length, bool Utf8, std::size_t... I>
char* PutLine(char* out, const char* record, std::index_sequence<I...>) {
  const RecordBits<Length, Utf8> bits(record);
  ((out = PutCell<Fields[I].offset, Fields[I].width, Utf8>(I == 0 ? out : (*out = ',', out + 1),
                                                           record, bits)),
   ...);
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

template <const auto& Fields, std::size_t Length>
char* PutLine(char* out, const char* record, bool utf8) {
  constexpr auto fields = std::make_index_sequence<Fields.size()>();
  return utf8 ? PutLine<Fields, Length, true>(out, record, fields)
              : PutLine<Fields, Length, false>(out, record, fields);
}

}  // namespace

char* PutExamCsvLine(char* out, const char* record, bool utf8) {
  return PutLine<kExamFields, kExamRecordLength>(out, record, utf8);
}

char* PutPatientCsvLine(char* out, const char* record, bool utf8) {
  return PutLine<kPatientFields, kPatientRecordLength>(out, record, utf8);
}

}  // namespace store
