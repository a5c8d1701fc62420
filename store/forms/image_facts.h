#pragma once

#include <cstdint>
#include <string>

#include "platform/ui.h"
#include "store/file_facts_text.h"
#include "store/forms/main_form.h"
#include "store/store.h"

namespace store {

// The facts of the file ImageSourcePath into Label19(0)-(3): modification
// date and time, attribute text, trimmed ImageName of CurrentRecord, size.
// Facts that cannot be read leave their labels empty.
void ShowImageFileFacts(Store& store, MainForm& form);

// The message for a non-zero JpegResult (warning icon): 1 "ファイルを開けません。",
// 2 "ファイルが書き込めません。", 3 "ファイルのフォーマットがBMP形式ではありません。",
// 4 "オーバーフローしました。"; nothing for 0 or any other code.
void ReportJpegResult(Store& store, platform::Ui& ui);

}  // namespace store
