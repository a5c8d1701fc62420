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

}  // namespace store
