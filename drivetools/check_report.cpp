#include "drivetools/check_report.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt_text.h"

namespace drivetools {

CheckReport::CheckReport(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CheckReport"));
  setWindowTitle(QStringLiteral("データの点検"));
  auto* layout = new QVBoxLayout(this);
  auto* summary = new QLabel(this);
  summary->setObjectName(QStringLiteral("Summary"));
  layout->addWidget(summary);
  Text = new QPlainTextEdit(this);
  Text->setReadOnly(true);
  Text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  layout->addWidget(Text, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(760, 420);
}

void CheckReport::ShowReport(const std::string& report, int findings) {
  findChild<QLabel*>(QStringLiteral("Summary"))
      ->setText(findings == 0
                    ? QStringLiteral("すべてのファイルを読み、問題は見つかりませんでした。"
                                     "（何も変更していません）")
                    : QStringLiteral("%1 件の問題が見つかりました。（何も変更していません）")
                          .arg(findings));
  Text->setPlainText(platform::Q(report));
}

}  // namespace drivetools
