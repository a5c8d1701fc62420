#pragma once

#include <QImage>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

// Pictures are decoded and encoded by Qt.

// Reads the picture file `path` through `fs` and decodes it by its content
// (BMP, JPEG, PNG, ...). A null image when it cannot be read or is no
// picture; `error` (when given) then says why: file not found (53), a read
// failure's number, or invalid picture (481).
QImage ReadPicture(FileSystem& fs, std::string_view path, int* error = nullptr);

// Writes `picture` to `path` in `format` ("BMP", "JPG"). This is the one
// place where Qt opens a picture file itself, by its host path
// (FileSystem::HostPath): the write does not pass through `fs`, so a file
// system that wraps or replaces the disk does not see it.
bool WritePicture(FileSystem& fs, const QImage& picture, std::string_view path, const char* format,
                  int quality = -1);

}  // namespace platform
