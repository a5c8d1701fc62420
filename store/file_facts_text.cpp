#include "store/file_facts_text.h"

#include "platform/file_system.h"
#include "store/text_format.h"

namespace store {

std::string AttributeText(int attributes) {
  switch (attributes) {
    case 0:
      return "通常ファイル";
    case platform::kAttrReadOnly:
      return "読み取り専用ファイル";
    case platform::kAttrSystem:
      return "システムファイル";
    case platform::kAttrDirectory:
      return "フォルダ";
    case platform::kAttrArchive:
      return "アーカイブ";
    default:
      return "不明ファイル";
  }
}

std::string KilobyteText(std::uint64_t length) {
  return FormatNumber(static_cast<double>(length) / 1024.0, "####") + "Kﾊﾞｲﾄ";
}

std::string DetailSizeText(std::uint64_t length) {
  if (length < 1024) return {};
  const bool megabytes = length >= 1024000;
  const double value = static_cast<double>(length) / (megabytes ? 1024000.0 : 1024.0);
  const auto hundredths = static_cast<std::uint64_t>(value * 100.0 + 0.5);
  std::string text = " " + std::to_string(hundredths / 100);
  if (const std::uint64_t fraction = hundredths % 100; fraction != 0) {
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
  }
  return text + (megabytes ? "Mﾊﾞｲﾄ" : "Kﾊﾞｲﾄ");
}

}  // namespace store
