#include "history/history_window.h"

#include <optional>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "forms/record_transfer.h"
#include "platform/qt_text.h"
#include "widgets/form_setup.h"
#include "widgets/record_layout.h"
#include "widgets/twips.h"

using platform::Q;
using platform::S;
using widgets::Px;
using widgets::Twips;

namespace {

constexpr const char* kMarked = "background-color: #fff176; color: black;";
const char* const kPatientCaptions[] = {"患者ID",   "氏名", "フリガナ", "性別",
                                        "生年月日", "所属", "備考"};

std::string Day(const QDateEdit* edit) {
  return S(edit->date().toString(QStringLiteral("yyyy/MM/dd")));
}

}  // namespace

HistoryWindow::HistoryWindow(sessions::HistorySession& session, platform::Ui& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui) {
  setObjectName(QStringLiteral("HistoryWindow"));
  setWindowTitle(QStringLiteral("変更履歴"));
  setFont(widgets::FormFont(9));
  auto* client = new QWidget(this);
  BuildControls(client);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(client);
  resize(Px(15500), Px(9600));
}

QWidget* HistoryWindow::BuildRecordArea(QWidget* client) {
  // The record fields at the form's places, for reading only.
  auto* record = new QWidget(client);
  record->setMinimumSize(Px(15240), Px(3720));
  QPalette legible = record->palette();
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
    legible.setColor(QPalette::Disabled, role, legible.color(QPalette::Active, role));
  }
  record->setPalette(legible);
  frame_ = widgets::RecordFieldsFrame(record, *this);
  Text2 = new QLineEdit(record);  // the image name, shown in the frame's title
  Text2->hide();
  frame_->setEnabled(false);

  patientFields_ = new QWidget(record);
  patientFields_->setGeometry(Twips(60, 0, 15120, 3690));
  auto* grid = new QGridLayout(patientFields_);
  for (int i = 0; i < 7; ++i) {
    grid->addWidget(new QLabel(QString::fromUtf8(kPatientCaptions[i]), patientFields_), i, 0);
    auto* edit = new QLineEdit(patientFields_);
    edit->setReadOnly(true);
    grid->addWidget(edit, i, 1);
    patientEdits_.push_back(edit);
  }
  patientFields_->hide();
  return record;
}

void HistoryWindow::BuildControls(QWidget* client) {
  title_ = new QLabel(client);
  title_->setObjectName(QStringLiteral("Title"));
  QWidget* record = BuildRecordArea(client);

  deleted_ = new QLabel(QStringLiteral("（削除された検査）"), client);
  deleted_->setStyleSheet(QStringLiteral("color: #c00000;"));
  deleted_->hide();

  versions_ = new QTableWidget(0, 3, client);
  versions_->setObjectName(QStringLiteral("Versions"));
  versions_->setHorizontalHeaderLabels(
      {QStringLiteral("日時"), QStringLiteral("ユーザー"), QStringLiteral("操作")});
  versions_->setSelectionBehavior(QAbstractItemView::SelectRows);
  versions_->setSelectionMode(QAbstractItemView::SingleSelection);
  versions_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  versions_->horizontalHeader()->setStretchLastSection(true);
  versions_->setColumnWidth(0, Px(3600));
  versions_->setColumnWidth(1, Px(1800));
  versions_->verticalHeader()->hide();
  connect(versions_, &QTableWidget::currentCellChanged, this,
          [this](int row) { ShowVersion(row); });

  restore_ = new QPushButton(QStringLiteral("元に戻す(&R)"), client);
  restore_->setObjectName(QStringLiteral("Restore"));
  restore_->setEnabled(false);
  connect(restore_, &QPushButton::clicked, this, [this] { Restore(); });

  BuildLowerPart(client, record);
}

