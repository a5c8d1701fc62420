// Registering, overwriting and deleting examinations, checked in the bytes
// of the data file and in the image directory.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "mainwin/main_window.h"
#include "platform/error_text.h"
#include "platform/jpeg_converter.h"
#include "store/change_recorder.h"
#include "store/records.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_drive.h"
#include "views/image_load_dialog.h"

namespace {

namespace fs = std::filesystem;
using platform::kAnswerNo;
using platform::kAnswerOk;
using platform::kAnswerYes;
using store::ExamField;
using store::ExamRecord;
using testing_support::FakeUi;
using testing_support::FaultyFileSystem;
using testing_support::TempDrive;

constexpr const char* kDataFile = "C:\\VLN2\\VLN2.ekg";
constexpr std::size_t kLength = store::kExamRecordLength;

std::string Bitmap(int width, int height, QColor colour, const char* format = "BMP") {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes.toStdString();
}

QImage DecodeJpeg(const std::string& bytes) {
  QByteArray data = QByteArray::fromStdString(bytes);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  return reader.format() == "jpeg" ? reader.read() : QImage();
}

ExamRecord Seeded(int n, std::string_view recordNo) {
  ExamRecord r;
  r.Set(ExamField::RecordNo, recordNo);
  r.Set(ExamField::ExamDate, "2026/11/" + std::to_string(10 + n));
  r.Set(ExamField::PatientId, "00010" + std::to_string(n % 10));
  r.Set(ExamField::Name, "患者" + std::to_string(n));
  r.Set(ExamField::Sex, n % 2 ? "M" : "F");
  r.Set(ExamField::Finding1, "所見" + std::to_string(n));
  r.Set(ExamField::ImageName, "img" + std::to_string(n));
  return r;
}

class RegistrationTest : public ::testing::Test {
 protected:
  // A data file of `count` examinations, each with its picture "img<n>.jpg".
  void Seed(int count) {
    std::string bytes;
    for (int n = 1; n <= count; ++n) {
      bytes += Seeded(n, " " + std::to_string(n)).Bytes();
      drive.WriteBytes("C:\\VLN2\\GAZOU\\img" + std::to_string(n) + ".jpg",
                       Bitmap(8, 8, QColor(n * 20, 0, 0), "JPEG"));
    }
    drive.WriteBytes(kDataFile, bytes);
  }

  void Start() {
    form = std::make_unique<Form1>(store, ui);
    form->Today = [] { return QDate(2026, 12, 8); };
    form->Form_Load();
  }

  void TearDown() override {
    for (const std::string& u : ui.Unexpected()) ADD_FAILURE() << u;
    EXPECT_TRUE(ui.AllAnswered());
  }

  std::string Data() const { return drive.ReadBytes(kDataFile); }
  ExamRecord RecordInFile(int n) const {
    ExamRecord r;
    std::string bytes = Data().substr(static_cast<std::size_t>(n - 1) * kLength, kLength);
    std::copy(bytes.begin(), bytes.end(), r.data());
    return r;
  }
  std::set<std::string> ImageDirectory() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(drive.Host("C:\\VLN2\\GAZOU\\"))) {
      names.insert(e.path().filename().string());
    }
    return names;
  }

  void FillForm(const QString& id, const QString& name, const QString& imageName) {
    form->Text1[0]->setText(QStringLiteral("2026/12/08"));
    form->Text1[1]->setText(id);
    form->Text1[2]->setText(name);
    form->Combo1->setCurrentText(QStringLiteral("M"));
    form->Text1[3]->setText(QStringLiteral("51"));
    form->Text1[4]->setText(QStringLiteral("72"));
    form->Text2->setText(imageName);
  }

  // Picks `file` (host path) in the image-load dialog, as a user does.
  void LoadPicture(const fs::path& file) {
    form->G_yomokomi_Click();
    Dialog* dialog = form->ImageLoadDialog();
    ASSERT_TRUE(dialog->isVisible());
    ASSERT_TRUE(dialog->SetFolder(file.parent_path()));
    ASSERT_TRUE(dialog->HighlightFile(QString::fromStdString(file.filename().string())));
    dialog->LoadChosenImage();
  }

  fs::path Source(const std::string& name, const std::string& bytes) {
    fs::path path = drive.Root() / "scans" / name;
    drive.WriteBytes(path.string(), bytes);
    return fs::weakly_canonical(path);
  }

  TempDrive drive;
  FaultyFileSystem files{drive.Drive()};
  store::Store store{files};
  FakeUi ui;
  std::unique_ptr<Form1> form;
};

