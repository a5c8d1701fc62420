#pragma once

#include <QImage>
#include <QSize>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

// Pictures are decoded and encoded by Qt.

// Reads the picture file `path` through `fs` and decodes it by its content
// (BMP, JPEG, PNG, ...). A null image when it cannot be read or is no
// picture; `error` (when given) then says why: file not found (53), a read
// failure's number, or invalid picture (481).
QImage ReadPicture(FileSystem& fs, std::string_view path, int* error = nullptr);

// ReadPicture for a picture shown stretched over `box` device pixels: a
// picture larger than the box is decoded straight to the box's size (a JPEG
// is scaled down while it is decoded, so a large scan costs a fraction of
// its full decode and its full size is never held in memory); a smaller one
// is decoded as it is. An empty box decodes at full size. With
// Qt::KeepAspectRatio the picture keeps its proportions: it is decoded to the
// largest size of its shape that fits in the box.
QImage ReadPictureScaled(FileSystem& fs, std::string_view path, QSize box, int* error = nullptr,
                         Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);
// The decoding step of ReadPictureScaled, on bytes already read; safe to run
// on a worker thread. A null image (error 481) when they are no picture.
QImage DecodePictureScaled(const std::string& bytes, QSize box, int* error = nullptr,
                           Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);

// Writes `picture` to `path` in `format` ("BMP", "JPG"). This is the one
// place where Qt opens a picture file itself, by its host path
// (FileSystem::HostPath): the write does not pass through `fs`, so a file
// system that wraps or replaces the disk does not see it.
bool WritePicture(FileSystem& fs, const QImage& picture, std::string_view path, const char* format,
                  int quality = -1);

}  // namespace platform
