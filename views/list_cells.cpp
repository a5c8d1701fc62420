#include "views/list_cells.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QWidget>
#include <algorithm>

#include "widgets/tick_slider.h"

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
  auto* slider = new widgets::TickSlider(Qt::Horizontal, parent);
  slider->setObjectName(QStringLiteral("Slider1"));
  slider->setToolTip(QStringLiteral("表示するページを選ぶ"));
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setPageStep(1);
  slider->setRange(1, 2);
  slider->setMinimumWidth(160);
  return slider;
}

PageBar BuildPageBar(QWidget* client, QLayout* rows) {
  PageBar bar;
  auto named = [](auto* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
  };
  bar.previous = named(ArrowButton(false, client), "Command1");
  bar.next = named(ArrowButton(true, client), "Command2");
  bar.slider = PageSlider(client);
  bar.count = named(new QLabel(client), "Label9");
  bar.page = named(new QLabel(client), "Label10");
  bar.close = named(new QPushButton(QStringLiteral("閉じる(&E)"), client), "Command3");
  bar.print = named(new QPushButton(QStringLiteral("印刷(&P)"), client), "Command4");
  bar.print->setEnabled(false);
  auto* bottom = new QHBoxLayout();
  bottom->addWidget(bar.previous);
  bottom->addWidget(bar.next);
  bottom->addWidget(bar.slider, 2);
  bottom->addSpacing(16);
  bottom->addWidget(bar.count);
  bottom->addSpacing(16);
  bottom->addWidget(bar.page);
  bottom->addStretch(3);
  bottom->addWidget(bar.print);
  bottom->addWidget(bar.close);

  auto* outer = new QVBoxLayout(client);
  outer->addLayout(rows, 1);
  outer->addLayout(bottom);
  return bar;
}

void OnPageChosen(QSlider* slider, QObject* context, std::function<void()> chosen) {
  QObject::connect(slider, &QSlider::sliderReleased, context, chosen, Qt::QueuedConnection);
  QObject::connect(slider, &QSlider::actionTriggered, context, [context, chosen](int action) {
    if (action == QAbstractSlider::SliderMove) return;
    QMetaObject::invokeMethod(context, chosen, Qt::QueuedConnection);
  });
}

}  // namespace views
