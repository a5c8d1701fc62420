// 患者マスタ(&M): the patient windows, each created on first use as a window
// of its own above the main window.
#include <QAction>
#include <QTimer>

#include "mainwin/main_window.h"
#include "patients/patient_windows.h"
#include "widgets/command_guard.h"
#include "widgets/progress_window.h"

void Form1::ConnectPatientMenus() {
  auto* patients = new PatientWindows(store_, ui_, ProgressDialog(), this);
  patients->showWindow = [this](QWidget* window) { ShowSecondaryWindow(window); };
  const std::pair<QAction*, void (PatientWindows::*)()> commands[] = {
      {M_touroku, &PatientWindows::M_touroku_Click}, {M_ikkatu, &PatientWindows::M_ikkatu_Click},
      {M_itiran, &PatientWindows::M_itiran_Click},   {M_kensaku, &PatientWindows::M_kensaku_Click},
      {M_sakujyo, &PatientWindows::M_sakujyo_Click},
  };
  // The master as it is once started, then again whenever another
  // workstation changed the drive.
  QTimer::singleShot(0, patients, [patients] { (void)patients->Session().FollowDrive(); });
  connect(this, &Form1::DriveChangedElsewhere, patients,
          [patients] { (void)patients->Session().FollowDrive(); });
  for (const auto& [item, command] : commands) {
    item->setEnabled(true);
    connect(item, &QAction::triggered, patients,
            widgets::Guarded(store_, [this, patients, command] {
              RunPendingLeaveCheck();
              (patients->*command)();
            }));
  }
}
