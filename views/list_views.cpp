#include "views/list_views.h"

#include <QLabel>
#include <QSlider>
#include <QWidget>

#include "platform/qt_text.h"
#include "forms/list_pages.h"
#include "store/image_files.h"
#include "store/list_pages.h"
#include "store/text_format.h"
#include "views/list_view2.h"
#include "views/list_view1.h"

using platform::S;
using store::ExamField;

namespace {

constexpr const char* kCarriageReturn = "\r";

}  // namespace

ListViews::ListViews(store::Store& store, platform::Ui& ui, QWidget* owner)
    : QObject(owner), store_(store), ui_(ui) {
  setObjectName(QStringLiteral("ListViews"));
  form5_ = new Form5(*this, owner);
  form13_ = new Form13(*this, owner);
  store::ClearListRows1(*form5_);
  store::ClearListRows2(*form13_);
}

void ListViews::SetPrintRange(std::function<void()> openPrintRange) {
  openPrintRange_ = std::move(openPrintRange);
  form5_->EnablePrint(static_cast<bool>(openPrintRange_));
  form13_->EnablePrint(static_cast<bool>(openPrintRange_));
}

bool ListViews::ListOpen() const { return drawn_ && store_.WorkFileNo != nullptr; }

void ListViews::Redraw() {
  store::ClearListRows1(*form5_);
  store::ClearListRows2(*form13_);
  const platform::Status s = store::ShowListPage(store_, form5_, form13_);
  // The picture cell only where a row holds a record.
  for (int r = 0; r < store::kRowsPerPage; ++r) {
    form5_->Image1[r]->setVisible(!form5_->Label2[r]->text().isEmpty());
  }
  drawn_ = true;
  if (!s.ok()) ui_.ShowErrorNumber(s.error);
}

void ListViews::ShowFirstPage() {
  store::FirstListPage(store_);
  Redraw();
  form13_->hide();
  Show(form5_);
}

void ListViews::ShowAgain() { Show(form5_); }

platform::Status ListViews::DiscardList() {
  drawn_ = false;
  form5_->hide();
  form13_->hide();
  return store::DiscardWorkFile(store_);
}

void ListViews::Show(QWidget* view) {
  if (showWindow) {
    showWindow(view);
    return;
  }
  view->show();
  view->raise();
  view->activateWindow();
}

bool ListViews::ListStillOpen() {
  if (store_.WorkFileNo) return true;
  drawn_ = false;
  form5_->hide();
  form13_->hide();
  ui_.MsgBox("表示するデータがありません。", platform::kExclamation);
  return false;
}

void ListViews::PreviousPage() {
  if (store_.LongOperationRunning() || !ListStillOpen()) return;
  if (!store::PreviousListPage(store_)) {
    ui_.MsgBox("データは以上です。", platform::kCritical);
    return;
  }
  Redraw();
}

void ListViews::NextPage() {
  if (store_.LongOperationRunning() || !ListStillOpen()) return;
  if (!store::NextListPage(store_)) {
    ui_.MsgBox("データは以上です。", platform::kCritical);
    return;
  }
  Redraw();
}

void ListViews::SliderPage(QSlider* own) {
  if (store_.LongOperationRunning() || store_.RecordCount < 2) return;
  if (!ListStillOpen()) return;
  store::GoToListPage(store_, own->value());
  Redraw();
}

void ListViews::OpenRowRecord(QWidget* view, const QString& fileNumber) {
  if (store_.LongOperationRunning() || !ListStillOpen()) return;
  const int n = store::RowRecordNumber(store_, S(fileNumber));
  if (n == 0 || !showExamination) return;
  if (!showExamination(n)) return;
  view->hide();
  if (QWidget* owner = qobject_cast<QWidget*>(parent())) owner->window()->activateWindow();
}

int ListViews::ReadRowRecord(const QString& fileNumber) {
  if (store_.LongOperationRunning() || !ListStillOpen()) return 0;
  const int n = store::RowRecordNumber(store_, S(fileNumber));
  if (n == 0) return 0;
  if (platform::Status s = store_.ReadCurrentRecord(n); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return 0;
  }
  return n;
}

void ListViews::ShowRowImage(const QString& fileNumber) {
  if (ReadRowRecord(fileNumber) == 0) return;
  const std::string name = store_.CurrentRecord.Get(ExamField::ImageName);
  const std::string found = store::FindImageFile(store_.Files(), name);
  if (found.empty()) {
    ui_.MsgBox("画像：" + name + ".jpgはありません。");
    return;
  }
  if (showZoom) showZoom(std::string(store::kImageDir) + found);
}

void ListViews::ShowRowComment(const QString& fileNumber) {
  if (ReadRowRecord(fileNumber) == 0) return;
  const std::string comment = store_.CurrentRecord.Get(ExamField::Comment);
  ui_.MsgBox(comment.empty() ? "コメントはありません。" : comment);
}

void ListViews::ShowRowFindings(const QString& fileNumber) {
  if (ReadRowRecord(fileNumber) == 0) return;
  std::string text;
  for (int i = 0; i < 5; ++i) {
    if (i > 0) text += kCarriageReturn;
    text += store_.CurrentRecord.Get(store::LeadSiteField(i)) + "/" +
            store_.CurrentRecord.Get(store::FindingField(i));
  }
  ui_.MsgBox(text);
}

void ListViews::ShowRowArrhythmias(const QString& fileNumber) {
  if (ReadRowRecord(fileNumber) == 0) return;
  std::string text;
  for (int i = 0; i < 5; ++i) {
    if (i > 0) text += kCarriageReturn;
    text += store_.CurrentRecord.Get(store::ArrhythmiaField(i));
  }
  ui_.MsgBox(text);
}

void ListViews::Close() {
  if (store_.LongOperationRunning()) return;
  if (platform::Status s = DiscardList(); !s.ok()) ui_.ShowErrorNumber(s.error);
}

void ListViews::ShowView1() {
  if (store_.LongOperationRunning()) return;
  Show(form5_);
  form13_->hide();
}

void ListViews::ShowView2() {
  if (store_.LongOperationRunning()) return;
  Show(form13_);
  form5_->hide();
}
