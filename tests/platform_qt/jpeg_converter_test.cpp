#include "platform/jpeg_converter.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <filesystem>
#include <string>

#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_drive.h"

namespace {

using platform::SavetoJPEG;
using testing_support::FaultyFileSystem;
using testing_support::TempDrive;

constexpr const char* kSource = "C:\\IN\\ecg.bmp";
constexpr const char* kTarget = "C:\\VLN2\\GAZOU\\000045.jpg";

// A picture with distinct quarters, so orientation and colour survive checks.
QImage Quarters(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.fillRect(0, 0, width / 2, height / 2, QColor(200, 30, 30));
  painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(30, 200, 30));
  painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor(30, 30, 200));
  painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::white);
  return image;
}

std::string Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes.toStdString();
}

QImage Decoded(const std::string& bytes, QByteArray* format = nullptr) {
  QByteArray data = QByteArray::fromStdString(bytes);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  if (format != nullptr) *format = reader.format();
  return reader.read();
}

// The first entry (the DC step) of the first quantisation table of a JPEG.
int FirstQuantStep(const std::string& jpeg) {
  for (std::size_t i = 2; i + 5 < jpeg.size(); ++i) {
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF &&
        static_cast<unsigned char>(jpeg[i + 1]) == 0xDB) {
      return static_cast<unsigned char>(jpeg[i + 5]);
    }
  }
  return -1;
}

bool Near(QRgb a, QColor b) {
  return std::abs(qRed(a) - b.red()) < 24 && std::abs(qGreen(a) - b.green()) < 24 &&
         std::abs(qBlue(a) - b.blue()) < 24;
}

// Names in a directory other than `keep`: temporary files left behind.
std::vector<std::string> OtherFiles(const std::filesystem::path& dir, const std::string& keep) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
  }
  return names;
}

class JpegConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(drive.Host("C:\\VLN2\\GAZOU\\"));
    std::filesystem::create_directories(drive.Host("C:\\IN\\"));
  }
  TempDrive drive;
  FaultyFileSystem fs{drive.Drive()};
};

TEST_F(JpegConverterTest, BitmapBecomesJpegOfTheSamePicture) {
  drive.WriteBytes(kSource, Encoded(Quarters(64, 48), "BMP"));
  ASSERT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegOk);

  QByteArray format;
  QImage back = Decoded(drive.ReadBytes(kTarget), &format);
  EXPECT_EQ(format, QByteArray("jpeg"));
  ASSERT_EQ(back.size(), QSize(64, 48));
  EXPECT_TRUE(Near(back.pixel(8, 8), QColor(200, 30, 30)));
  EXPECT_TRUE(Near(back.pixel(56, 8), QColor(30, 200, 30)));
  EXPECT_TRUE(Near(back.pixel(8, 40), QColor(30, 30, 200)));
  EXPECT_TRUE(Near(back.pixel(56, 40), QColor(Qt::white)));
  EXPECT_EQ(OtherFiles(drive.Host("C:\\VLN2\\GAZOU\\"), "000045.jpg").size(), 0u);
  EXPECT_TRUE(std::filesystem::exists(drive.Host(kSource)));
}

TEST_F(JpegConverterTest, QualityChoosesTheQuantisationTables) {
  drive.WriteBytes(kSource, Encoded(Quarters(32, 32), "BMP"));
  ASSERT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegOk);
  EXPECT_EQ(FirstQuantStep(drive.ReadBytes(kTarget)), 16);  // the base table, unscaled
  ASSERT_EQ(SavetoJPEG(fs, kSource, kTarget, 90, -1), platform::kJpegOk);
  EXPECT_EQ(FirstQuantStep(drive.ReadBytes(kTarget)), 3);  // scaled by 20 %
}

TEST_F(JpegConverterTest, OverwritesAnExistingJpegFoundUnderAnotherCase) {
  drive.WriteBytes("C:\\VLN2\\GAZOU\\ABC.JPG", "old");
  drive.WriteBytes(kSource, Encoded(Quarters(16, 16), "BMP"));
  ASSERT_EQ(SavetoJPEG(fs, kSource, "c:\\vln2\\gazou\\abc.jpg", 50, -1), platform::kJpegOk);
  EXPECT_FALSE(Decoded(drive.ReadBytes("C:\\VLN2\\GAZOU\\ABC.JPG")).isNull());
  EXPECT_EQ(OtherFiles(drive.Host("C:\\VLN2\\GAZOU\\"), "ABC.JPG").size(), 0u);
}

TEST_F(JpegConverterTest, SourcesThatAreNoBitmapAreCodeThreeAndLeaveTheTargetAlone) {
  drive.WriteBytes(kTarget, "previous picture");
  const std::string jpeg = Encoded(Quarters(16, 16), "JPEG");
  for (const std::string& content :
       {jpeg, std::string("this is only text\n"), std::string(), std::string("BM\x10")}) {
    drive.WriteBytes(kSource, content);
    EXPECT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegNotBmp);
    EXPECT_EQ(drive.ReadBytes(kTarget), "previous picture");
  }
  // A bitmap cut short, and a header over data that is not a picture.
  const std::string whole = Encoded(Quarters(16, 16), "BMP");
  drive.WriteBytes(kSource, whole.substr(0, whole.size() / 2));
  EXPECT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegNotBmp);
  std::string broken = Encoded(Quarters(16, 16), "BMP").substr(0, 60);
  broken[10] = '\x7f';  // pixel data offset beyond the end
  drive.WriteBytes(kSource, broken);
  EXPECT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegNotBmp);
  EXPECT_EQ(OtherFiles(drive.Host("C:\\VLN2\\GAZOU\\"), "000045.jpg").size(), 0u);
}

