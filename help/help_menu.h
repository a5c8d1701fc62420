#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>

#include "help/guide_window.h"

class QAction;

namespace help {

// The guide's heading that explains `window` (by its object name, or its
// class name where it has none); empty for the main window and any window
// the guide has no chapter for.
QString ChapterOf(const QWidget* window);

// The ヘルプ menu of the main window and F1 everywhere: `guide` opens the
// window "使い方ガイド" at its beginning, `version` the dialog バージョン情報.
// F1 pressed in any other window of the program (an application-wide event
// filter; the main window's F1 is `guide`'s shortcut) opens the guide at
// that window's chapter. The guide window is made on first use, one for the
// whole run, and shown in front of the window F1 was pressed in. Owned by
// `mainWindow`.
class HelpMenu : public QObject {
  Q_OBJECT

 public:
  HelpMenu(QWidget* mainWindow, QAction* guide, QAction* version, std::filesystem::path driveRoot);
  ~HelpMenu() override;

  // Shows the guide at `heading` (at its beginning when empty or unknown).
  GuideWindow& ShowGuide(const QString& heading = {});
  void ShowVersion();

  GuideWindow* Guide() const { return guide_; }
  QDialog* VersionDialog() const { return version_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* mainWindow_;
  std::filesystem::path driveRoot_;
  QPointer<GuideWindow> guide_;
  QPointer<QDialog> version_;
};

}  // namespace help
