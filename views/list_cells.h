#pragma once

#include <QString>
#include <functional>

class QFont;
class QLayout;
class QObject;
class QLabel;
class QPushButton;
class QSlider;
class QWidget;

namespace views {

// The look the two list views share.

// The point size of the rows: larger on a taller screen, so that 15 rows
// fill the window and stay legible from 768 lines up.
int ListFontSize(const QWidget* window);
// A column heading.
QLabel* HeadingCell(const QString& text, QWidget* parent);
// A data cell: a white box with a thin frame; `clickable` gives it the hand.
QLabel* DataCell(QWidget* parent, bool clickable);
// The row's position, grey, without a frame.
QLabel* PositionCell(QWidget* parent);
// A picture button with an arrow (previous or next page).
QPushButton* ArrowButton(bool next, QWidget* parent);
// The page slider.
QSlider* PageSlider(QWidget* parent);

// The bottom row of a list window: previous and next page, the page slider,
// the record count and the page indicator, then 印刷(&P) (disabled until the
// window connects it) and 閉じる(&E). Laid out under `rows` in `client`.
struct PageBar {
  QPushButton* previous = nullptr;  // Command1
  QPushButton* next = nullptr;      // Command2
  QPushButton* close = nullptr;     // Command3
  QPushButton* print = nullptr;     // Command4
  QSlider* slider = nullptr;        // Slider1
  QLabel* count = nullptr;          // Label9
  QLabel* page = nullptr;           // Label10
};
PageBar BuildPageBar(QWidget* client, QLayout* rows);

// `chosen` runs (queued) when a page is chosen on the slider: when it is let
// go, or moved by a click, a key or the wheel; not at every step of a drag.
void OnPageChosen(QSlider* slider, QObject* context, std::function<void()> chosen);

}  // namespace views
