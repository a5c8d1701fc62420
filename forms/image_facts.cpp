#include "forms/image_facts.h"

#include <QImage>
#include <QLabel>

#include "platform/jpeg_converter.h"
#include "platform/pictures.h"
#include "platform/qt_ui.h"
#include "store/image_files.h"
#include "store/text_format.h"

namespace store {

namespace {

constexpr std::uint8_t kJpegQuality = 50;
constexpr std::int16_t kJpegFlag = -1;
constexpr const char* kTempBitmap = "C:\\VLN2\\GAZOU\\Temp.bmp";

}  // namespace

using platform::Q;

void ShowImageFileFacts(Store& store, MainForm& form) {
  platform::FileFacts facts;
  const bool known = store.Files().Facts(store.ImageSourcePath, facts).ok();
  form.Label19[0]->setText(known ? Q(FormatDateTime(facts.modified)) : QString());
  form.Label19[1]->setText(known ? Q(AttributeText(facts.attributes)) : QString());
  form.Label19[2]->setText(Q(store.CurrentRecord.Get(ExamField::ImageName)));
  form.Label19[3]->setText(known ? Q(KilobyteText(facts.length)) : QString());
}

void ReportJpegResult(Store& store, platform::Ui& ui) {
  static constexpr const char* kMessages[] = {
      "ファイルを開けません。",
      "ファイルが書き込めません。",
      "ファイルのフォーマットがBMP形式ではありません。",
      "オーバーフローしました。",
  };
  if (store.JpegResult >= 1 && store.JpegResult <= 4) {
    ui.MsgBox(kMessages[store.JpegResult - 1], platform::kExclamation);
  }
}

bool StorePicture(Store& store, platform::Ui& ui, const QImage& shown, std::string_view imageName) {
  const std::string destination = ImagePath(imageName);
  platform::FileSystem& files = store.Files();
  if (shown.isNull()) {
    store.JpegResult = platform::kJpegCannotOpen;
    ReportJpegResult(store, ui);
    return false;
  }
  store.JpegResult =
      platform::SavetoJPEG(files, store.ImageSourcePath, destination, kJpegQuality, kJpegFlag);
  ReportJpegResult(store, ui);
  if (store.JpegResult != platform::kJpegNotBmp) return store.JpegResult == platform::kJpegOk;

  if (platform::WritePicture(files, shown, kTempBitmap, "BMP")) {
    store.JpegResult =
        platform::SavetoJPEG(files, kTempBitmap, destination, kJpegQuality, kJpegFlag);
  } else {
    store.JpegResult = platform::kJpegCannotWrite;
  }
  if (files.Exists(kTempBitmap)) (void)files.Delete(kTempBitmap);
  // A failure here would otherwise pass unnoticed after the message above.
  ReportJpegResult(store, ui);
  return store.JpegResult == platform::kJpegOk;
}

}  // namespace store
