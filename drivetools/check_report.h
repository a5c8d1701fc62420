#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace drivetools {

// データの点検: the findings of the health check, one per line (file,
// record, what is wrong, what the program will do), to read and copy.
class CheckReport : public QDialog {
  Q_OBJECT

 public:
  explicit CheckReport(QWidget* parent = nullptr);
  void ShowReport(const std::string& report, int findings);

  QPlainTextEdit* Text = nullptr;
};

}  // namespace drivetools