TEST_F(RegistrationTest, ThirteenthRegistrationAppendsWithItsNumberAndStoresTheLoadedPicture) {
  Seed(12);
  Start();
  const std::string before = Data();
  form->D_sinki_Click();
  EXPECT_EQ(form->Label14->text(), QStringLiteral("13"));
  EXPECT_EQ(form->Text1[0]->text(), QStringLiteral("2026/12/08"));
  EXPECT_TRUE(form->Text2->isEnabled());

  const fs::path scan = Source("ecg.bmp", Bitmap(120, 80, Qt::darkGreen));
  LoadPicture(scan);
  // 画像情報 tells of the loaded file, not of the examination shown before.
  EXPECT_EQ(form->Label19[2]->text(), QStringLiteral("ecg.bmp"));
  EXPECT_FALSE(form->Label19[0]->text().isEmpty());
  FillForm(QStringLiteral("000045"), QStringLiteral("山田太郎"), QStringLiteral(" 000045 "));

  ui.Expect("元の画像を削除しますか？", kAnswerNo);
  form->D_touroku_Click();

  const std::string data = Data();
  ASSERT_EQ(data.size(), 13 * kLength);
  EXPECT_EQ(data.substr(0, 12 * kLength), before);
  const ExamRecord r = RecordInFile(13);
  EXPECT_EQ(r.Raw(ExamField::RecordNo), " 13   ");
  EXPECT_EQ(r.Raw(ExamField::ImageName), "000045    ");
  EXPECT_EQ(r.Get(ExamField::Name), "山田太郎");
  EXPECT_EQ(r.Get(ExamField::PatientId), "000045");
  EXPECT_EQ(r.Get(ExamField::ExamDate), "2026/12/08");

  const QImage stored = DecodeJpeg(drive.ReadBytes("C:\\VLN2\\GAZOU\\000045.jpg"));
  EXPECT_EQ(stored.size(), QSize(120, 80));
  EXPECT_TRUE(fs::exists(scan));  // answered No
  EXPECT_EQ(ImageDirectory().count("Temp.bmp"), 0u);

  EXPECT_EQ(form->Label14->text(), QStringLiteral("14"));
  EXPECT_TRUE(form->Text1[2]->text().isEmpty());
  EXPECT_EQ(form->Slider1->maximum(), 13);
  EXPECT_EQ(store.RecordCount(), 13);
}

TEST_F(RegistrationTest, AnsweringYesDeletesTheSourcePicture) {
  Start();
  const fs::path scan = Source("first.bmp", Bitmap(30, 20, Qt::blue));
  LoadPicture(scan);
  FillForm(QStringLiteral("000001"), QStringLiteral("佐藤"), QStringLiteral("000001"));
  ui.Expect("元の画像を削除しますか？", kAnswerYes);
  form->D_touroku_Click();
  EXPECT_FALSE(fs::exists(scan));
  EXPECT_EQ(RecordInFile(1).Raw(ExamField::RecordNo), " 1    ");
  EXPECT_FALSE(DecodeJpeg(drive.ReadBytes("C:\\VLN2\\GAZOU\\000001.jpg")).isNull());
  EXPECT_TRUE(form->ImageLoadDialog()
                  ->File1->findItems(QStringLiteral("first.bmp"), Qt::MatchExactly)
                  .isEmpty());
}

// A picture that is no bitmap is stored through Temp.bmp without a word.
TEST_F(RegistrationTest, JpegSourceGoesThroughTempBmpSilently) {
  Start();
  const fs::path scan = Source("photo.jpg", Bitmap(64, 40, Qt::yellow, "JPEG"));
  LoadPicture(scan);
  FillForm(QStringLiteral("000002"), QStringLiteral("鈴木"), QStringLiteral("kensa2"));
  ui.Expect("元の画像を削除しますか？", kAnswerNo);
  form->D_touroku_Click();
  EXPECT_EQ(DecodeJpeg(drive.ReadBytes("C:\\VLN2\\GAZOU\\kensa2.jpg")).size(), QSize(64, 40));
  EXPECT_EQ(ImageDirectory(), std::set<std::string>{"kensa2.jpg"});
}