TEST_F(JpegConverterTest, MissingSourceIsCodeOne) {
  EXPECT_EQ(SavetoJPEG(fs, "C:\\IN\\missing.bmp", kTarget, 50, -1), platform::kJpegCannotOpen);
  EXPECT_EQ(SavetoJPEG(fs, "C:\\IN", kTarget, 50, -1), platform::kJpegCannotOpen);  // a folder
  EXPECT_FALSE(std::filesystem::exists(drive.Host(kTarget)));
}

TEST_F(JpegConverterTest, UnwritableDestinationIsCodeTwo) {
  drive.WriteBytes(kSource, Encoded(Quarters(16, 16), "BMP"));
  EXPECT_EQ(SavetoJPEG(fs, kSource, "C:\\NOWHERE\\a.jpg", 50, -1), platform::kJpegCannotWrite);
  EXPECT_EQ(SavetoJPEG(fs, kSource, "C:\\VLN2\\GAZOU", 50, -1), platform::kJpegCannotWrite);
}

TEST_F(JpegConverterTest, FailedWriteOrRenameLeavesNeitherTornJpegNorTemporaryFile) {
  drive.WriteBytes(kTarget, "previous picture");
  drive.WriteBytes(kSource, Encoded(Quarters(16, 16), "BMP"));
  fs.FailNthWrite(1);
  EXPECT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegCannotWrite);
  EXPECT_EQ(drive.ReadBytes(kTarget), "previous picture");
  EXPECT_EQ(OtherFiles(drive.Host("C:\\VLN2\\GAZOU\\"), "000045.jpg").size(), 0u);

  fs.Heal();
  fs.FailRenames();
  EXPECT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegCannotWrite);
  EXPECT_EQ(drive.ReadBytes(kTarget), "previous picture");
  EXPECT_EQ(OtherFiles(drive.Host("C:\\VLN2\\GAZOU\\"), "000045.jpg").size(), 0u);
}

TEST_F(JpegConverterTest, SidesBeyondTheEncoderAreAnOverflow) {
  drive.WriteBytes(kSource, Encoded(Quarters(platform::kMaxJpegSide, 2), "BMP"));
  ASSERT_EQ(SavetoJPEG(fs, kSource, kTarget, 50, -1), platform::kJpegOk);
  EXPECT_EQ(Decoded(drive.ReadBytes(kTarget)).width(), platform::kMaxJpegSide);

  drive.WriteBytes(kSource, Encoded(Quarters(2, platform::kMaxJpegSide + 1), "BMP"));
  EXPECT_EQ(SavetoJPEG(fs, kSource, "C:\\VLN2\\GAZOU\\tall.jpg", 50, -1), platform::kJpegOverflow);

  // A header that claims 70,000 x 70,000 is refused before anything is decoded.
  std::string claim = Encoded(Quarters(4, 4), "BMP");
  claim.replace(18, 4, std::string("\x70\x11\x01\x00", 4));
  claim.replace(22, 4, std::string("\x70\x11\x01\x00", 4));
  drive.WriteBytes(kSource, claim);
  EXPECT_EQ(SavetoJPEG(fs, kSource, "C:\\VLN2\\GAZOU\\huge.jpg", 50, -1), platform::kJpegOverflow);
  EXPECT_FALSE(std::filesystem::exists(drive.Host("C:\\VLN2\\GAZOU\\tall.jpg")));
  EXPECT_FALSE(std::filesystem::exists(drive.Host("C:\\VLN2\\GAZOU\\huge.jpg")));
}

// The converter reads the bitmap and writes the JPEG through the file system
// it is given, whatever stands behind it.
TEST(SavetoJpegThroughAnyFileSystem, ConvertsInMemory) {
  testing_support::MemoryFileSystem memory;
  memory.WriteBytes(kSource, Encoded(Quarters(64, 48), "BMP"));
  ASSERT_TRUE(memory.CreateDirectory("C:\\VLN2\\GAZOU").ok());
  EXPECT_EQ(SavetoJPEG(memory, kSource, kTarget, 50, -1), platform::kJpegOk);
  QByteArray format;
  const QImage jpeg = Decoded(memory.ReadBytes(kTarget), &format);
  EXPECT_EQ(format, "jpeg");
  EXPECT_EQ(jpeg.size(), QSize(64, 48));
  EXPECT_EQ(memory.AllFiles(), (std::vector<std::string>{kSource, kTarget}));
  EXPECT_EQ(SavetoJPEG(memory, "C:\\IN\\none.bmp", kTarget, 50, -1), platform::kJpegCannotOpen);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
