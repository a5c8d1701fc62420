#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace store {

// Whether typed text (UTF-8) can be stored in a record field of `width`
// cp932 bytes as it is: every character one that cp932 holds (no emoji,
// which would become "?"), no control character, and no more bytes than the
// field holds. `width` 0: no byte limit (a box whose text is rewritten on
// leaving, such as a date). With `lineBreaks` a line break is allowed and
// counts as the two bytes CR LF it is stored as.
enum class FieldTextFit { Fits, TooLong, NotStorable, Control };
struct FieldTextCheck {
  FieldTextFit fit = FieldTextFit::Fits;
  std::string character;  // the first character refused (NotStorable, Control)
  std::size_t bytes = 0;  // the cp932 bytes of the text

  bool fits() const { return fit == FieldTextFit::Fits; }
};
FieldTextCheck CheckFieldText(std::string_view utf8, std::size_t width, bool lineBreaks = false);

// The sentence that says why text was refused, for a field of `width` bytes.
std::string FieldTextRefusal(const FieldTextCheck& check, std::size_t width);

// True for text that names a number by an exponent ("1e1", "２Ｅ３", "1d2"),
// which a box for a record number does not take.
bool HasExponent(std::string_view text);

}  // namespace store
