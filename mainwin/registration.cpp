// The commands that change the examination data file: 新規入力, 登録, 削除,
// 全削除, and the three ways of opening the image-load dialog.

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSlider>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "mainwin/main_window.h"
#include "platform/qt_text.h"
#include "forms/entry_rules.h"
#include "forms/image_facts.h"
#include "forms/record_transfer.h"
#include "store/image_files.h"
#include "store/long_operation.h"
#include "store/rebuilds.h"
#include "store/text_format.h"
#include "views/image_load_dialog.h"
#include "widgets/command_guard.h"
#include "widgets/progress_window.h"

using platform::Q;
using platform::S;
using store::ExamField;

namespace {

using platform::EqualsIgnoringAsciiCase;

}  // namespace

void Form1::ConnectRegistrationCommands() {
  ConnectCommand(D_sinki, &Form1::D_sinki_Click);
  ConnectCommand(D_touroku, &Form1::D_touroku_Click);
  ConnectCommand(sakujyo, &Form1::sakujyo_Click);
  ConnectCommand(ALL_sakujyo, &Form1::ALL_sakujyo_Click);
  ConnectCommand(G_yomokomi, &Form1::G_yomokomi_Click);
  ConnectCommand(G_kakudai, &Form1::G_kakudai_Click);
  connect(this, &Form1::Image1Clicked, this, widgets::Guarded(store_, [this] { Image1_Click(); }));
}

bool Form1::PictureShown() const { return !Image1->pixmap().isNull(); }

// --- 新規入力 ----------------------------------------------------------------

void Form1::D_sinki_Click() {
  RunPendingLeaveCheck();
  StartNewExamination();
}

// --- 登録 ------------------------------------------------------------------

bool Form1::RefuseField(QWidget* field, std::string_view message, bool empty) {
  ui_.MsgBox(message, platform::kExclamation);
  if (empty) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->clear();
  }
  field->setEnabled(true);
  field->setFocus();
  return false;
}

bool Form1::RegistrationFieldsComplete() {
  if (Text1[0]->text().isEmpty()) return RefuseField(Text1[0], "日付データが不正です。", true);
  if (Text1[1]->text().isEmpty()) return RefuseField(Text1[1], "ＩＤデータが不正です。", true);
  if (Text1[2]->text().isEmpty()) return RefuseField(Text1[2], "氏名が不正です。", true);
  if (Combo1->currentText().isEmpty()) return RefuseField(Combo1, "性別が未入力です。", false);
  const std::string name = S(Text2->text().trimmed());
  if (name.empty()) return RefuseField(Text2, "登録画像名が入力されていません。", false);
  if (!store::IsStorableImageName(name)) {
    return RefuseField(Text2, "登録画像名が不正です。", true);
  }
  return true;
}

std::string Form1::StoredImageName() const { return store::StoredImageName(S(Text2->text())); }

bool Form1::ImageNameTaken(const std::string& imageName, int exceptRecord) {
  if (!store::FindImageFile(store_.Files(), imageName).empty()) return true;
  std::vector<std::int32_t> naming;
  if (platform::Status s = store::ExaminationsNamingImage(store_, imageName, naming); !s.ok()) {
    return true;  // unknown: never risk two records on one picture
  }
  return std::any_of(naming.begin(), naming.end(),
                     [exceptRecord](std::int32_t n) { return n != exceptRecord; });
}