TEST_F(RegistrationTest, ChecksRunInOrderAndWriteNothing) {
  Start();
  form->D_sinki_Click();
  form->Text1[0]->clear();
  ui.Expect("日付データが不正です。");
  form->D_touroku_Click();
  EXPECT_EQ(form->focusWidget(), form->Text1[0]);
  form->Text1[0]->setText(QStringLiteral("2026/12/08"));
  ui.Expect("ＩＤデータが不正です。");
  form->D_touroku_Click();
  EXPECT_EQ(form->focusWidget(), form->Text1[1]);
  form->Text1[1]->setText(QStringLiteral("000003"));
  ui.Expect("氏名が不正です。");
  form->D_touroku_Click();
  form->Text1[2]->setText(QStringLiteral("高橋"));
  form->Combo1->setCurrentIndex(-1);
  form->Combo1->setEditText(QString());
  ui.Expect("性別が未入力です。");
  form->D_touroku_Click();
  EXPECT_EQ(form->focusWidget(), form->Combo1);
  form->Combo1->setCurrentText(QStringLiteral("F"));
  form->Text2->clear();
  ui.Expect("登録画像名が入力されていません。");
  form->D_touroku_Click();
  EXPECT_EQ(form->focusWidget(), form->Text2);
  for (const auto& box : ui.Boxes()) {
    EXPECT_EQ(box.style, platform::kExclamation);
    EXPECT_EQ(box.title, "Velunor2.0");
  }
  EXPECT_EQ(Data().size(), 0u);
}

TEST_F(RegistrationTest, UsedOrUnsafeImageNamesAreRefused) {
  Start();
  drive.WriteBytes("C:\\VLN2\\GAZOU\\TAKEN.JPG", Bitmap(4, 4, Qt::red, "JPEG"));
  LoadPicture(Source("a.bmp", Bitmap(10, 10, Qt::red)));
  FillForm(QStringLiteral("000004"), QStringLiteral("伊藤"), QStringLiteral("taken"));
  ui.Expect("登録済みの画像名です。変更して下さい。");
  form->D_touroku_Click();
  EXPECT_TRUE(form->Text2->text().isEmpty());
  EXPECT_EQ(form->focusWidget(), form->Text2);

  for (const char* unsafe : {"../x", "a\tb", "x¥y"}) {
    form->Text2->setText(QString::fromUtf8(unsafe));
    ui.Expect("登録画像名が不正です。");
    form->D_touroku_Click();
    EXPECT_TRUE(form->Text2->text().isEmpty()) << unsafe;
    EXPECT_EQ(form->focusWidget(), form->Text2);
  }
  EXPECT_EQ(Data().size(), 0u);
  EXPECT_EQ(ImageDirectory(), std::set<std::string>{"TAKEN.JPG"});
  EXPECT_FALSE(fs::exists(drive.Host("C:\\VLN2\\x.jpg")));
}

// A correction leaves the record's own picture byte for byte: it is not
// converted again (each conversion would lose quality) and no conversion
// message is shown.
TEST_F(RegistrationTest, OverwriteYesRewritesThePositionAndKeepsItsPicture) {
  Seed(5);
  Start();
  const std::string before = Data();
  const std::string jpeg = drive.ReadBytes("C:\\VLN2\\GAZOU\\img5.jpg");
  form->Slider1->setValue(5);
  form->Slider1_Click();
  ASSERT_EQ(form->Label14->text(), QStringLiteral("5"));
  form->Text1[2]->setText(QStringLiteral("訂正後"));
  ui.Expect("このデータを上書きしますか？", kAnswerYes);
  form->D_touroku_Click();
  EXPECT_EQ(drive.ReadBytes("C:\\VLN2\\GAZOU\\img5.jpg"), jpeg);

  ASSERT_EQ(Data().size(), 5 * kLength);
  EXPECT_EQ(Data().substr(0, 4 * kLength), before.substr(0, 4 * kLength));
  const ExamRecord r = RecordInFile(5);
  EXPECT_EQ(r.Raw(ExamField::RecordNo), " 5    ");
  EXPECT_EQ(r.Get(ExamField::Name), "訂正後");
  EXPECT_EQ(r.Get(ExamField::Finding1), "所見5");
  EXPECT_EQ(r.Get(ExamField::ImageName), "img5");
  EXPECT_EQ(DecodeJpeg(drive.ReadBytes("C:\\VLN2\\GAZOU\\img5.jpg")).size(), QSize(8, 8));
  EXPECT_EQ(ImageDirectory().count("Temp.bmp"), 0u);
  EXPECT_EQ(form->Label14->text(), QStringLiteral("6"));
  EXPECT_TRUE(form->Text1[2]->text().isEmpty());
}

