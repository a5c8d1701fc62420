// The commands that change the examination data file: 新規入力, 登録, 削除,
// 全削除, and the three ways of opening the image-load dialog. The workflows
// are the session's; the window hands over the form and shows the outcome.

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <filesystem>

#include "forms/image_facts.h"
#include "forms/record_transfer.h"
#include "mainwin/main_window.h"
#include "platform/qt_text.h"
#include "views/image_load_dialog.h"
#include "widgets/command_guard.h"
#include "widgets/form_setup.h"
#include "widgets/progress_window.h"

using platform::S;

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

void Form1::D_sinki_Click() {
  RunPendingLeaveCheck();
  if (!MayLeaveForm()) return;
  StartNewExamination();
}

// --- 登録 ------------------------------------------------------------------

void Form1::RefuseField(const sessions::FieldRefusal& refusal) {
  sessions::Show(ui_, refusal);
  QWidget* const fields[] = {nullptr, Text1[0], Text1[1], Text1[2], Combo1, Text2};
  QWidget* field = fields[static_cast<int>(refusal.field)];
  if (refusal.empty) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->clear();
  }
  field->setEnabled(true);
  field->setFocus();
}

sessions::ExamEntry Form1::Entry() const {
  sessions::ExamEntry entry;
  entry.examDate = S(Text1[0]->text());
  entry.patientId = S(Text1[1]->text());
  entry.name = S(Text1[2]->text());
  entry.sex = S(Combo1->currentText());
  entry.imageName = S(Text2->text());
  entry.imageNameTrimmed = S(Text2->text().trimmed());
  store::StoreFormInRecord(*this, entry.record);
  return entry;
}

void Form1::D_touroku_Click() {
  RunPendingLeaveCheck();
  if (DataFileRefused(true)) return;
  if (!CheckFocusedField()) return;
  const sessions::ExamEntry entry = Entry();
  if (const sessions::FieldRefusal refusal = sessions::ExamFormSession::CheckEntry(entry)) {
    RefuseField(refusal);
  } else if (session_.EditingNewExamination()) {
    RegisterNew(entry);
  } else {
    Overwrite(entry);
  }
}

void Form1::RegisterNew(const sessions::ExamEntry& entry) {
  sessions::FormChange done = session_.RegisterNew(
      entry, store::PictureConversionOf(store_.Files(), store::FullPicture(store_.Files(), *this)));
  if (done) return RefuseField(done);
  if (done.ask) {
    sessions::Show(ui_, done);
    done = session_.DeleteSource(Confirm(done), PictureShown());
    if (done.filesChanged && dialog_ != nullptr) dialog_->RefreshFileList();
  }
  Apply(done);
}

void Form1::Overwrite(const sessions::ExamEntry& entry) {
  const sessions::FormChange check = session_.CheckOverwrite(entry);
  if (check) return RefuseField(check);
  if (!check.ask) return sessions::Show(ui_, check);  // changed on another workstation
  if (!Confirm(check)) return;
  Apply(session_.Overwrite(entry, store::PictureConversionOf(
                                      store_.Files(), store::FullPicture(store_.Files(), *this))));
}

// --- 削除, 全削除 --------------------------------------------------------------

void Form1::sakujyo_Click() {
  RunPendingLeaveCheck();
  const sessions::FormChange check = session_.AskDelete(Text1[1]->text().isEmpty());
  if (!check.ask) return sessions::Show(ui_, check);
  if (!Confirm(check)) return;
  const sessions::FormChange done = session_.Delete(ProgressDialog());
  if (Apply(done) && done.focusDate) Text1[0]->setFocus();
}

void Form1::ALL_sakujyo_Click() {
  RunPendingLeaveCheck();
  const sessions::FormChange check = session_.AskDeleteAll();
  if (!check.ask) return sessions::Show(ui_, check);
  if (!Confirm(check)) return;
  const sessions::FormChange done = session_.DeleteAll();
  Apply(done);
  if (done.filesChanged && dialog_ != nullptr) dialog_->RefreshFileList();
}

// --- The image-load dialog -------------------------------------------------

Dialog* Form1::ImageLoadDialog() {
  if (dialog_ == nullptr) {
    dialog_ = new Dialog(
        store_, ui_,
        [this](const QImage& picture, const std::string& path) {
          session_.PictureLoaded(path);
          Image1->setPixmap(QPixmap::fromImage(picture));
          Image1->setVisible(true);
          store::ShowImageFileFacts(store_.Files(), path,
                                    std::filesystem::path(path).filename().string(), *this);
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
    widgets::ShowInFront(dialog);
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
