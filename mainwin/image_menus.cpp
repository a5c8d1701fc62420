// 拡大 and a click on the picture (with a picture shown), 画像一覧, and the
// picture cell of list view 1: the image windows, each created on first use
// as a window of its own above the main window.
#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include "forms/record_transfer.h"
#include "mainwin/main_window.h"
#include "platform/qt_text.h"
#include "platform/thumbnails.h"
#include "store/text_format.h"
#include "views/images/image_windows.h"
#include "widgets/command_guard.h"

namespace {

ImageWindows* WindowsOf(const Form1& form) {
  return form.findChild<ImageWindows*>(QStringLiteral("ImageWindows"), Qt::FindDirectChildrenOnly);
}

}  // namespace

void Form1::ConnectImageMenus() {
  auto* windows = new ImageWindows(store_, ui_, printer_, this);
  windows->showWindow = [this](QWidget* window) { ShowSecondaryWindow(window); };
  windows->printerName = [this] { return platform::S(CurrentPrinter()); };
  windows->thumbnails = &platform::ThumbnailCache::Default();
  connect(this, &Form1::DriveChangedElsewhere, windows,
          [windows] { windows->FollowOtherWorkstations(); });

  // With the picture empty, 拡大 and the click open the image-load dialog
  // (registration.cpp); with a picture, the zoom window shows it.
  auto enlarge = widgets::Guarded(store_, [this, windows] {
    if (!PictureShown()) return;
    windows->ShowZoom(QPixmap::fromImage(store::FullPicture(store_.Files(), *this)),
                      QStringLiteral("氏名　：") + Text1[2]->text(),
                      QStringLiteral("検査日：") + Text1[0]->text());
  });
  connect(G_kakudai, &QAction::triggered, windows, enlarge);
  connect(this, &Form1::Image1Clicked, windows, enlarge);

  G_itiran->setEnabled(true);
  connect(G_itiran, &QAction::triggered, windows, widgets::Guarded(store_, [this, windows] {
            if (DataFileRefused(false)) return;
            if (session_.RecordCount() == 0) {
              ui_.MsgBox("保存データは０件です。", platform::kExclamation);
              return;
            }
            windows->OpenImageList();
          }));
}

void Form1::ShowZoomOfImageFile(const std::string& imageFile, const std::string& name,
                                const std::string& examDate) {
  ImageWindows* windows = WindowsOf(*this);
  if (windows == nullptr) return;
  windows->ShowZoomOfFile(imageFile, QStringLiteral("氏名：") + platform::Q(name),
                          QStringLiteral("検査日：") + platform::Q(examDate));
}
