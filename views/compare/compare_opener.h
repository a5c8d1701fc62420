#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "platform/printer.h"
#include "platform/ui.h"
#include "sessions/compare_session.h"
#include "store/store.h"

class CompareWindow;
class QWidget;

// The comparison window and its session, the window created on first use as
// a window of its own (a child of `owner`). Every opener (the main window's
// menu, the detail view, the list rows) comes through Open.
class CompareOpener : public QObject {
  Q_OBJECT

 public:
  CompareOpener(store::Store& store, platform::Ui& ui, platform::Printer* printer, QWidget* owner);

  // Shows a window above the main window; unset, it is shown and activated.
  std::function<void(QWidget* window)> showWindow;
  // The main window's current printer; unset, the printer's own.
  std::function<std::string()> printerName;

  // Examination n beside the patient's earlier one; nothing is shown when it
  // cannot be read (the reason is said).
  void Open(int record);
  CompareWindow* Window() const { return window_; }
  // The window hidden (the data file changed under it).
  void Close();
  // The window, when it is open, after another workstation changed the drive.
  void FollowDrive();

 private:
  store::Store& store_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  QWidget* owner_;
  sessions::CompareSession session_;
  CompareWindow* window_ = nullptr;
};
