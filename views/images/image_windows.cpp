#include "views/images/image_windows.h"

#include <QLabel>

#include "views/images/detail_view.h"
#include "views/images/image_list.h"
#include "views/images/zoom_window.h"
#include "widgets/form_setup.h"

ImageWindows::ImageWindows(store::Store& store, platform::Ui& ui, platform::Printer* printer,
                           QWidget* owner)
    : QObject(owner), store_(store), session_(store), ui_(ui), printer_(printer), owner_(owner) {
  setObjectName(QStringLiteral("ImageWindows"));
}

void ImageWindows::Show(QWidget* window) {
  if (showWindow) {
    showWindow(window);
    return;
  }
  widgets::ShowInFront(window);
}

std::string ImageWindows::CurrentPrinter() const {
  if (printerName) return printerName();
  return printer_ != nullptr ? printer_->DeviceName() : std::string();
}

Form2& ImageWindows::Zoom() {
  if (form2_ == nullptr) {
    form2_ = new Form2(
        store_, ui_, printer_, [this] { return CurrentPrinter(); }, owner_);
  }
  return *form2_;
}

Form8& ImageWindows::ImageList() {
  if (form8_ == nullptr) {
    form8_ = new Form8(store_, session_, ui_, owner_);
    form8_->openDetail = [this](int n) { OpenDetail(n); };
    form8_->showWindow = [this](QWidget* w) { Show(w); };
    form8_->thumbnails = thumbnails;
  }
  return *form8_;
}

Form9& ImageWindows::Detail() {
  if (form9_ == nullptr) {
    form9_ = new Form9(
        store_, session_, ui_, printer_, [this] { return CurrentPrinter(); }, owner_);
    form9_->showWindow = [this](QWidget* w) { Show(w); };
    form9_->compare = [this](int n) {
      if (compare) compare(n);
    };
    form9_->showZoom = [this](const QPixmap& picture, const QString& label1, const QString& label2,
                              const std::string& sourceFile) {
      ShowZoom(picture, label1, label2, sourceFile);
    };
  }
  return *form9_;
}

void ImageWindows::ShowZoom(const QPixmap& picture, const QString& label1, const QString& label2,
                            const std::string& sourceFile) {
  Form2& zoom = Zoom();
  zoom.SetPicture(picture, sourceFile);
  zoom.Label1->setText(label1);
  zoom.Label2->setText(label2);
  Show(&zoom);
}

void ImageWindows::ShowZoomOfFile(const std::string& imageFile, const QString& label1,
                                  const QString& label2) {
  Form2& zoom = Zoom();
  int error = platform::kNoError;
  if (!zoom.LoadPicture(imageFile, &error)) ui_.ShowErrorNumber(error);
  zoom.Label1->setText(label1);
  zoom.Label2->setText(label2);
  Show(&zoom);
}

void ImageWindows::OpenImageList() { ImageList().Open(); }

void ImageWindows::OpenDetail(int n) { (void)Detail().Open(n); }

void ImageWindows::FollowOtherWorkstations() {
  const bool listShown = form8_ != nullptr && form8_->isVisible();
  const bool detailShown = form9_ != nullptr && form9_->isVisible();
  if (!listShown && !detailShown) return;
  const sessions::ImageFollowOutcome followed = session_.FollowDrive(listShown, detailShown);
  if (listShown) form8_->FollowDrive(followed);
  if (detailShown) form9_->FollowDrive(followed);
  sessions::Show(ui_, followed);
}
