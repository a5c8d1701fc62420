#pragma once

#include "platform/ui.h"
#include "sessions/patient_session.h"
#include "store/store.h"

class QWidget;

// What the four patient windows ask of the object that owns them
// (PatientWindows): the shared steps between windows. A window knows its
// session and this host, never the other windows.
class PatientWindowHost {
 public:
  // The store, for the long-operation guard of the windows' commands.
  virtual store::Store& Store() = 0;
  virtual platform::Ui& Ui() = 0;
  // Shows a window above the main window.
  virtual void Show(QWidget* window) = 0;
  // The list drawn afresh from its file and shown.
  virtual void ShowList() = 0;
  // The list window hidden, its rows emptied (its file has been replaced).
  virtual void HideList() = 0;
  // A patient the session found, shown in the registration window.
  virtual void ShowInRegistration(const sessions::PatientShown& patient) = 0;
  // True when the registration window holds nothing unregistered, or the
  // user chose to discard it ("入力中のデータは登録されていません。破棄しますか？").
  virtual bool MayLeaveRegistration() = 0;

 protected:
  ~PatientWindowHost() = default;
};
