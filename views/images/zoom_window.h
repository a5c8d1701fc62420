#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "platform/printer.h"
#include "platform/ui.h"
#include "store/store.h"

class QLabel;
class QPushButton;

// The picture of the zoom window: as large as its area allows in its own
// proportions, centred, with the crosshair through the mouse pointer drawn
// over it (two red pixels between dark edges). The picture is scaled to the
// area once (again when the area changes), so that following the mouse
// repaints a ready pixmap and the lines.
class ZoomPicture : public QWidget {
  Q_OBJECT

 public:
  explicit ZoomPicture(QWidget* parent = nullptr);

  void SetPicture(QPixmap picture);
  void Clear() { SetPicture(QPixmap()); }
  const QPixmap& Picture() const { return picture_; }
  bool Empty() const { return picture_.isNull(); }

  // Where the crosshair crosses, in the widget's pixels; none while the
  // pointer is outside the picture.
  bool HasCrosshair() const { return crossing_.has_value(); }
  QPoint Crossing() const { return crossing_.value_or(QPoint()); }
  // Where the picture is drawn, in the widget's pixels (empty: no picture).
  QRect PictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPixmap picture_;
  QPixmap shown_;  // picture_ at the area's size in device pixels
  std::optional<QPoint> crossing_;
};

// The zoom window "画像/拡大": one ECG picture large (the window opens over
// most of the screen) with the patient's
// name and the examination date, the crosshair, and printing the picture on
// an A4 landscape page. The opener sets the picture and both lines; the
// window is closed only through 閉じる, which empties the picture.
class Form2 : public QWidget {
  Q_OBJECT

 public:
  // Without a printer, 印刷 stays disabled. `printerName` answers the main
  // window's current printer.
  Form2(store::Store& store, platform::Ui& ui, platform::Printer* printer,
        std::function<std::string()> printerName, QWidget* parent = nullptr);

  // The picture handed on by the opener. `sourceFile` ("C:\VLN2\GAZOU\...")
  // names the file it came from when known: printing then decodes that file
  // at full size, the screen keeps only the picture shown.
  void SetPicture(const QPixmap& picture, std::string sourceFile = {});
  // The picture of a file, decoded at the size of the picture area. False,
  // with the picture emptied, when it cannot be read.
  bool LoadPicture(const std::string& imageFile, int* error = nullptr);
  // The size in device pixels the picture area shows.
  QSize PictureBox() const;

  ZoomPicture* Image1 = nullptr;
  QLabel* Label1 = nullptr;         // name line
  QLabel* Label2 = nullptr;         // date line
  QPushButton* Command1 = nullptr;  // 印刷(&P)
  QPushButton* Command2 = nullptr;  // 閉じる(&E)

  // Print: nothing while the picture is empty; otherwise the A4 landscape
  // question (No opens the properties of the main window's printer, Cancel
  // there or here ends), "印刷します" (anything but Yes ends), then one page: the name line
  // at column 5, line 1, the date line at line 2, the picture from column 5,
  // line 5, kZoomPictureColumns wide and 40 lines high.
  void Command1_Click();
  // 閉じる: the picture emptied, the window hidden.
  void Command2_Click();

  // The picture's width on the page in columns: 128 of the 134 an A4
  // landscape sheet prints on, so the picture is not cut off at the right.
  static constexpr double kZoomPictureColumns = 128;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The close box does nothing: the window closes through 閉じる.
  void closeEvent(QCloseEvent* event) override;

 private:
  store::Store& store_;
  platform::Ui& ui_;
  platform::Printer* printer_;
  std::function<std::string()> printerName_;
  std::string sourceFile_;
};
