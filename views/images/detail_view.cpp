#include "views/images/detail_view.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/cp932.h"
#include "platform/pictures.h"
#include "platform/qt_printer.h"
#include "platform/qt_text.h"
#include "platform/scaled_form.h"
#include "store/record_page.h"
#include "store/text_format.h"
#include "widgets/form_setup.h"
#include "widgets/record_layout.h"
#include "widgets/twips.h"

using platform::Q;
using platform::S;
using store::ExamField;
using widgets::Px;
using widgets::Twips;

namespace {

constexpr int kComboHeight = 330;

QLabel* Caption(QWidget* parent, const char* text, QRect where, const QString& name) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(name);
  label->setGeometry(where);
  return label;
}

// The zoom window's lines from a record's stored fields, blanks kept.
QString Untrimmed(const store::ExamRecord& r, ExamField field) {
  return Q(platform::FromCp932(r.Raw(field)));
}

}  // namespace

Form9::Form9(store::Store& store, sessions::ImageListSession& session, platform::Ui& ui,
             platform::Printer* printer, std::function<std::string()> printerName, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(store),
      session_(session),
      ui_(ui),
      printer_(printer),
      printerName_(std::move(printerName)) {
  setObjectName(QStringLiteral("Form9"));
  setWindowTitle(QStringLiteral("詳細表示"));
  setFont(widgets::FormFont(9));

  auto* client = new QWidget();
  client->setObjectName(QStringLiteral("client"));
  client->setMinimumSize(Px(15240), Px(10710));
  // Read-only fields stay as legible as the main window's.
  QPalette legible = client->palette();
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
    legible.setColor(QPalette::Disabled, role, legible.color(QPalette::Active, role));
  }
  legible.setColor(QPalette::Disabled, QPalette::Base,
                   legible.color(QPalette::Active, QPalette::Base));
  client->setPalette(legible);
  BuildControls(client);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(platform::ScaledForm::Wrap(client));
  connect(Command1, &QPushButton::clicked, this, &Form9::Command1_Click);
  connect(Command3, &QPushButton::clicked, this, [this] {
    if (compare && !store_.LongOperationRunning()) compare(openedRecord_);
  });
  connect(Command2, &QPushButton::clicked, this, [this] {
    if (!store_.LongOperationRunning()) Command2_Click();
  });
  Image1->installEventFilter(this);
  store::ClearDetailView(*this);
  widgets::OpenMaximised(this);
}

void Form9::BuildControls(QWidget* client) {
  Frame1 = widgets::RecordFieldsFrame(
      client, {Text1, Text3, Combo1, Combo2, Combo3, Combo6, Combo7, "Combo6", "Combo7"});

  Image1 = new QLabel(client);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(Twips(120, 3720, 10005, 6855));
  Image1->setScaledContents(true);
  Image1->setFrameShape(QFrame::Box);
  Image1->setToolTip(QStringLiteral("クリックして拡大表示"));
  Image1->setCursor(Qt::PointingHandCursor);

  Command2 = new QPushButton(QStringLiteral("印刷(&P)"), client);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(Twips(10320, 3840, 2175, 555));
  Command2->setEnabled(printer_ != nullptr);
  Command1 = new QPushButton(QStringLiteral("閉じる(&E)"), client);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(Twips(12720, 3840, 2175, 555));
  Command3 = new QPushButton(QStringLiteral("過去の検査と比較(&K)"), client);
  Command3->setObjectName(QStringLiteral("Command3"));
  Command3->setGeometry(Twips(10320, 4500, 4575, 480));

  const widgets::RecordNumber number = widgets::RecordNumberLabels(client);
  Label12 = number.caption;
  Label14 = number.number;
  Frame2 = widgets::ImageFactsFrame(client, Label19);

  Caption(client, "保存用画像名", Twips(10320, 9600, 2400, 270), QStringLiteral("Label20"));
  Caption(client, "(半角英数字10文字)", Twips(10320, 9900, 3000, 270), QStringLiteral("Label21"));
  Text2 = new QLineEdit(client);
  Text2->setObjectName(QStringLiteral("Text2"));
  Text2->setGeometry(Twips(10320, 10200, 1695, 345));
  Caption(client, ".jpg", Twips(12090, 10245, 600, 270), QStringLiteral("Label22"));
}

