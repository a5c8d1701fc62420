#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>
#include <functional>
#include <string>

#include "platform/printer.h"
#include "platform/thumbnails.h"
#include "platform/ui.h"
#include "sessions/image_list_session.h"
#include "store/store.h"

class Form2;
class Form8;
class Form9;
class QWidget;

// The three image windows, each created on first use as a window of its own
// (a child of `owner`) and afterwards shown and hidden: the zoom window
// Form2, the image list Form8 and the detail view Form9. The image list
// opens the detail view, the detail view the zoom window. The image list and
// the detail view share one image list session, owned here.
class ImageWindows : public QObject {
  Q_OBJECT

 public:
  // Without a printer, the windows' print buttons stay disabled.
  ImageWindows(store::Store& store, platform::Ui& ui, platform::Printer* printer, QWidget* owner);

  // Shows a window above the main window (the main window lowered first).
  // Unset, the window is shown and activated.
  std::function<void(QWidget* window)> showWindow;
  // The comparison window for record n (the detail view's 過去の検査と比較).
  std::function<void(int record)> compare;
  // The main window's current printer; unset, the printer's own.
  std::function<std::string()> printerName;
  // The image list's thumbnails (set before it is first opened); unset, it
  // decodes every picture from its file.
  platform::ThumbnailCache* thumbnails = nullptr;

  Form2& Zoom();
  Form8& ImageList();
  Form9& Detail();

  // The zoom window with a picture on screen, handed on as it is.
  void ShowZoom(const QPixmap& picture, const QString& label1, const QString& label2,
                const std::string& sourceFile = {});
  // The zoom window with the picture of an image file, decoded at the size
  // shown. A file that cannot be read shows its error number; the window
  // opens with an empty picture all the same.
  void ShowZoomOfFile(const std::string& imageFile, const QString& label1, const QString& label2);
  // The image list on its first page.
  void OpenImageList();
  // The detail view of record n; the image list stays open.
  void OpenDetail(int n);
  // The image list and the detail view, when shown, brought up to date with
  // another workstation's change; a window whose examinations are gone
  // closes, saying so.
  void FollowOtherWorkstations();

 private:
  void Show(QWidget* window);
  std::string CurrentPrinter() const;

  store::Store& store_;
  sessions::ImageListSession session_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  QWidget* owner_;
  Form2* form2_ = nullptr;
  Form8* form8_ = nullptr;
  Form9* form9_ = nullptr;
};
