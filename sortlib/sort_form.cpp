#include "sortlib/sort_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPainter>
#include <QThread>
#include <cstdio>

#include "sortlib/texts.h"

namespace zuvasort {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int Px(int twips) { return twips / kTwipsPerPixel; }

constexpr int kTextLeft = 500;      // twips
constexpr int kIdTop = 30;          // twips
constexpr int kButtonsLeft = 3960;  // twips
const QColor kBarBlue(0, 0, 255);

// Every string handed to Qt is a heap copy (never QStringLiteral): Qt may
// keep one beyond this library's life (the font cache keeps family names for
// the whole process), and the library is unloaded while the program goes on.
QString Q16(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace

ZUVASORTMEMFORM::ZUVASORTMEMFORM(std::function<void()> showCredits)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      showCredits_(std::move(showCredits)) {
  setObjectName(QString::fromLatin1("ZUVASORTMEMFORM"));
  setWindowTitle(Q16(texts::kFormCaption));
  setFixedSize(Px(5565), Px(2400));
  QFont font;
  font.setFamilies({QString::fromUtf8("ＭＳ ゴシック"), QString::fromUtf8("IPAGothic")});
  font.setPointSize(9);
  setFont(font);

  Command2 = new QPushButton(Q16(texts::kStopButton), this);
  Command2->setObjectName(QString::fromLatin1("Command2"));
  Command2->setGeometry(Px(kButtonsLeft), Px(0), Px(1575), Px(375));
  Command1 = new QPushButton(Q16(texts::kVersionButton), this);
  Command1->setObjectName(QString::fromLatin1("Command1"));
  Command1->setGeometry(Px(kButtonsLeft), Px(480), Px(1575), Px(435));
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

  canvas_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
  Cls();
}

void ZUVASORTMEMFORM::Command1_Click() {
  if (showCredits_) showCredits_();
}

void ZUVASORTMEMFORM::Command2_Click() { STOP_FLAG = kStopped; }

void ZUVASORTMEMFORM::Cls() { canvas_.fill(palette().color(QPalette::Window)); }

void ZUVASORTMEMFORM::PrintLine(int xTwips, int yPixels, const QString& text) {
  QPainter p(&canvas_);
  p.setFont(font());
  const int lineHeight = p.fontMetrics().height();
  const int x = Px(xTwips);
  p.fillRect(QRect(x, yPixels, Px(kButtonsLeft) - x, lineHeight),
             palette().color(QPalette::Window));
  p.setPen(Qt::black);
  p.drawText(QRect(x, yPixels, Px(kButtonsLeft) - x, lineHeight), Qt::AlignLeft | Qt::AlignTop,
             text);
}

QRect ZUVASORTMEMFORM::BarRect(double fraction) const {
  const double w = OuterWidth();
  const double h = OuterHeight();
  const QPoint from(static_cast<int>(0.1 * w), static_cast<int>(0.6 * h));
  const QPoint to(static_cast<int>((0.1 + 0.8 * fraction) * w), static_cast<int>(0.8 * h));
  return QRect(from, to);
}

void ZUVASORTMEMFORM::BarOutline() {
  QPainter p(&canvas_);
  p.setPen(kBarBlue);
  p.setBrush(Qt::NoBrush);
  const QRect r = BarRect(1.0);
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

void ZUVASORTMEMFORM::BarFill(double fraction) {
  QPainter p(&canvas_);
  p.fillRect(BarRect(std::clamp(fraction, 0.0, 1.0)), kBarBlue);
}

void ZUVASORTMEMFORM::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
}

// The window belongs to the job: it goes with CLOSE or the object's release.
void ZUVASORTMEMFORM::closeEvent(QCloseEvent* event) { event->ignore(); }

QtJobView::~QtJobView() { CloseWindow(); }

bool QtJobView::GuiOnThisThread() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  return app != nullptr && app->thread() == QThread::currentThread();
}

void QtJobView::MsgBox(std::u16string_view prompt, std::u16string_view title) {
  if (sink_ != nullptr) {
    const std::u16string p(prompt);
    const std::u16string t(title);
    sink_(context_, p.c_str(), t.c_str(), 0);
    return;
  }
  if (GuiOnThisThread()) {
    QMessageBox box(QMessageBox::NoIcon, Q16(title), Q16(prompt), QMessageBox::NoButton,
                    form_.get());
    box.addButton(QString::fromLatin1("OK"), QMessageBox::AcceptRole);
    box.exec();
    return;
  }
  std::fprintf(stderr, "%s: %s\n", platform::Utf8FromUtf16(title).c_str(),
               platform::Utf8FromUtf16(prompt).c_str());
}

void QtJobView::Changed() {
  changed_ = true;
  const auto now = std::chrono::steady_clock::now();
  if (!form_ || now - lastShown_ < std::chrono::milliseconds(20)) return;
  lastShown_ = now;
  changed_ = false;
  form_->update();
}

void QtJobView::DoEvents() {
  if (changed_) Changed();
  if (QCoreApplication::instance() != nullptr &&
      QCoreApplication::instance()->thread() == QThread::currentThread()) {
    QCoreApplication::processEvents();
  }
}

std::int32_t QtJobView::OpenWindow() {
  CloseWindow();
  if (!GuiOnThisThread()) return 0;
  form_ = std::make_unique<ZUVASORTMEMFORM>(
      [this] { MsgBox(CreditsText(texts::kCreditsDateButton), texts::kLibraryTitle); });
  const auto id = static_cast<std::int32_t>(form_->winId());
  form_->Cls();
  form_->PrintLine(kTextLeft, Px(kIdTop), QString::fromLatin1("ID=") + QString::number(id));
  form_->PrintLine(kTextLeft, static_cast<int>(0.4 * form_->OuterHeight()), Q16(texts::kPhasePut));
  form_->BarOutline();
  form_->show();
  form_->repaint();
  lastShown_ = std::chrono::steady_clock::now();
  return id;
}

void QtJobView::CloseWindow() { form_.reset(); }

void QtJobView::ShowCount(std::u16string_view text) {
  if (!form_) return;
  form_->PrintLine(kTextLeft, static_cast<int>(0.2 * form_->OuterHeight()), Q16(text));
  Changed();
}

void QtJobView::ShowPhase(std::u16string_view text) {
  if (!form_) return;
  form_->PrintLine(kTextLeft, static_cast<int>(0.4 * form_->OuterHeight()), Q16(text));
  Changed();
}

void QtJobView::FillBar(double fraction) {
  if (!form_) return;
  form_->BarFill(fraction);
  Changed();
}

}  // namespace zuvasort
