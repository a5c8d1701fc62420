#pragma once

#include <cstdint>
#include <string>

#include "platform/ui.h"
#include "store/forms/main_form.h"
#include "store/store.h"

namespace store {

// The text of a Windows attribute value: 0 "通常ファイル", 1 "読み取り専用ファイル",
// 4 "システムファイル", 16 "フォルダ", 32 "アーカイブ", anything else
// (combinations included) "不明ファイル".
std::string AttributeText(int attributes);

// The main window's size text: bytes / 1,024 as a whole number ("####",
// nothing below 0.5) followed by "Kﾊﾞｲﾄ".
std::string MainWindowSizeText(std::uint64_t bytes);

// The facts of the file ImageSourcePath into Label19(0)-(3): modification
// date and time, attribute text, trimmed ImageName of CurrentRecord, size.
// Facts that cannot be read leave their labels empty.
void ShowImageFileFacts(Store& store, MainForm& form);

// The message for a non-zero JpegResult (warning icon): 1 "ファイルを開けません。",
// 2 "ファイルが書き込めません。", 3 "ファイルのフォーマットがBMP形式ではありません。",
// 4 "オーバーフローしました。"; nothing for 0 or any other code.
void ReportJpegResult(Store& store, platform::Ui& ui);

}  // namespace store
