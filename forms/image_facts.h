#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class QImage;

#include "platform/ui.h"
#include "store/file_facts_text.h"
#include "forms/main_form.h"
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

// The picture on screen (`shown`, null when none was loaded) stored in the
// image directory as `imageName`.jpg: the file ImageSourcePath names is
// converted when it is a bitmap; a picture from any other file (the JPEG of a
// stored record, say) goes through the bitmap file Temp.bmp, which is
// deleted afterwards. JpegResult holds the outcome, reported to the user
// when it is a failure. No picture loaded converts nothing (the path left
// from an earlier record must not be stored under this record's name): that
// is reported as a file that cannot be opened. True when the JPEG is there.
bool StorePicture(Store& store, platform::Ui& ui, const QImage& shown, std::string_view imageName);

}  // namespace store
