#include "views/list_cells.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace views {

int ListFontSize(const QWidget* window) {
  const QScreen* screen = window->screen();
  const int height = screen != nullptr ? screen->availableGeometry().height() : 768;
  return std::clamp(height / 64, 11, 16);
}

QLabel* HeadingCell(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Raised);
  label->setAutoFillBackground(true);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, QColor(0xD8, 0xE4, 0xF0));
  label->setPalette(p);
  return label;
}

QLabel* DataCell(QWidget* parent, bool clickable) {
  auto* label = new QLabel(parent);
  label->setFrameShape(QFrame::Box);
  label->setAutoFillBackground(true);
  label->setIndent(4);
  label->setMinimumWidth(10);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, Qt::white);
  p.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(p);
  if (clickable) label->setCursor(Qt::PointingHandCursor);
  return label;
}

QLabel* PositionCell(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, Qt::darkGray);
  label->setPalette(p);
  return label;
}

QPushButton* ArrowButton(bool next, QWidget* parent) {
  auto* button = new QPushButton(
      parent->style()->standardIcon(next ? QStyle::SP_ArrowRight : QStyle::SP_ArrowLeft), QString(),
      parent);
  button->setIconSize(QSize(24, 24));
  button->setMinimumSize(60, 36);
  button->setToolTip(next ? QStringLiteral("次のデータ") : QStringLiteral("前のデータ"));
  return button;
}

QSlider* PageSlider(QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(QStringLiteral("Slider1"));
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setPageStep(1);
  slider->setRange(1, 2);
  slider->setMinimumWidth(160);
  return slider;
}

}  // namespace views
