#pragma once

#include <cstdint>
#include <string>

namespace store {

// The name of a file's whole Windows attribute value, as the main window and
// the image-load dialog show it: 0 "通常ファイル", 1 "読み取り専用ファイル",
// 4 "システムファイル", 16 "フォルダ", 32 "アーカイブ"; any other value,
// combinations such as read-only + archive (33) included, "不明ファイル".
std::string AttributeText(int attributes);

// A file's size as the windows show it: bytes / 1,024 as a whole number
// (rounded; nothing below half a kilobyte) followed by "Kﾊﾞｲﾄ".
// 300 bytes -> "Kﾊﾞｲﾄ", 1,023 -> "1Kﾊﾞｲﾄ", 2,048 -> "2Kﾊﾞｲﾄ".
std::string KilobyteText(std::uint64_t length);

// A file's size as the detail view shows it: nothing below 1,024 bytes;
// bytes / 1,024 followed by "Kﾊﾞｲﾄ" below 1,024,000 bytes; from there bytes /
// 1,024,000 followed by "Mﾊﾞｲﾄ". The number is rounded to two decimals and
// written after one blank without trailing zeros: 2,048 -> " 2Kﾊﾞｲﾄ",
// 1,536,000 -> " 1.5Mﾊﾞｲﾄ".
std::string DetailSizeText(std::uint64_t length);

}  // namespace store
