#pragma once

#include <QDialog>
#include <filesystem>

#include "store/csv_export.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace drivetools {

// CSV出力: what to write (the examinations whole, the list on screen, the
// patient master), the encoding and the file.
class CsvDialog : public QDialog {
  Q_OBJECT

 public:
  // `listOnScreen` enables the choice of the list on screen.
  CsvDialog(bool listOnScreen, const std::filesystem::path& folder, QWidget* parent = nullptr);

  store::CsvSource Source() const;
  store::CsvEncoding Encoding() const;
  std::filesystem::path File() const;

  QRadioButton* AllExams = nullptr;
  QRadioButton* ListedExams = nullptr;
  QRadioButton* Patients = nullptr;
  QComboBox* EncodingBox = nullptr;
  QLineEdit* FileEdit = nullptr;

 private:
  void SuggestName();
  void Browse();
};

}  // namespace drivetools
