#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <cstdio>

#include "app/command_line_tools.h"
#include "app/first_start.h"
#include "app/options.h"
#include "app/single_instance.h"
#include "app/termination.h"
#include "drivetools/backup_places.h"
#include "drivetools/drive_tools.h"
#include "mainwin/main_window.h"
#include "platform/drive.h"
#include "platform/drive_lock.h"
#include "platform/file_system.h"
#include "platform/japanese.h"
#include "platform/qt_printer.h"
#include "platform/qt_ui.h"
#include "sessions/exam_form_session.h"
#include "store/backup.h"
#include "store/store.h"
#include "widgets/window_memory.h"

int main(int argc, char** argv) {
  // --help and --version answer without a display.
  const app::Options options = app::ParseOptions(argc, argv);
  // The tools of the data drive run without a display.
  if (options.action == app::Options::Action::kTool) {
    return app::RunCommandLineTool(options, platform::DataDrive::ResolveRoot(argc, argv),
                                   drivetools::DefaultBackupFolder());
  }

  if (options.action != app::Options::Action::kRun) {
    const bool error = options.action == app::Options::Action::kError;
    const std::string text = options.action == app::Options::Action::kVersion
                                 ? app::VersionText()
                                 : (error ? options.error + "\n\n" : "") + app::HelpText();
    std::fprintf(error ? stderr : stdout, "%s\n", text.c_str());
    return error ? 2 : 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velunor2.0"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velunor2-256.png")));
  // Qt's own texts (context menus, the printer's dialogs) and the calendar
  // in Japanese.
  platform::InstallJapanese(app);

  platform::QtUi ui;
  // --demo: a drive of its own, never the user's.
  const std::optional<std::filesystem::path> demoRoot =
      options.demo ? app::PrepareDemoDrive(ui) : std::nullopt;
  if (options.demo && !demoRoot) return 1;
  platform::DataDrive drive(demoRoot ? *demoRoot : platform::DataDrive::ResolveRoot(argc, argv));
  // A second start on the same drive in this desktop session brings the
  // first program's window to the front instead.
  app::SingleInstance instance(drive.Root());
  if (instance.AskRunningToRaise()) return 0;
  platform::PosixFileSystem fs(drive);
  // A restore that stopped between moving the old drive aside and putting
  // the new one in place left no drive: the old one goes back.
  (void)store::RecoverInterruptedRestore(fs, drive.Root());
  store::Store store(fs);
  platform::DriveLock lock;
  switch (const platform::LockOutcome outcome = lock.Acquire(drive.Root())) {
    case platform::LockOutcome::kHeld:
      break;
    case platform::LockOutcome::kReadOnlyDrive:
    case platform::LockOutcome::kNoPermission:
      // Without the lock this run never writes: it opens everything for reading.
      ui.MsgBox(platform::DriveLockMessage(outcome, drive.Root()), platform::kExclamation);
      store.SetReadOnlySession(true);
      break;
    case platform::LockOutcome::kHeldByAnother:
    case platform::LockOutcome::kFailed:
      ui.MsgBox(platform::DriveLockMessage(outcome, drive.Root(), lock.Error()),
                platform::kExclamation);
      return 1;
  }

  // Where the windows were: $XDG_CONFIG_HOME/velunor2/windows.ini.
  QSettings windowPlaces(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("velunor2"),
                         QStringLiteral("windows"));
  widgets::RememberWindowsIn(&windowPlaces);
  platform::QtPrinter printer;
  sessions::ExamFormSession examForm(store);
  Form1 form(store, examForm, ui, &printer);
  ui.SetParent(&form);
  app::CloseOnTermination(form);
  instance.Listen([&form] {
    std::fprintf(stderr, "Velunor2.0: 2 回目の起動のため前面に表示します。\n");
    form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.raise();
    form.activateWindow();
  });
  // Starts the store and shows the window; closing it ends the program.
  form.Form_Load();
  // The status line says when the last backup was taken; the demonstration
  // drive is never reminded of one.
  if (auto* tools = form.findChild<drivetools::DriveTools*>(QStringLiteral("DriveTools"))) {
    tools->RemindOfBackup(!demoRoot);
  }
  app::ShowStartHints(form, store, demoRoot.value_or(std::filesystem::path()));
  return QApplication::exec();
}
