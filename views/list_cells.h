#pragma once

#include <QPushButton>
#include <QString>
#include <functional>

#include "widgets/escape_closes.h"

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

// The page bar built into a list view `view` (Form5, Form13): its controls
// under the view's names, Esc as 閉じる, each button and the slider
// connected to the view's command.
template <typename View>
void TakePageBar(View* view, QWidget* client, QLayout* rows) {
  const PageBar bar = BuildPageBar(client, rows);
  view->Command1 = bar.previous;
  view->Command2 = bar.next;
  view->Command3 = bar.close;
  view->Command4 = bar.print;
  view->Slider1 = bar.slider;
  view->Label9 = bar.count;
  view->Label10 = bar.page;
  widgets::EscapeClicks(view, bar.close);
  QObject::connect(bar.previous, &QPushButton::clicked, view, &View::Command1_Click);
  QObject::connect(bar.next, &QPushButton::clicked, view, &View::Command2_Click);
  QObject::connect(bar.close, &QPushButton::clicked, view, &View::Command3_Click);
  QObject::connect(bar.print, &QPushButton::clicked, view, &View::Command4_Click);
  OnPageChosen(bar.slider, view, [view] { view->Slider1_Click(); });
}

}  // namespace views
