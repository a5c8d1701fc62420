#include "store/field_text.h"

#include <algorithm>

#include "platform/cp932.h"

namespace store {
namespace {

// The length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

bool IsControl(std::string_view ch) {
  const auto b0 = static_cast<unsigned char>(ch[0]);
  if (b0 < 0x20 || b0 == 0x7F) return true;
  // U+0080 ... U+009F
  return ch.size() == 2 && b0 == 0xC2 && static_cast<unsigned char>(ch[1]) < 0xA0;
}

}  // namespace

FieldTextCheck CheckFieldText(std::string_view utf8, std::size_t width, bool lineBreaks) {
  FieldTextCheck check;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n =
        std::min(SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    const std::string_view ch = utf8.substr(i, n);
    i += n;
    if (lineBreaks && ch == "\n") {
      check.bytes += 2;
      continue;
    }
    if (IsControl(ch)) {
      check.fit = FieldTextFit::Control;
      check.character = std::string(ch);
      return check;
    }
    const std::string bytes = platform::ToCp932(ch);
    if (bytes == "?" && ch != "?") {
      check.fit = FieldTextFit::NotStorable;
      check.character = std::string(ch);
      return check;
    }
    check.bytes += bytes.size();
  }
  if (width > 0 && check.bytes > width) check.fit = FieldTextFit::TooLong;
  return check;
}

std::string FieldTextRefusal(const FieldTextCheck& check, std::size_t width) {
  switch (check.fit) {
    case FieldTextFit::TooLong:
      return "この欄には半角" + std::to_string(width) + "字（全角" + std::to_string(width / 2) +
             "字）までしか入力できません。";
    case FieldTextFit::NotStorable:
      return "「" + check.character + "」は保存できない文字のため、入力できません。";
    case FieldTextFit::Control:
      return "制御文字は入力できません。";
    case FieldTextFit::Fits:
      break;
  }
  return {};
}

bool HasExponent(std::string_view text) {
  for (std::string_view letter : {"e", "E", "d", "D", "ｅ", "Ｅ", "ｄ", "Ｄ"}) {
    if (text.find(letter) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace store
