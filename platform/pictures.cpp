#include "platform/pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QString>
#include <string>

namespace platform {

QImage ReadPicture(FileSystem& fs, std::string_view path, int* error) {
  return ReadPictureScaled(fs, path, QSize(), error);
}

QImage ReadPictureScaled(FileSystem& fs, std::string_view path, QSize box, int* error) {
  auto fail = [error](int number) {
    if (error != nullptr) *error = number;
    return QImage();
  };
  if (error != nullptr) *error = kNoError;
  std::string bytes;
  if (Status s = fs.ReadFile(path, bytes); !s.ok()) return fail(s.error);
  QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  if (box.isValid() && !box.isEmpty()) {
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > box.width() || full.height() > box.height())) {
      reader.setScaledSize(full.boundedTo(box));
    }
  }
  QImage picture = reader.read();
  if (picture.isNull()) return fail(kInvalidPicture);
  return picture;
}

bool WritePicture(FileSystem& fs, const QImage& picture, std::string_view path, const char* format,
                  int quality) {
  return picture.save(QString::fromStdString(fs.HostPath(path).string()), format, quality);
}

}  // namespace platform
