#pragma once

#include <QValidator>
#include <cstddef>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace widgets {

// A text box takes only what its record field can store
// (store::CheckFieldText): an edit that would make the text longer than the
// field's cp932 bytes, or bring in a character cp932 cannot hold (an emoji)
// or a control character, is refused as it is typed or pasted, with a beep
// and the reason shown beside the box. Text put into the box by the program
// (a stored record) is never refused.
//
// `width` is the field's width in bytes (store/records.h); 0 refuses
// characters only, for a box whose text is rewritten when it is left (a
// date, an ID, an age).
void FitToField(QLineEdit* box, std::size_t width);
// An editable combo box: its typed text.
void FitToField(QComboBox* box, std::size_t width);
// The comment box: a line break counts as the CR LF it is stored as.
void FitToField(QPlainTextEdit* box, std::size_t width);

// The tooltip FitToField gives a box of `width` bytes ("全角10字（半角20字）まで");
// "半角1字まで" for a one-byte field, empty for width 0. `lineBreaks`: a line break counts as two
// half-width characters.
QString FieldLimitTip(std::size_t width, bool lineBreaks = false);

// The reason the box's last refused edit was refused; empty when none was.
QString FieldRefusal(const QWidget* box);

// The validator FitToField gives a line edit.
class FieldFit : public QValidator {
  Q_OBJECT

 public:
  FieldFit(std::size_t width, QWidget* box);
  State validate(QString& input, int& pos) const override;

 private:
  std::size_t width_;
  QWidget* box_;
};

}  // namespace widgets
