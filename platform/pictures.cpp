#include "platform/pictures.h"

#include "platform/file_system.h"
#include "platform/jpeg_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QString>
#include <filesystem>
#include <string>

namespace platform {

QImage ReadPicture(FileSystem& fs, std::string_view path, int* error) {
  return ReadPictureScaled(fs, path, QSize(), error);
}

QImage ReadPictureScaled(FileSystem& fs, std::string_view path, QSize box, int* error,
                         Qt::AspectRatioMode mode) {
  std::string bytes;
  if (Status s = fs.ReadFile(path, bytes); !s.ok()) {
    if (error != nullptr) *error = s.error;
    return QImage();
  }
  return DecodePictureScaled(bytes, box, error, mode);
}

QImage DecodePictureScaled(const std::string& bytes, QSize box, int* error,
                           Qt::AspectRatioMode mode) {
  if (error != nullptr) *error = kNoError;
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  if (box.isValid() && !box.isEmpty()) {
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > box.width() || full.height() > box.height())) {
      const QSize scaled =
          mode == Qt::KeepAspectRatio ? full.scaled(box, Qt::KeepAspectRatio) : full.boundedTo(box);
      const bool turned =
          reader.autoTransform() && reader.transformation() != QImageIOHandler::TransformationNone;
      if (reader.format() == "jpeg" && !turned) {
        if (QImage picture = DecodeJpegScaled(bytes, scaled); !picture.isNull()) return picture;
      }
      reader.setScaledSize(scaled);
    }
  }
  QImage picture = reader.read();
  if (picture.isNull() && error != nullptr) *error = kInvalidPicture;
  return picture;
}

bool WritePicture(FileSystem& fs, const QImage& picture, std::string_view path, const char* format,
                  int quality) {
  const std::filesystem::path host = fs.HostPath(path);
  std::error_code ec;
  const bool created = !std::filesystem::exists(host, ec);
  const bool saved = picture.save(QString::fromStdString(host.string()), format, quality);
  if (saved && created) SetCreatedMode(host);
  return saved;
}

}  // namespace platform