void Form1::D_touroku_Click() {
  RunPendingLeaveCheck();
  if (DataFileRefused(true)) return;
  if (!CheckFocusedField()) return;
  if (!RegistrationFieldsComplete()) return;
  const std::string imageName = StoredImageName();
  const int n = ShownRecordNumber();

  if (n > store_.RecordCount) {
    store::StoreFormInRecord(store_, *this);
    // A picture file of that name, or another examination naming it (one
    // registered without a picture), would make two records share one.
    if (ImageNameTaken(imageName, 0)) {
      RefuseField(Text2, "登録済みの画像名です。変更して下さい。", true);
      return;
    }
    store_.CurrentRecord.Set(ExamField::RecordNo, store::ExamRecordNo(store_.RecordCount + 1));
    store_.CurrentRecord.Set(ExamField::ImageName, imageName);
    if (platform::Status s =
            store_.DataFileNo
                ? store_.DataFileNo->Write(store_.RecordCount + 1, store_.CurrentRecord)
                : platform::Status::Error(platform::kBadFileNameOrNumber);
        !s.ok()) {
      ui_.ShowErrorNumber(s.error);
      return;
    }
    store_.RecordCount += 1;

    const bool stored = store::StorePicture(store_, ui_, Image1->pixmap().toImage(), imageName);
    // The source is offered for deletion only once its picture is safely in
    // the image directory; otherwise it is the only copy.
    if (stored) {
      const int answer = ui_.MsgBox("元の画像を削除しますか？", platform::kYesNo);
      store_.Answer = std::to_string(answer);
      // A source inside the image directory is the picture of another
      // record (or the one just written) and is never deleted from here.
      if (answer == platform::kAnswerYes && PictureShown() &&
          !store::InImageDirectory(store_.Files(), store_.ImageSourcePath)) {
        if (platform::Status s = store_.Files().Delete(store_.ImageSourcePath); !s.ok()) {
          ui_.ShowErrorNumber(s.error);
        }
        if (dialog_ != nullptr) dialog_->RefreshFileList();
      }
    }

    store_.CountRecords();
    StartNewExamination();
    return;
  }

  // An existing record. A changed image name must not take over the
  // picture of another record.
  store::ExamRecord stored;
  if (store_.DataFileNo && store_.DataFileNo->Read(n, stored).ok() &&
      !EqualsIgnoringAsciiCase(stored.Get(ExamField::ImageName), imageName) &&
      ImageNameTaken(imageName, n)) {
    RefuseField(Text2, "登録済みの画像名です。変更して下さい。", true);
    return;
  }
  const int answer = ui_.MsgBox("このデータを上書きしますか？", platform::kYesNo);
  store_.Answer = std::to_string(answer);
  if (answer == platform::kAnswerNo) return;

  store::StoreFormInRecord(store_, *this);
  store_.CurrentRecord.Set(ExamField::RecordNo, store::ExamRecordNo(n));
  store_.CurrentRecord.Set(ExamField::ImageName, imageName);
  if (platform::Status s = store_.DataFileNo->Write(n, store_.CurrentRecord); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return;
  }
  // The record's own JPEG, shown as it was loaded, stays byte for byte: only
  // a picture newly loaded for the record is converted.
  const bool ownPictureUnchanged =
      storedPictureOf_ == n && PictureShown() &&
      EqualsIgnoringAsciiCase(stored.Get(ExamField::ImageName), imageName);
  if (!ownPictureUnchanged)
    (void)store::StorePicture(store_, ui_, Image1->pixmap().toImage(), imageName);
  StartNewExamination();
}

// --- 削除 ------------------------------------------------------------------

