#include "demo/ecg_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <random>

namespace demo {
namespace {

constexpr double kPxPerMm = 5.0;
constexpr double kPxPerSecond = 25.0 * kPxPerMm;
constexpr double kPxPerMv = 10.0 * kPxPerMm;

struct Wave {
  double at;     // seconds from the R peak
  double width;  // seconds
  double mv;     // amplitude
};

// One heart beat as a sum of Gaussian bumps (P, Q, R, S, T), in millivolts at
// `t` seconds from its R peak.
double Beat(double t, const Wave (&waves)[5]) {
  double v = 0;
  for (const Wave& w : waves) {
    const double d = (t - w.at) / w.width;
    v += w.mv * std::exp(-0.5 * d * d);
  }
  return v;
}

}  // namespace

QImage EcgPicture(std::uint32_t seed, const QString& caption, int width, int height,
                  double heartRate) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(255, 236, 240));
  QPainter p(&image);

  // Millimetre grid, heavier every 5 mm.
  for (int mm = 0; mm * kPxPerMm < std::max(width, height); ++mm) {
    const bool major = mm % 5 == 0;
    p.setPen(QPen(major ? QColor(236, 120, 145) : QColor(247, 190, 202), major ? 1.2 : 0.6));
    const double at = mm * kPxPerMm;
    if (at < width) p.drawLine(QPointF(at, 0), QPointF(at, height));
    if (at < height) p.drawLine(QPointF(0, at), QPointF(width, at));
  }

  const double chosenRate = 55 + unit(random) * 50;
  if (heartRate <= 0) heartRate = chosenRate;
  const double rr = 60.0 / heartRate;
  const char* leads[4] = {"I", "II", "V1", "V5"};
  const double rowHeight = static_cast<double>(height) / 4;
  p.setRenderHint(QPainter::Antialiasing);
  for (int row = 0; row < 4; ++row) {
    const double gain = 0.6 + unit(random) * 0.8;
    const double sign = row == 2 ? -0.6 : 1.0;  // V1 is mostly negative
    const Wave waves[5] = {
        {-0.17, 0.022, 0.15 * gain},
        {-0.035, 0.010, -0.12 * gain},
        {0.0, 0.011, 1.1 * gain * sign},
        {0.035, 0.012, -0.30 * gain},
        {0.26 + rr * 0.05, 0.045, 0.30 * gain},
    };
    const double baseline = rowHeight * row + rowHeight * 0.62;
    const double offset = unit(random) * rr;
    QPainterPath trace;
    for (int x = 0; x < width; ++x) {
      const double t = x / kPxPerSecond + offset;
      const double sinceBeat = std::fmod(t, rr);
      // The beat before and the one after contribute their tails.
      const double mv = Beat(sinceBeat - rr * 0.5, waves) + Beat(sinceBeat - rr * 1.5, waves) +
                        Beat(sinceBeat + rr * 0.5, waves) + 0.01 * std::sin(t * 9.0 + row);
      const QPointF point(x, baseline - mv * kPxPerMv);
      if (x == 0) {
        trace.moveTo(point);
      } else {
        trace.lineTo(point);
      }
    }
    p.setPen(QPen(QColor(25, 25, 35), 1.4));
    p.drawPath(trace);
    p.setPen(QColor(40, 40, 40));
    p.drawText(QPointF(6, rowHeight * row + 16), QString::fromLatin1(leads[row]));
  }
  p.setPen(QColor(40, 40, 40));
  p.drawText(QRectF(0, 2, width - 8, 18), Qt::AlignRight,
             caption + QStringLiteral("  25mm/s 10mm/mV  HR %1").arg(std::lround(heartRate)));
  p.end();
  return image;
}

bool WriteEcgJpeg(const QString& path, std::uint32_t seed, const QString& caption,
                  double heartRate) {
  return EcgPicture(seed, caption, 800, 548, heartRate).save(path, "JPG", 50);
}

}  // namespace demo
