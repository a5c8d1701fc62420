#include "platform/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <cmath>
#include <string>

#include "platform/pictures.h"

namespace {

// A picture with fine detail and colour everywhere, so that every step of
// the decode shows in the pixels.
QImage Busy(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int wave = static_cast<int>(120 + 100 * std::sin(x * 0.31) * std::cos(y * 0.17));
      row[x] = qRgb((x * 7 + y) & 0xFF, wave, (x ^ y) & 0xFF);
    }
  }
  return image;
}

std::string Encode(const QImage& image, int quality, bool progressive, const char* format = "jpeg",
                   const QString& comment = QString()) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  writer.setProgressiveScanWrite(progressive);
  if (!comment.isEmpty()) writer.setText(QStringLiteral("Description"), comment);
  EXPECT_TRUE(writer.write(image));
  return bytes.toStdString();
}

QImage QtDecode(const std::string& bytes, QSize size) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setScaledSize(size);
  return reader.read();
}

// Whatever the reduction libjpeg is asked for (1/8 to 8/8) and however the
// file was written, the picture is Qt's own, pixel for pixel, density too.
TEST(JpegDecoder, GivesQtsPixelsAtEveryReduction) {
  struct Case {
    const char* what;
    QSize picture, shown;
    int quality, dotsPerMeter;
    bool progressive;
  } cases[] = {
      {"7/8 then smoothed, the main window", {800, 548}, {601, 412}, 50, 0, false},
      {"exactly a half", {800, 600}, {400, 300}, 90, 0, false},
      {"1/8 then smoothed", {800, 548}, {90, 60}, 75, 0, false},
      {"no reduction, smoothed only", {333, 211}, {300, 200}, 95, 0, false},
      {"progressive", {640, 480}, {500, 330}, 80, 0, true},
      {"odd sizes and a density", {801, 547}, {123, 77}, 60, 3780, false},
      {"wider than the box", {1000, 200}, {600, 190}, 85, 0, false},
  };
  for (const Case& c : cases) {
    QImage image = Busy(c.picture.width(), c.picture.height());
    if (c.dotsPerMeter != 0) {
      image.setDotsPerMeterX(c.dotsPerMeter);
      image.setDotsPerMeterY(c.dotsPerMeter);
    }
    const std::string bytes = Encode(image, c.quality, c.progressive);
    const QImage expected = QtDecode(bytes, c.shown);
    const QImage got = platform::DecodeJpegScaled(bytes, c.shown);
    ASSERT_FALSE(got.isNull()) << c.what;
    EXPECT_EQ(got.size(), c.shown) << c.what;
    EXPECT_EQ(got.format(), expected.format()) << c.what;
    EXPECT_TRUE(got == expected) << c.what;
    EXPECT_EQ(got.dotsPerMeterX(), expected.dotsPerMeterX()) << c.what;
    EXPECT_EQ(platform::DecodePictureScaled(bytes, c.shown), expected) << c.what;
  }
}

// What it does not take is left to Qt: the caller gets a null picture.
TEST(JpegDecoder, LeavesOtherPicturesToQt) {
  QImage grey = Busy(200, 100).convertToFormat(QImage::Format_Grayscale8);
  const std::string jpeg = Encode(Busy(200, 100), 75, false);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"a PNG", Encode(Busy(200, 100), 75, false, "png")},
      {"a grey JPEG", Encode(grey, 75, false)},
      {"a JPEG with a comment", Encode(Busy(200, 100), 75, false, "jpeg", QStringLiteral("kept"))},
      {"a JPEG cut in its header", jpeg.substr(0, 40)},
      {"no picture", std::string(1000, 'x')},
      {"nothing", std::string()},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(platform::DecodeJpegScaled(c.bytes, QSize(100, 50)).isNull()) << c.what;
  }
}

}  // namespace
