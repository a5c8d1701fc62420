#include "store/forms/image_facts.h"

#include <QLabel>

#include "platform/qt_ui.h"
#include "store/text_format.h"

namespace store {

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

}  // namespace store