TEST_F(RegistrationTest, OverwriteNoChangesNothing) {
  Seed(5);
  Start();
  const std::string before = Data();
  form->Slider1->setValue(5);
  form->Slider1_Click();
  form->Text1[2]->setText(QStringLiteral("訂正後"));
  ui.Expect("このデータを上書きしますか？", kAnswerNo);
  form->D_touroku_Click();
  EXPECT_EQ(Data(), before);
  EXPECT_EQ(form->Label14->text(), QStringLiteral("5"));
  EXPECT_EQ(form->Text1[2]->text(), QStringLiteral("訂正後"));
}

// Ctrl+X in a text field is 削除; Enter alone answers its question No.
TEST_F(RegistrationTest, CtrlXThenEnterLeavesTheExaminationStored) {
  Seed(3);
  Start();
  const std::string before = Data();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->Text1[2]->setFocus();
  ui.Expect("このデータを削除しますか？", FakeUi::kPressEnter);
  QTest::keyClick(form->Text1[2], Qt::Key_X, Qt::ControlModifier);
  QApplication::processEvents();
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(Data(), before);
  EXPECT_TRUE(fs::exists(drive.Host("C:\\VLN2\\GAZOU\\img3.jpg")));
  EXPECT_EQ(form->Label14->text(), QStringLiteral("3"));
}

TEST_F(RegistrationTest, DeletingThreeOfFiveRenumbersAndRemovesItsPicture) {
  Seed(5);
  Start();
  form->Slider1->setValue(3);
  form->Slider1_Click();
  form->Text2->setText(QStringLiteral("img1"));  // the record's own name decides
  ui.Expect("このデータを削除しますか？", kAnswerYes);
  ui.Expect("削除終了。");
  form->sakujyo_Click();

  ASSERT_EQ(Data().size(), 4 * kLength);
  const char* names[] = {"患者1", "患者2", "患者4", "患者5"};
  for (int j = 1; j <= 4; ++j) {
    const ExamRecord r = RecordInFile(j);
    EXPECT_EQ(r.Raw(ExamField::RecordNo), "00000" + std::to_string(j));
    EXPECT_EQ(r.Get(ExamField::Name), names[j - 1]);
  }
  EXPECT_EQ(RecordInFile(4).Get(ExamField::Finding1), "所見5");
  EXPECT_EQ(ImageDirectory(),
            (std::set<std::string>{"img1.jpg", "img2.jpg", "img4.jpg", "img5.jpg"}));
  EXPECT_FALSE(fs::exists(drive.Host("C:\\VLN2\\TEMP.DATA")));
  EXPECT_EQ(form->Label14->text(), QStringLiteral("4"));
  EXPECT_EQ(form->Text1[2]->text(), QStringLiteral("患者5"));
  EXPECT_EQ(form->Slider1->value(), 4);
  EXPECT_EQ(store.RecordCount(), 4);
}

TEST_F(RegistrationTest, DeletingTheOnlyRecordLeavesAnEmptyFile) {
  Seed(1);
  Start();
  ui.Expect("このデータを削除しますか？", kAnswerYes);
  ui.Expect("削除終了。");
  form->sakujyo_Click();
  EXPECT_EQ(Data().size(), 0u);
  EXPECT_TRUE(ImageDirectory().empty());
  EXPECT_EQ(form->Label14->text(), QStringLiteral("1"));
  EXPECT_TRUE(form->Text1[1]->text().isEmpty());
  EXPECT_TRUE(form->Text1[2]->text().isEmpty());
  EXPECT_EQ(form->focusWidget(), form->Text1[0]);
}

