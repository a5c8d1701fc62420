#include "views/list_views.h"

#include <QLabel>
#include <QWidget>

#include "forms/list_pages.h"
#include "platform/qt_text.h"
#include "views/list_view1.h"
#include "views/list_view2.h"
#include "widgets/form_setup.h"

ListViews::ListViews(sessions::ExamListSession& session, platform::Ui& ui, QWidget* owner)
    : QObject(owner), session_(session), ui_(ui) {
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

bool ListViews::ListOpen() const { return drawn_ && session_.WorkFileOpen(); }

void ListViews::Redraw() {
  const sessions::ListPageOutcome page = session_.ReadPage();
  store::ClearListRows1(*form5_, static_cast<int>(page.rows.size()));
  store::ShowListPage(page, form5_, nullptr);
  view2Page_ = page;
  view2Behind_ = true;
  if (form13_->isVisible()) DrawView2();
  // The picture cell only where a row holds a record.
  for (int r = 0; r < store::kRowsPerPage; ++r) {
    form5_->Image1[r]->setVisible(!form5_->Label2[r]->text().isEmpty());
  }
  drawn_ = true;
  sessions::Show(ui_, page);
}

void ListViews::DrawView2() {
  if (!view2Behind_) return;
  view2Behind_ = false;
  store::ClearListRows2(*form13_, static_cast<int>(view2Page_.rows.size()));
  store::ShowListPage(view2Page_, nullptr, form13_);
}

Form13* ListViews::View2() {
  DrawView2();
  return form13_;
}

void ListViews::ShowFirstPage() {
  session_.FirstPage();
  Redraw();
  form13_->hide();
  Show(form5_);
}

void ListViews::ShowAgain() { Show(form5_); }

void ListViews::HideViews() {
  drawn_ = false;
  form5_->hide();
  form13_->hide();
}

void ListViews::DataFileChanged() {
  if (drawn_ && !session_.WorkFileOpen()) HideViews();
}

platform::Status ListViews::DiscardList() {
  HideViews();
  return session_.DiscardWorkFile();
}

void ListViews::Show(QWidget* view) {
  if (showWindow) {
    showWindow(view);
    return;
  }
  widgets::ShowInFront(view);
}

bool ListViews::Shown(const sessions::ListStepOutcome& step) {
  if (step.step == sessions::ListStep::Ended) HideViews();
  sessions::Show(ui_, step);
  return step.step == sessions::ListStep::Moved;
}

void ListViews::PreviousPage() {
  if (Shown(session_.PreviousPage())) Redraw();
}

void ListViews::NextPage() {
  if (Shown(session_.NextPage())) Redraw();
}

void ListViews::SliderPage(int page) {
  if (Shown(session_.GoToPage(page))) Redraw();
}

void ListViews::OpenRowRecord(QWidget* view, int key) {
  const sessions::ListStepOutcome row = session_.OpenRow(key);
  Shown(row);
  if (row.step != sessions::ListStep::RowChosen || !showExamination) return;
  if (!showExamination(row.record)) return;
  view->hide();
  if (QWidget* owner = qobject_cast<QWidget*>(parent())) owner->window()->activateWindow();
}

void ListViews::ShowRowImage(int key) {
  const sessions::ListStepOutcome row = session_.RowImage(key);
  Shown(row);
  if (row.step == sessions::ListStep::RowChosen && showZoom) {
    showZoom(row.imageFile, row.name, row.examDate);
  }
}

void ListViews::ShowRowComment(int key) { Shown(session_.RowComment(key)); }
void ListViews::ShowRowFindings(int key) { Shown(session_.RowFindings(key)); }
void ListViews::ShowRowArrhythmias(int key) { Shown(session_.RowArrhythmias(key)); }

void ListViews::Print() {
  if (openPrintRange_) openPrintRange_();
}

void ListViews::Close() {
  if (session_.LongOperationRunning()) return;
  if (platform::Status s = DiscardList(); !s.ok()) ui_.ShowErrorNumber(s.error);
}

void ListViews::ShowView1() {
  if (session_.LongOperationRunning()) return;
  Show(form5_);
  form13_->hide();
}

void ListViews::ShowView2() {
  if (session_.LongOperationRunning()) return;
  DrawView2();
  Show(form13_);
  form5_->hide();
}

void ListViews::CompareRow(int key) {
  if (compare && key > 0 && !session_.LongOperationRunning()) compare(key);
}