void HistoryWindow::BuildLowerPart(QWidget* client, QWidget* record) {
  size_ = new QLabel(client);
  size_->setObjectName(QStringLiteral("Size"));
  archiveBefore_ = new QDateEdit(QDate::currentDate().addYears(-1), client);
  archiveBefore_->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  auto* archive = new QPushButton(QStringLiteral("より前を保管ファイルへ移す(&A)"), client);
  connect(archive, &QPushButton::clicked, this, [this] { Archive(); });

  csvRange_ = new QCheckBox(QStringLiteral("期間"), client);
  csvFrom_ = new QDateEdit(QDate::currentDate().addMonths(-1), client);
  csvTo_ = new QDateEdit(QDate::currentDate(), client);
  for (QDateEdit* edit : {csvFrom_, csvTo_}) edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  auto* csv = new QPushButton(QStringLiteral("CSV出力(&C)"), client);
  connect(csv, &QPushButton::clicked, this, [this] { ExportCsv(); });
  auto* close = new QPushButton(QStringLiteral("閉じる(&X)"), client);
  connect(close, &QPushButton::clicked, this, &QWidget::close);

  auto* buttons = new QVBoxLayout();
  buttons->addWidget(restore_);
  buttons->addSpacing(Px(300));
  buttons->addWidget(new QLabel(QStringLiteral("履歴の大きさ"), client));
  buttons->addWidget(size_);
  auto* archiveRow = new QHBoxLayout();
  archiveRow->addWidget(archiveBefore_);
  archiveRow->addWidget(archive);
  buttons->addLayout(archiveRow);
  auto* csvRow = new QHBoxLayout();
  csvRow->addWidget(csvRange_);
  csvRow->addWidget(csvFrom_);
  csvRow->addWidget(new QLabel(QStringLiteral("～"), client));
  csvRow->addWidget(csvTo_);
  csvRow->addWidget(csv);
  buttons->addLayout(csvRow);
  buttons->addStretch();
  buttons->addWidget(close);

  none_ = new QLabel(client);
  none_->setObjectName(QStringLiteral("NoVersions"));
  none_->hide();
  auto* listed = new QVBoxLayout();
  listed->addWidget(none_);
  listed->addWidget(versions_, 1);
  auto* lower = new QHBoxLayout();
  lower->addLayout(listed, 1);
  lower->addLayout(buttons);
  auto* layout = new QVBoxLayout(client);
  layout->addWidget(title_);
  layout->addWidget(record);
  layout->addWidget(deleted_);
  layout->addLayout(lower, 1);
}

void HistoryWindow::ShowExamination(int record) {
  record_ = record;
  patientId_.clear();
  title_->setText(QStringLiteral("ファイルＮＯ %1 の変更履歴").arg(record));
  Reload();
}

void HistoryWindow::ShowLastChanged() {
  record_ = kLastChanged;
  patientId_.clear();
  title_->setText(QStringLiteral("最後に変更した検査の変更履歴"));
  Reload();
}

void HistoryWindow::ShowPatient(const std::string& patientId) {
  record_ = 0;
  patientId_ = patientId;
  title_->setText(QStringLiteral("患者ID %1 の変更履歴").arg(Q(patientId)));
  Reload();
}

void HistoryWindow::Reload() {
  const sessions::Versions versions = !patientId_.empty()       ? session_.OfPatient(patientId_)
                                      : record_ == kLastChanged ? session_.OfLastChanged()
                                                                : session_.OfExamination(record_);
  sessions::Show(ui_, versions);
  rows_ = versions.rows;
  none_->setText(Q(versions.none));
  none_->setVisible(rows_.empty() && versions.Silent() && !versions.none.empty());
  versions_->setRowCount(0);
  versions_->setRowCount(static_cast<int>(rows_.size()));
  for (int i = 0; i < versions_->rowCount(); ++i) {
    const sessions::VersionRow& row = rows_[static_cast<std::size_t>(i)];
    versions_->setItem(i, 0, new QTableWidgetItem(Q(row.time)));
    versions_->setItem(i, 1, new QTableWidgetItem(Q(row.user)));
    versions_->setItem(i, 2, new QTableWidgetItem(Q(row.operation)));
  }
  size_->setText(Q(session_.SizeText()));
  frame_->setVisible(patientId_.empty());
  patientFields_->setVisible(!patientId_.empty());
  if (rows_.empty()) {
    ShowVersion(-1);
  } else {
    versions_->setCurrentCell(0, 0);
    ShowVersion(0);
  }
}

void HistoryWindow::FollowDrive() {
  if (patientId_.empty() && record_ != kLastChanged) {
    const int now = session_.ListedExaminationNow();
    if (now == 0) return;  // gone: its versions stay as they were listed
    record_ = now;
  }
  const int row = versions_->currentRow();
  const std::optional<std::pair<std::size_t, bool>> chosen =
      row >= 0 && row < static_cast<int>(rows_.size())
          ? std::optional(std::pair(rows_[static_cast<std::size_t>(row)].position,
                                    rows_[static_cast<std::size_t>(row)].beforeChange))
          : std::nullopt;
  Reload();
  if (!chosen) return;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].position == chosen->first && rows_[i].beforeChange == chosen->second) {
      versions_->setCurrentCell(static_cast<int>(i), 0);
      ShowVersion(static_cast<int>(i));
      return;
    }
  }
}

