#include "drivetools/csv_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace drivetools {

CsvDialog::CsvDialog(bool listOnScreen, const std::filesystem::path& folder, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("CsvDialog"));
  setWindowTitle(QStringLiteral("CSV出力"));
  auto* form = new QFormLayout(this);
  auto* what = new QVBoxLayout;
  AllExams = new QRadioButton(QStringLiteral("検査（全件）"), this);
  ListedExams = new QRadioButton(QStringLiteral("検査（画面の一覧・検索結果）"), this);
  Patients = new QRadioButton(QStringLiteral("患者マスタ"), this);
  ListedExams->setEnabled(listOnScreen);
  (listOnScreen ? ListedExams : AllExams)->setChecked(true);
  for (QRadioButton* b : {AllExams, ListedExams, Patients}) {
    what->addWidget(b);
    connect(b, &QRadioButton::toggled, this, &CsvDialog::SuggestName);
  }
  form->addRow(QStringLiteral("出力する内容:"), what);
  EncodingBox = new QComboBox(this);
  EncodingBox->addItem(QStringLiteral("Shift_JIS（表計算ソフト向け）"));
  EncodingBox->addItem(QStringLiteral("UTF-8（BOM付き）"));
  form->addRow(QStringLiteral("文字コード:"), EncodingBox);
  auto* fileRow = new QHBoxLayout;
  FileEdit = new QLineEdit(QString::fromStdString(folder.string()), this);
  FileEdit->setMinimumWidth(420);
  auto* browse = new QPushButton(QStringLiteral("参照..."), this);
  connect(browse, &QPushButton::clicked, this, &CsvDialog::Browse);
  fileRow->addWidget(FileEdit, 1);
  fileRow->addWidget(browse);
  form->addRow(QStringLiteral("ファイル:"), fileRow);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("出力"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  SuggestName();
}

void CsvDialog::SuggestName() {
  const QString kind = Patients->isChecked()      ? QStringLiteral("患者マスタ")
                       : ListedExams->isChecked() ? QStringLiteral("検査一覧")
                                                  : QStringLiteral("検査");
  QString folder =
      QFileInfo(FileEdit->text()).isDir() ? FileEdit->text() : QFileInfo(FileEdit->text()).path();
  FileEdit->setText(folder + QStringLiteral("/") + kind + QStringLiteral("-") +
                    QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                    QStringLiteral(".csv"));
}

void CsvDialog::Browse() {
  const QString file = QFileDialog::getSaveFileName(
      this, QStringLiteral("CSV出力"), FileEdit->text(), QStringLiteral("CSV (*.csv)"));
  if (!file.isEmpty()) FileEdit->setText(file);
}

store::CsvSource CsvDialog::Source() const {
  if (Patients->isChecked()) return store::CsvSource::kPatients;
  return ListedExams->isChecked() ? store::CsvSource::kExamList : store::CsvSource::kExaminations;
}

store::CsvEncoding CsvDialog::Encoding() const {
  return EncodingBox->currentIndex() == 0 ? store::CsvEncoding::kCp932
                                          : store::CsvEncoding::kUtf8Bom;
}

std::filesystem::path CsvDialog::File() const { return FileEdit->text().toStdString(); }

}  // namespace drivetools
