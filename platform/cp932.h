#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// The one place where text meets the Japanese ANSI code page of the files.
// Program text is UTF-8; file bytes are cp932 (the Windows variant, with the
// NEC and IBM extensions: "～", "Ⅰ", "①", "㈱" are the Windows bytes).

// UTF-8 -> cp932. A character cp932 cannot hold becomes "?", as a Windows
// ANSI conversion does; so does a malformed UTF-8 sequence.
std::string ToCp932(std::string_view utf8);

// cp932 -> UTF-8. A byte sequence that is not cp932 becomes U+FFFD.
std::string FromCp932(std::string_view bytes);

// FromCp932(bytes) appended to `out`, from a table: no call into the
// system's converter per string.
void AppendFromCp932(std::string& out, std::string_view bytes);

// FromCp932(bytes) written at `out`, which has room for
// kMostUtf8PerCp932Byte * bytes.size() bytes; returns the end of what it
// wrote.
constexpr std::size_t kMostUtf8PerCp932Byte = 4;
char* DecodeCp932(std::string_view bytes, char* out);

// True when every byte of `bytes` belongs to a cp932 character (FromCp932
// would give no U+FFFD for them), checked byte by byte without decoding.
bool IsDecodableCp932(std::string_view bytes);

// Where the first byte of `bytes` stands that belongs to no cp932 character,
// or bytes.size() when every byte does. `pieceStarts` (empty, or one flag
// per byte) cuts `bytes` into pieces checked each on its own, as the fields
// of a record are: no double-byte character runs across a piece's start.
std::size_t FirstUndecodableCp932(std::string_view bytes, std::span<const bool> pieceStarts);

// True for a byte that starts a double-byte character.
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest prefix of `bytes` of at most `width` bytes that does not end
// in the middle of a double-byte character.
std::size_t Cp932CutPoint(std::string_view bytes, std::size_t width);

// Number of characters of a cp932 byte string (a double-byte character is one).
std::size_t Cp932CharCount(std::string_view bytes);

}  // namespace platform
