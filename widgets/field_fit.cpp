#include "widgets/field_fit.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolTip>

#include "platform/qt_text.h"
#include "store/field_text.h"

namespace widgets {
namespace {

constexpr const char* kRefusalProperty = "fieldRefusal";

// Whether `text` may stand in `box`; when not and the user is editing the
// box, the reason is shown.
bool Fits(QWidget* box, const QString& text, std::size_t width, bool lineBreaks) {
  const store::FieldTextCheck check = store::CheckFieldText(platform::S(text), width, lineBreaks);
  if (check.fits()) return true;
  if (box->hasFocus()) {
    const QString reason = platform::Q(store::FieldTextRefusal(check, width));
    box->setProperty(kRefusalProperty, reason);
    QApplication::beep();
    QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), reason, box);
  }
  return false;
}

// The comment box: an edit that does not fit is taken back to the text
// before it.
class PlainTextFit : public QObject {
 public:
  PlainTextFit(QPlainTextEdit* box, std::size_t width)
      : QObject(box), box_(box), width_(width), good_(box->toPlainText()) {
    connect(box->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int) { changedAt_ = position; });
    connect(box, &QPlainTextEdit::textChanged, this, &PlainTextFit::Changed);
  }

 private:
  void Changed() {
    if (restoring_) return;
    const QString text = box_->toPlainText();
    if (!box_->hasFocus() || Fits(box_, text, width_, true)) {
      good_ = text;
      return;
    }
    restoring_ = true;
    box_->setPlainText(good_);
    QTextCursor cursor = box_->textCursor();
    cursor.setPosition(std::min(changedAt_, static_cast<int>(good_.size())));
    box_->setTextCursor(cursor);
    restoring_ = false;
  }

  QPlainTextEdit* box_;
  std::size_t width_;
  QString good_;
  int changedAt_ = 0;
  bool restoring_ = false;
};

}  // namespace

FieldFit::FieldFit(std::size_t width, QWidget* box) : QValidator(box), width_(width), box_(box) {}

QValidator::State FieldFit::validate(QString& input, int& /*pos*/) const {
  return Fits(box_, input, width_, false) ? Acceptable : Invalid;
}

QString FieldLimitTip(std::size_t width, bool lineBreaks) {
  if (width == 0) return {};
  QString tip = width < 2 ? QStringLiteral("半角%1字まで").arg(width)
                          : QStringLiteral("全角%1字（半角%2字）まで").arg(width / 2).arg(width);
  if (lineBreaks) tip += QStringLiteral("、改行は半角2字分");
  return tip;
}

namespace {

// The limit in the box's tooltip, after what the tooltip already says.
void ShowLimit(QWidget* box, std::size_t width, bool lineBreaks) {
  const QString limit = FieldLimitTip(width, lineBreaks);
  if (limit.isEmpty() || box->toolTip().contains(limit)) return;
  box->setToolTip(box->toolTip().isEmpty() ? limit : box->toolTip() + QLatin1Char('\n') + limit);
}

}  // namespace

void FitToField(QLineEdit* box, std::size_t width) {
  box->setValidator(new FieldFit(width, box));
  ShowLimit(box, width, false);
}

void FitToField(QComboBox* box, std::size_t width) {
  if (box->lineEdit() == nullptr) return;
  box->setValidator(new FieldFit(width, box->lineEdit()));
  ShowLimit(box, width, false);
}

void FitToField(QPlainTextEdit* box, std::size_t width) {
  new PlainTextFit(box, width);
  ShowLimit(box, width, true);
}

QString FieldRefusal(const QWidget* box) { return box->property(kRefusalProperty).toString(); }

}  // namespace widgets