bool Form9::Open(int n) {
  const sessions::DetailOutcome detail = session_.ReadDetail(n);
  if (!detail.read) {
    sessions::Show(ui_, detail);
    return false;
  }
  Fill(detail, n);
  if (showWindow) {
    showWindow(this);
  } else {
    widgets::ShowInFront(this);
  }
  return true;
}

void Form9::Fill(const sessions::DetailOutcome& detail, int n) {
  store::ClearDetailView(*this);
  // Decoded at the size the zoom window shows, which this view hands it on to.
  PictureBox = (QSizeF(Twips(0, 0, 14775, 9255).size()) * devicePixelRatioF()).toSize();
  RecordNumber = detail.recordNumber;
  openedRecord_ = n;
  Command3->setVisible(static_cast<bool>(compare));
  store::ShowDetailRecord(store_.Files(), ui_, *this, detail.record);
}

void Form9::FollowDrive(const sessions::ImageFollowOutcome& followed) {
  if (followed.detail == sessions::ImageFollow::Closed) {
    hide();
  } else if (followed.detail == sessions::ImageFollow::Redrawn) {
    if (followed.shown.read) {
      Fill(followed.shown, followed.detailRecord);
    } else {
      sessions::Show(ui_, followed.shown);
    }
  }
}

void Form9::Command1_Click() { hide(); }

void Form9::Image1_Click() {
  if (!showZoom) return;
  showZoom(Image1->pixmap(), QStringLiteral("氏名　：") + Untrimmed(Shown, ExamField::Name),
           QStringLiteral("検査日：") + Untrimmed(Shown, ExamField::ExamDate), PictureFile);
}

std::optional<std::string> Form9::AskPrintSetup(const std::string& current) {
  const std::vector<std::string> names = printer_->PrinterNames();
  if (printSetup) return printSetup(names, current);
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("プリンターの設定"));
  auto* printers = new QComboBox(&dialog);
  for (const std::string& name : names) printers->addItem(Q(name));
  printers->setCurrentText(Q(current));
  auto* properties = new QPushButton(QStringLiteral("プロパティ(&R)..."), &dialog);
  connect(properties, &QPushButton::clicked, &dialog,
          [this, printers] { printer_->ShowProperties(S(printers->currentText())); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* row = new QHBoxLayout();
  row->addWidget(new QLabel(QStringLiteral("プリンター名:"), &dialog));
  row->addWidget(printers, 1);
  row->addWidget(properties);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(row);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return S(printers->currentText());
}

void Form9::Command2_Click() {
  if (printer_ == nullptr) return;
  store::RecordPrintRequest request;
  request.recordNumber = RecordNumber;
  request.printerName = printerName_ ? printerName_() : printer_->DeviceName();
  request.page = [this] {
    store::RecordPage page;
    page.examDate = S(Text1[0]->text());
    page.patientId = S(Text1[1]->text());
    page.name = S(Text1[2]->text());
    page.sex = S(Combo1->currentText());
    page.age = S(Text1[3]->text());
    page.department = S(Combo2->currentText());
    page.heartRate = S(Text1[4]->text());
    for (int i = 0; i < 5; ++i) {
      page.leadSites[i] = S(Combo3[i]->currentText());
      page.findings[i] = S(Combo6[i]->currentText());
      page.arrhythmias[i] = S(Combo7[i]->currentText());
    }
    // The picture's file prints at its full resolution, as the main window's.
    QImage picture;
    if (!Image1->pixmap().isNull() && !PictureFile.empty()) {
      picture = platform::ReadPicture(store_.Files(), PictureFile);
    }
    if (picture.isNull()) picture = Image1->pixmap().toImage();
    page.picture = platform::PictureFromImage(picture);
    return page;
  };
  // No to the paper question: the printer chosen in the print-setup dialog
  // prints this page; cancelling it ends the print.
  request.printerSettings = [this, &request] {
    std::optional<std::string> chosen = AskPrintSetup(request.printerName);
    if (chosen) request.printerName = *chosen;
    return chosen.has_value();
  };
  store::PrintRecord(store_, ui_, *printer_, request);
}

bool Form9::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (!store_.LongOperationRunning()) Image1_Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Form9::keyPressEvent(QKeyEvent* event) {
  // Esc: the window's cancel button.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    Command1->click();
    return;
  }
  QWidget::keyPressEvent(event);
}
