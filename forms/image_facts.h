#pragma once

#include <string_view>

#include "forms/main_form.h"
#include "platform/file_system.h"
#include "sessions/exam_form_session.h"

class QImage;

namespace store {

// The facts of the picture file `path` into Label19(0)-(3): modification date
// and time, attribute text, `imageName` trimmed, size. Facts that cannot be
// read leave their labels empty.
void ShowImageFileFacts(platform::FileSystem& fs, std::string_view path, std::string_view imageName,
                        MainForm& form);

// The platform's side of storing a registration's picture: the JPEG
// converter at the program's quality (50), and `shown` (null: no picture on
// screen) written as a Windows bitmap.
sessions::PictureConversion PictureConversionOf(platform::FileSystem& fs, const QImage& shown);

}  // namespace store