void Form1::sakujyo_Click() {
  RunPendingLeaveCheck();
  if (DataFileRefused(true)) return;
  if (store_.RecordCount == 0) {
    ui_.MsgBox("保存データは０件です。", platform::kExclamation);
    return;
  }
  if (Text1[1]->text().isEmpty()) return;
  const int answer = ui_.MsgBox("このデータを削除しますか？", platform::kYesNo);
  store_.Answer = std::to_string(answer);
  if (answer == platform::kAnswerNo) return;
  const int n = ShownRecordNumber();
  if (n < 1 || n > store_.RecordCount) {
    ui_.MsgBox("削除できません。", platform::kExclamation);
    return;
  }

  // The picture of record n, by the name the record holds (the field on
  // screen may have been changed by an ID typed since).
  store::ExamRecord doomed;
  if (platform::Status s = store_.DataFileNo->Read(n, doomed); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return;
  }
  const std::string picture = doomed.Get(ExamField::ImageName);

  store::LongOperation operation(store_);
  if (!operation) return;
  const store::RebuildResult rebuilt =
      store::DeleteAndRenumber(store_, store::Staging::WorkFile, n, &ProgressDialog());
  if (!rebuilt.ok()) {
    if (rebuilt.Changed()) {
      ui_.MsgBox("データは削除されましたが、その後の処理でエラーが発生しました。（エラー番号 " +
                     std::to_string(rebuilt.status.error) + "）",
                 platform::kExclamation);
    } else {
      ui_.ShowErrorNumber(rebuilt.status.error);
    }
    // Whatever the rebuild left, the form shows what is stored at its number
    // now, so that 上書き can never write this record over another one.
    if (n <= store_.RecordCount) {
      ShowExamination(n);
    } else if (store_.RecordCount > 0) {
      ShowExamination(store_.RecordCount);
    } else {
      StartNewExamination();
    }
    if (!rebuilt.Changed()) return;
  }
  // Only once the record is gone does its picture go, and only when no
  // other examination names it.
  bool deleted = false;
  (void)store::DeleteUnsharedImage(store_, picture, 0, deleted);
  if (!rebuilt.ok()) return;

  ui_.MsgBox("削除終了。", platform::kOkOnly);
  if (store_.RecordCount > 0) {
    if (!ShowExamination(store_.RecordCount)) return;
  } else {
    StartNewExamination();
  }
  Text1[0]->setFocus();
}

// --- 全削除 ----------------------------------------------------------------

void Form1::ALL_sakujyo_Click() {
  RunPendingLeaveCheck();
  if (DataFileRefused(true)) return;
  if (store_.RecordCount == 0) {
    ui_.MsgBox("保存データは０件です。", platform::kExclamation);
    return;
  }
  const int answer = ui_.MsgBox("保存されているデータを全て削除しますか？", platform::kYesNo);
  store_.Answer = std::to_string(answer);
  if (answer == platform::kAnswerNo) return;

  store::LongOperation operation(store_);
  if (!operation) return;
  const platform::Status firstFailure = store::DeleteAllExaminations(store_);
  if (firstFailure.ok()) {
    ui_.MsgBox("削除終了。", platform::kOkOnly);
  } else {
    ui_.ShowErrorNumber(firstFailure.error);
  }
  if (store_.RecordCount > 0) {
    // The data file could not be removed: it is still the file on screen.
    ShowExamination(store_.RecordCount);
    return;
  }
  StartNewExamination();
  if (dialog_ != nullptr) dialog_->RefreshFileList();
}

// --- The image-load dialog -------------------------------------------------

Dialog* Form1::ImageLoadDialog() {
  if (dialog_ == nullptr) {
    dialog_ = new Dialog(
        store_, ui_,
        [this](const QImage& picture) {
          storedPictureOf_ = 0;
          Image1->setPixmap(QPixmap::fromImage(picture));
          Image1->setVisible(true);
          store::ShowImageFileFacts(store_, *this);
        },
        this);
  }
  return dialog_;
}

void Form1::OpenImageLoadDialog(bool lowerMainWindow) {
  Dialog* dialog = ImageLoadDialog();
  dialog->ClearFileFacts();
  if (lowerMainWindow) {
    ShowSecondaryWindow(dialog);
  } else {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
  }
}

void Form1::G_yomokomi_Click() { OpenImageLoadDialog(false); }

void Form1::Image1_Click() {
  if (!PictureShown()) OpenImageLoadDialog(true);
}

void Form1::G_kakudai_Click() {
  // With a picture shown, enlarging is the zoom window's.
  if (!PictureShown()) OpenImageLoadDialog(true);
}