TEST_F(RegistrationTest, DeleteAllEmptiesDataFileAndImageDirectory) {
  Seed(3);
  drive.WriteBytes("C:\\VLN2\\GAZOU\\notes.txt", "stray");
  Start();
  // Left by a conversion of this run (start-up removes one from a run that died).
  drive.WriteBytes("C:\\VLN2\\GAZOU\\Temp.bmp", Bitmap(4, 4, Qt::red));
  ui.Expect("保存されているデータを全て削除しますか？", kAnswerNo);
  form->ALL_sakujyo_Click();
  EXPECT_EQ(Data().size(), 3 * kLength);
  EXPECT_EQ(ImageDirectory().size(), 5u);

  ui.Expect("保存されているデータを全て削除しますか？", kAnswerYes);
  ui.Expect("削除終了。");
  form->ALL_sakujyo_Click();
  EXPECT_EQ(Data().size(), 0u);
  EXPECT_TRUE(fs::exists(drive.Host(kDataFile)));
  EXPECT_TRUE(ImageDirectory().empty());
  EXPECT_EQ(store.RecordCount(), 0);
  EXPECT_EQ(form->Label14->text(), QStringLiteral("1"));
  EXPECT_EQ(form->Text1[0]->text(), QStringLiteral("2026/12/08"));
}

TEST_F(RegistrationTest, DialogOpensFromAnEmptyPictureAndRefusesTextNamedJpg) {
  Start();
  Q_EMIT form->Image1Clicked();
  Dialog* dialog = form->ImageLoadDialog();
  EXPECT_TRUE(dialog->isVisible());
  const fs::path text = Source("report.jpg", "plain text, no picture\n");
  ASSERT_TRUE(dialog->SetFolder(text.parent_path()));
  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("report.jpg")));
  ui.Expect(platform::ErrorText(481));
  dialog->OKButton->click();
  EXPECT_TRUE(form->Image1->pixmap().isNull());
  EXPECT_TRUE(dialog->isVisible());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// A failure after the replacement is reported as what it is, and the form
// shows the examination now at its number, so that 上書き cannot write the
// deleted record's fields over the one that moved into its place.
TEST_F(RegistrationTest, FailureAfterTheDeleteIsDoneReloadsTheForm) {
  Seed(3);
  Start();
  form->maedata_Click();
  ASSERT_EQ(form->Label14->text(), QStringLiteral("2"));
  ASSERT_TRUE(store::OpenChanges(store).ok());
  // The first three syncs are the history's (the picture kept beside it, its
  // folder, the entry); the fifth is the folder sync after the rename.
  files.FailNthSync(5, platform::kDeviceIoError);
  ui.Expect("このデータを削除しますか？", kAnswerYes);
  ui.Expect("データは削除されましたが、その後の処理でエラーが発生しました。（エラー番号 " +
            platform::ErrorText(57) + "）");
  form->sakujyo_Click();
  files.Heal();
  EXPECT_EQ(Data().size(), 2 * kLength);
  EXPECT_EQ(form->Label14->text(), QStringLiteral("2"));
  EXPECT_EQ(form->Text1[2]->text(), QStringLiteral("患者3"));
  EXPECT_EQ(ImageDirectory().count("img2.jpg"), 0u);
}

// The hundred-thousandth examination keeps every digit of its number.
TEST_F(RegistrationTest, TheHundredThousandthRecordKeepsItsSixDigits) {
  Seed(1);
  std::string bytes = Data();
  bytes.reserve(100000 * kLength);
  for (int n = 2; n <= 99999; ++n) bytes += Seeded(1, " 1").Bytes();
  drive.WriteBytes(kDataFile, bytes);
  Start();
  form->D_sinki_Click();
  EXPECT_EQ(form->Label14->text(), QStringLiteral("100000"));
  FillForm(QStringLiteral("000005"), QStringLiteral("渡辺"), QStringLiteral("nopic"));
  form->D_touroku_Click();  // no picture: nothing said about pictures
  EXPECT_EQ(store.RecordCount(), 100000);
  EXPECT_EQ(RecordInFile(100000).Raw(ExamField::RecordNo), "100000");
  EXPECT_EQ(RecordInFile(99999).Raw(ExamField::RecordNo), " 1    ");
}
