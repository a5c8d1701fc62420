#include "platform/pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QString>
#include <string>

namespace platform {

QImage ReadPicture(FileSystem& fs, std::string_view path, int* error) {
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
  QImage picture = reader.read();
  if (picture.isNull()) return fail(kInvalidPicture);
  return picture;
}

bool WritePicture(FileSystem& fs, const QImage& picture, std::string_view path, const char* format,
                  int quality) {
  return picture.save(QString::fromStdString(fs.HostPath(path).string()), format, quality);
}

}  // namespace platform
