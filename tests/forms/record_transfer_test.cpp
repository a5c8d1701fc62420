// The main window's picture is decoded at the size it is shown, and whatever
// keeps or enlarges it still gets the whole picture.
#include "forms/record_transfer.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "forms/main_form.h"
#include "tests/support/fake_ui.h"
#include "tests/support/memory_file_system.h"

namespace {

constexpr const char* kPicture = "C:\\VLN2\\GAZOU\\000001.jpg";

std::string Jpeg(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(30, 120, 200));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 90);
  return bytes.toStdString();
}

struct PictureForm : store::MainForm {
  QWidget window;
  PictureForm() {
    for (auto& t : Text1) t = new QLineEdit(&window);
    Text2 = new QLineEdit(&window);
    Text3 = new QPlainTextEdit(&window);
    for (QComboBox** c : {&Combo1, &Combo2}) *c = new QComboBox(&window);
    for (int i = 0; i < 5; ++i) {
      Combo3[i] = new QComboBox(&window);
      Combo4[i] = new QComboBox(&window);
      Combo5[i] = new QComboBox(&window);
    }
    Image1 = new QLabel(&window);
    Image1->setScaledContents(true);
  }
};

TEST(RecordPicture, DecodedAtTheSizeShownAndWholeWhereItIsKept) {
  struct Case {
    const char* what;
    QSize file;
    QSize label;
    std::function<void(PictureForm&, testing_support::MemoryFileSystem&)> then;
    QSize shown;  // the pixmap on screen afterwards
    QSize whole;  // FullPicture
  };
  const auto nothing = [](PictureForm&, testing_support::MemoryFileSystem&) {};
  const Case cases[] = {
      {"a scan larger than the box", {1600, 800}, {400, 200}, nothing, {400, 200}, {1600, 800}},
      {"wider only", {1600, 100}, {400, 200}, nothing, {400, 100}, {1600, 100}},
      {"a picture smaller than the box", {200, 100}, {400, 200}, nothing, {200, 100}, {200, 100}},
      {"the box grown",
       {1600, 800},
       {400, 200},
       [](PictureForm& f, testing_support::MemoryFileSystem& fs) {
         f.Image1->resize(800, 300);
         store::RefitRecordPicture(fs, f);
       },
       {800, 300},
       {1600, 800}},
      {"the box shrunk",
       {1600, 800},
       {400, 200},
       [](PictureForm& f, testing_support::MemoryFileSystem& fs) {
         f.Image1->resize(200, 100);
         store::RefitRecordPicture(fs, f);
       },
       {400, 200},
       {1600, 800}},
      {"another picture put there",
       {1600, 800},
       {400, 200},
       [](PictureForm& f, testing_support::MemoryFileSystem&) {
         QPixmap loaded(300, 150);
         loaded.fill(Qt::white);
         f.Image1->setPixmap(loaded);
       },
       {300, 150},
       {300, 150}},
      {"the file gone since",
       {1600, 800},
       {400, 200},
       [](PictureForm&, testing_support::MemoryFileSystem& fs) { (void)fs.Delete(kPicture); },
       {400, 200},
       {400, 200}},
  };
  for (const Case& c : cases) {
    testing_support::MemoryFileSystem fs;
    fs.WriteBytes(kPicture, Jpeg(c.file));
    testing_support::FakeUi ui;
    PictureForm form;
    form.Image1->resize(c.label);
    ASSERT_TRUE(store::ShowRecordPicture(fs, ui, kPicture, form)) << c.what;
    c.then(form, fs);
    EXPECT_EQ(form.Image1->pixmap().size(), c.shown) << c.what;
    EXPECT_EQ(store::FullPicture(fs, form).size(), c.whole) << c.what;
    EXPECT_EQ(store::RecordPageOf(fs, form).picture.width, c.whole.width()) << c.what;
  }
}

}  // namespace
