#pragma once

#include <QString>

class QFont;
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

}  // namespace views
