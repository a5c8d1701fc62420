#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "mainwin/form1.h"
#include "platform/drive.h"
#include "platform/drive_lock.h"
#include "platform/file_system.h"
#include "platform/qt_printer.h"
#include "platform/qt_ui.h"
#include "store/store.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velunor2.0"));
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  // Qt's own dialogs (the printer's page setup) in Japanese.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                   QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }

  platform::QtUi ui;
  platform::DataDrive drive(platform::DataDrive::ResolveRoot(argc, argv));
  platform::PosixFileSystem fs(drive);
  store::Store store(fs);
  platform::DriveLock lock;
  switch (const platform::LockOutcome outcome = lock.Acquire(drive.Root())) {
    case platform::LockOutcome::kHeld:
      break;
    case platform::LockOutcome::kReadOnlyDrive:
    case platform::LockOutcome::kNoPermission:
      // Without the lock this run never writes: it opens everything for reading.
      ui.MsgBox(platform::DriveLockMessage(outcome, drive.Root()), platform::kExclamation);
      store.ReadOnlySession = true;
      break;
    case platform::LockOutcome::kHeldByAnother:
    case platform::LockOutcome::kFailed:
      ui.MsgBox(platform::DriveLockMessage(outcome, drive.Root(), lock.Error()),
                platform::kExclamation);
      return 1;
  }

  platform::QtPrinter printer;
  Form1 form(store, ui, &printer);
  ui.SetParent(&form);
  // Starts the store and shows the window; closing it ends the program.
  form.Form_Load();
  return QApplication::exec();
}
