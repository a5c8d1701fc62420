// The page slider with kept tick marks paints exactly what a plain slider
// paints, whatever moved since the marks were kept.
#include "widgets/tick_slider.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSlider>
#include <functional>

namespace {

// A plain slider's first paint after its style's pixmap cache missed (a new
// size, a new state) draws the tick marks in the highlight colour; every
// later paint draws them in the outline colour. The steady look is compared.
QImage Painted(QSlider& slider) { return slider.grab().toImage(); }

void Configure(QSlider& slider, int maximum, int value, QSize size) {
  slider.setTickPosition(QSlider::TicksBelow);
  slider.setPageStep(1);
  slider.setRange(1, maximum);
  slider.setValue(value);
  slider.resize(size);
}

TEST(TickSlider, PaintsAsAPlainSliderAfterEveryChange) {
  struct Case {
    const char* what;
    std::function<void(QSlider&)> change;  // after a first paint
  };
  const Case cases[] = {
      {"nothing", [](QSlider&) {}},
      {"the handle moved", [](QSlider& s) { s.setValue(4000); }},
      {"the handle at the end", [](QSlider& s) { s.setValue(s.maximum()); }},
      {"the range grown", [](QSlider& s) { s.setRange(1, 9000); }},
      {"few pages", [](QSlider& s) { s.setRange(1, 5); }},
      {"wider", [](QSlider& s) { s.resize(420, s.height()); }},
      {"ticks above", [](QSlider& s) { s.setTickPosition(QSlider::TicksAbove); }},
      {"no ticks", [](QSlider& s) { s.setTickPosition(QSlider::NoTicks); }},
      {"disabled", [](QSlider& s) { s.setEnabled(false); }},
  };
  for (const Case& c : cases) {
    QSlider plain(Qt::Horizontal);
    widgets::TickSlider kept(Qt::Horizontal);
    for (QSlider* s : {&plain, static_cast<QSlider*>(&kept)}) {
      Configure(*s, 6667, 12, QSize(300, 40));
      (void)Painted(*s);
      c.change(*s);
    }
    (void)Painted(plain);
    const QImage steady = Painted(plain);
    EXPECT_TRUE(Painted(kept) == steady) << c.what;
  }
}

}  // namespace
