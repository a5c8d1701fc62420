#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "forms/main_form.h"
#include "platform/ui.h"
#include "sessions/history_session.h"
#include "store/store.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The 変更履歴 window: the versions of one examination (or one patient),
// newest first with time, user and operation; the selected version shown
// read-only in the examination's layout with the fields its change set
// marked; 元に戻す makes it current again. Below, the size of the history,
// the archive of old entries and the audit trail as CSV.
class HistoryWindow : public QWidget, private store::MainForm {
 public:
  HistoryWindow(sessions::HistorySession& session, platform::Ui& ui, QWidget* parent = nullptr);

  // The versions of examination `record` / of the patient `patientId`.
  void ShowExamination(int record);
  // The examination changed last, deleted or not.
  void ShowLastChanged();
  void ShowPatient(const std::string& patientId);
  // Lists again what is shown, after another workstation changed the
  // drive: the examination where it stands now, the version chosen kept
  // chosen.
  void FollowDrive();

  // Told after a version was made current: the examination to show (0: the
  // form stays as it is).
  std::function<void(int record)> restored;
  // Asks for the file the CSV goes to (a host path; empty: cancelled).
  std::function<std::string()> askCsvPath;

  // The controls, for the tests and the guide.
  QTableWidget* Versions() const { return versions_; }
  QPushButton* RestoreButton() const { return restore_; }
  QLabel* SizeLabel() const { return size_; }
  // The controls of the record fields marked as changed by the shown version.
  std::vector<QWidget*> MarkedFields() const;

 private:
  void BuildControls(QWidget* client);
  QWidget* BuildRecordArea(QWidget* client);
  void BuildLowerPart(QWidget* client, QWidget* record);
  void Reload();
  void ShowVersion(int row);
  void Restore();
  void Archive();
  void ExportCsv();
  QWidget* FieldControl(int field) const;
  void ShowPatientRecord(const store::PatientRecord& patient, const std::vector<int>& changed);

  sessions::HistorySession& session_;
  platform::Ui& ui_;
  int record_ = 0;  // kLastChanged: the examination changed last
  static constexpr int kLastChanged = -1;
  std::string patientId_;
  std::vector<sessions::VersionRow> rows_;

  QLabel* title_ = nullptr;
  QTableWidget* versions_ = nullptr;
  QGroupBox* frame_ = nullptr;
  QWidget* patientFields_ = nullptr;
  std::vector<QLineEdit*> patientEdits_;
  QLabel* deleted_ = nullptr;
  QLabel* none_ = nullptr;  // no versions to list
  QPushButton* restore_ = nullptr;
  QLabel* size_ = nullptr;
  QDateEdit* archiveBefore_ = nullptr;
  QCheckBox* csvRange_ = nullptr;
  QDateEdit* csvFrom_ = nullptr;
  QDateEdit* csvTo_ = nullptr;
};

// The history session of the drive and its window, created on first use as a
// window of its own (a child of `owner`).
class HistoryWindows : public QObject {
 public:
  HistoryWindows(store::Store& store, platform::Ui& ui, QWidget* owner);

  sessions::HistorySession& Session() { return session_; }
  HistoryWindow& Window();
  // The window, when it is open, after another workstation changed the drive.
  void FollowDrive();

 private:
  sessions::HistorySession session_;
  platform::Ui& ui_;
  QWidget* owner_;
  HistoryWindow* window_ = nullptr;
};