QWidget* HistoryWindow::FieldControl(int field) const {
  using store::ExamField;
  const auto f = static_cast<ExamField>(field);
  switch (f) {
    case ExamField::ExamDate:
      return Text1[0];
    case ExamField::PatientId:
      return Text1[1];
    case ExamField::Name:
      return Text1[2];
    case ExamField::Age:
      return Text1[3];
    case ExamField::HeartRate:
      return Text1[4];
    case ExamField::Sex:
      return Combo1;
    case ExamField::Department:
      return Combo2;
    case ExamField::Comment:
      return Text3;
    default:
      break;
  }
  if (field >= static_cast<int>(ExamField::LeadSite1) &&
      field <= static_cast<int>(ExamField::LeadSite5)) {
    return Combo3[static_cast<std::size_t>(field - static_cast<int>(ExamField::LeadSite1))];
  }
  if (field >= static_cast<int>(ExamField::Finding1) &&
      field <= static_cast<int>(ExamField::Finding5)) {
    return Combo4[static_cast<std::size_t>(field - static_cast<int>(ExamField::Finding1))];
  }
  if (field >= static_cast<int>(ExamField::Arrhythmia1) &&
      field <= static_cast<int>(ExamField::Arrhythmia5)) {
    return Combo5[static_cast<std::size_t>(field - static_cast<int>(ExamField::Arrhythmia1))];
  }
  return nullptr;
}

std::vector<QWidget*> HistoryWindow::MarkedFields() const {
  std::vector<QWidget*> marked;
  for (int f = 0; f < 25; ++f) {
    if (QWidget* w = FieldControl(f); w != nullptr && !w->styleSheet().isEmpty()) {
      marked.push_back(w);
    }
  }
  for (QLineEdit* edit : patientEdits_) {
    if (!edit->styleSheet().isEmpty()) marked.push_back(edit);
  }
  return marked;
}

void HistoryWindow::ShowPatientRecord(const store::PatientRecord& patient,
                                      const std::vector<int>& changed) {
  for (int i = 0; i < 7; ++i) {
    QLineEdit* edit = patientEdits_[static_cast<std::size_t>(i)];
    edit->setText(Q(patient.Get(static_cast<store::PatientField>(i + 1))));
    const bool marked = std::find(changed.begin(), changed.end(), i + 1) != changed.end();
    edit->setStyleSheet(marked ? QString::fromUtf8(kMarked) : QString());
  }
}

void HistoryWindow::ShowVersion(int row) {
  for (int f = 0; f < 25; ++f) {
    if (QWidget* w = FieldControl(f)) w->setStyleSheet(QString());
  }
  restore_->setEnabled(row >= 0 && row < static_cast<int>(rows_.size()));
  deleted_->hide();
  if (!restore_->isEnabled()) {
    ShowCurrentRecord(store::ExamRecord(), *this);
    ShowPatientRecord(store::PatientRecord(), {});
    return;
  }
  const sessions::ShownVersion shown = session_.Show(rows_[static_cast<std::size_t>(row)]);
  sessions::Show(ui_, shown);
  if (!shown.read) return;
  deleted_->setVisible(shown.deleted);
  if (!shown.examination) {
    ShowPatientRecord(shown.patient, shown.changed);
    return;
  }
  ShowCurrentRecord(shown.exam, *this);
  frame_->setTitle(QStringLiteral("画像名：") + Q(shown.exam.Get(store::ExamField::ImageName)));
  for (int f : shown.changed) {
    if (QWidget* w = FieldControl(f)) w->setStyleSheet(QString::fromUtf8(kMarked));
  }
}

void HistoryWindow::Restore() {
  const int row = versions_->currentRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (ui_.MsgBox("この版を現在のデータにしますか？",
                 platform::kYesNo | platform::kDefaultButton2) != platform::kAnswerYes) {
    return;
  }
  const sessions::HistoryChange done = session_.Restore(rows_[static_cast<std::size_t>(row)]);
  sessions::Show(ui_, done);
  if (!done.changed) return;
  if (restored) restored(done.record);
  if (done.record > 0 && done.record != record_ && patientId_.empty()) {
    ShowExamination(done.record);
  } else {
    Reload();
  }
}

void HistoryWindow::Archive() {
  const std::string day = Day(archiveBefore_);
  if (ui_.MsgBox(day + " より前の履歴を保管ファイルへ移しますか？",
                 platform::kYesNo | platform::kDefaultButton2) != platform::kAnswerYes) {
    return;
  }
  sessions::Show(ui_, session_.ArchiveBefore(day));
  Reload();
}

void HistoryWindow::ExportCsv() {
  const std::string path = askCsvPath ? askCsvPath() : std::string();
  if (path.empty()) return;
  const bool range = csvRange_->isChecked();
  sessions::Show(ui_, session_.ExportCsv(path, range ? Day(csvFrom_) : std::string(),
                                         range ? Day(csvTo_) : std::string()));
}

HistoryWindows::HistoryWindows(store::Store& store, platform::Ui& ui, QWidget* owner)
    : QObject(owner), session_(store), ui_(ui), owner_(owner) {
  setObjectName(QStringLiteral("HistoryWindows"));
}

void HistoryWindows::FollowDrive() {
  if (window_ != nullptr && window_->isVisible()) window_->FollowDrive();
}

HistoryWindow& HistoryWindows::Window() {
  if (window_ == nullptr) window_ = new HistoryWindow(session_, ui_, owner_);
  return *window_;
}
