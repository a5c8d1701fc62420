#include "forms/image_facts.h"

#include <QImage>
#include <QLabel>
#include <string>

#include "platform/jpeg_converter.h"
#include "platform/pictures.h"
#include "platform/qt_ui.h"
#include "store/file_facts_text.h"
#include "store/text_format.h"

namespace store {

namespace {

constexpr std::uint8_t kJpegQuality = 50;
constexpr std::int16_t kJpegFlag = -1;

}  // namespace

using platform::Q;

void ShowImageFileFacts(platform::FileSystem& fs, std::string_view path, std::string_view imageName,
                        MainForm& form) {
  platform::FileFacts facts;
  const bool known = fs.Facts(path, facts).ok();
  form.Label19[0]->setText(known ? Q(FormatDateTime(facts.modified)) : QString());
  form.Label19[1]->setText(known ? Q(AttributeText(facts.attributes)) : QString());
  form.Label19[2]->setText(Q(imageName));
  form.Label19[3]->setText(known ? Q(KilobyteText(facts.length)) : QString());
}

sessions::PictureConversion PictureConversionOf(platform::FileSystem& fs, const QImage& shown) {
  sessions::PictureConversion conversion;
  conversion.pictureShown = !shown.isNull();
  conversion.toJpeg = [&fs](std::string_view source, std::string_view destination) {
    return platform::SavetoJPEG(fs, source, destination, kJpegQuality, kJpegFlag);
  };
  conversion.writeShownBitmap = [&fs, shown](std::string_view path) {
    return platform::WritePicture(fs, shown, std::string(path), "BMP");
  };
  return conversion;
}

}  // namespace store
