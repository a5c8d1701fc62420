#include "views/image_load_dialog.h"
#include "platform/error_text.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>
#include <optional>

#include "platform/file_system.h"
#include "store/file_facts_text.h"
#include "store/text_format.h"
#include "tests/support/fake_ui.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_drive.h"

namespace {

namespace fs = std::filesystem;
using testing_support::FakeUi;
using testing_support::TempDrive;

QStringList Names(const QListWidget* list) {
  QStringList names;
  for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
  return names;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures = drive.Root() / "home" / "pictures";
    fs::create_directories(pictures);
    QImage bitmap(40, 30, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    ASSERT_TRUE(bitmap.save(QString::fromStdString((pictures / "ecg.bmp").string()), "BMP"));
    dialog.emplace(store, ui, [this](const QImage& picture, const std::string& path) {
      shown = picture;
      loadedPath = path;
      ++showCalls;
    });
    ASSERT_TRUE(dialog->SetFolder(pictures));
  }
  void TearDown() override { EXPECT_TRUE(ui.Unexpected().empty()) << ui.Unexpected().front(); }

  QString Fact(int i) { return dialog->Label19[static_cast<std::size_t>(i)]->text(); }

  TempDrive drive;
  platform::PosixFileSystem files{drive.Drive()};
  store::Store store{files};
  FakeUi ui;
  fs::path pictures;
  QImage shown;
  std::string loadedPath = "C:\\VLN2\\GAZOU\\before.jpg";
  int showCalls = 0;
  std::optional<Dialog> dialog;
};

TEST(ImageFileFactsText, KilobytesRoundedAndEmptyBelowHalf) {
  EXPECT_EQ(store::KilobyteText(0), "Kﾊﾞｲﾄ");
  EXPECT_EQ(store::KilobyteText(300), "Kﾊﾞｲﾄ");
  EXPECT_EQ(store::KilobyteText(511), "Kﾊﾞｲﾄ");
  EXPECT_EQ(store::KilobyteText(512), "1Kﾊﾞｲﾄ");
  EXPECT_EQ(store::KilobyteText(1023), "1Kﾊﾞｲﾄ");
  EXPECT_EQ(store::KilobyteText(2048), "2Kﾊﾞｲﾄ");
  EXPECT_EQ(store::KilobyteText(1536000), "1500Kﾊﾞｲﾄ");
}

TEST_F(DialogTest, ListsPicturesOfTheFolderIgnoringCase) {
  for (const char* name : {"b.BMP", "C.jpg", "d.jpeg", "e.JPG", "f.txt", "g.png", ".h.jpg"}) {
    drive.WriteBytes((pictures / name).string(), "x");
  }
  fs::create_directories(pictures / "sub.jpg");
  dialog->RefreshFileList();
  EXPECT_EQ(Names(dialog->File1),
            (QStringList{QStringLiteral("b.BMP"), QStringLiteral("C.jpg"), QStringLiteral("d.jpeg"),
                         QStringLiteral("e.JPG"), QStringLiteral("ecg.bmp")}));
}

TEST_F(DialogTest, HighlightShowsFactsOfThatFileOnly) {
  drive.WriteBytes((pictures / "k2.jpg").string(), std::string(2048, 'x'));
  drive.WriteBytes((pictures / "small.jpg").string(), std::string(300, 'x'));
  dialog->RefreshFileList();
  dialog->Label19[4]->setText(QStringLiteral("JPEG"));

  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("k2.jpg")));
  platform::FileFacts facts;
  ASSERT_TRUE(files.Facts((pictures / "k2.jpg").string(), facts).ok());
  EXPECT_EQ(Fact(0), QString::fromStdString(store::FormatDateTime(facts.modified)));
  EXPECT_EQ(Fact(1), QStringLiteral("アーカイブ"));
  EXPECT_EQ(Fact(2), QStringLiteral("k2.jpg"));
  EXPECT_EQ(Fact(3), QStringLiteral("2Kﾊﾞｲﾄ"));
  EXPECT_EQ(Fact(4), QStringLiteral("JPEG"));

  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("small.jpg")));
  EXPECT_EQ(Fact(3), QStringLiteral("Kﾊﾞｲﾄ"));

  fs::permissions(pictures / "k2.jpg", fs::perms::owner_write, fs::perm_options::remove);
  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("k2.jpg")));
  EXPECT_EQ(Fact(1), QStringLiteral("不明ファイル"));  // read-only + archive = 33

  EXPECT_EQ(loadedPath, "C:\\VLN2\\GAZOU\\before.jpg");
  EXPECT_EQ(showCalls, 0);
  dialog->ClearFileFacts();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Fact(i).isEmpty());
  EXPECT_EQ(Fact(4), QStringLiteral("JPEG"));
}

TEST_F(DialogTest, VanishedFileReportsItsErrorNumber) {
  drive.WriteBytes((pictures / "gone.jpg").string(), "x");
  dialog->RefreshFileList();
  fs::remove(pictures / "gone.jpg");
  ui.Expect(platform::ErrorText(53));
  EXPECT_TRUE(dialog->HighlightFile(QStringLiteral("gone.jpg")));
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].style, platform::kExclamation);
}

TEST_F(DialogTest, OkOrDoubleClickLoadsTheHighlightedPictureAndHides) {
  dialog->show();
  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("ecg.bmp")));
  dialog->OKButton->click();
  EXPECT_EQ(showCalls, 1);
  EXPECT_EQ(shown.size(), QSize(40, 30));
  EXPECT_EQ(loadedPath, (fs::weakly_canonical(pictures) / "ecg.bmp").string());
  EXPECT_FALSE(dialog->isVisible());

  dialog->show();  // a double-click loads too
  Q_EMIT dialog->File1->itemDoubleClicked(dialog->File1->currentItem());
  EXPECT_EQ(showCalls, 2);
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DialogTest, CancelAfterHighlightChangesNothing) {
  dialog->show();
  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("ecg.bmp")));
  EXPECT_EQ(Fact(2), QStringLiteral("ecg.bmp"));
  dialog->CancelButton->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(showCalls, 0);
  EXPECT_EQ(loadedPath, "C:\\VLN2\\GAZOU\\before.jpg");
}

TEST_F(DialogTest, OkWithNothingHighlightedDoesNothing) {
  dialog->show();
  dialog->File1->setCurrentItem(nullptr);
  dialog->OKButton->click();
  EXPECT_EQ(showCalls, 0);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(DialogTest, TreeFollowsDrivesAndFolders) {
  // The data drive is "c:" and its tree starts at the drive root, also in a
  // dialog just made.
  Dialog fresh(store, ui, {});
  EXPECT_EQ(fresh.Drive1->currentText(), QStringLiteral("c:"));
  EXPECT_EQ(fresh.Dir1->topLevelItem(0)->text(0), QStringLiteral("c:\\"));
  EXPECT_EQ(dialog->Drive1->currentText(), QStringLiteral("c:"));
  EXPECT_EQ(dialog->Dir1->topLevelItem(0)->text(0), QStringLiteral("c:\\"));
  ASSERT_EQ(dialog->Folder(), fs::weakly_canonical(pictures));

  // Choosing a folder in the tree lists its files.
  fs::create_directories(pictures / "second");
  drive.WriteBytes((pictures / "second" / "z.jpg").string(), "x");
  QTreeWidgetItem* current = dialog->Dir1->currentItem();
  current->setExpanded(true);
  ASSERT_EQ(current->childCount(), 1);
  dialog->Dir1->setCurrentItem(current->child(0));
  EXPECT_EQ(Names(dialog->File1), QStringList{QStringLiteral("z.jpg")});

  // The host file system is the last drive.
  const int host = dialog->Drive1->count() - 1;
  dialog->Drive1->setCurrentIndex(host);
  EXPECT_EQ(dialog->Dir1->topLevelItem(0)->text(0), QStringLiteral("/"));
  EXPECT_EQ(dialog->Folder(), fs::path("/"));

  // A data drive that is not there is reported; the tree stays.
  fs::path root = drive.Root();
  fs::rename(root, root.string() + "-away");
  ui.Expect(platform::ErrorText(76));
  dialog->Drive1->setCurrentIndex(0);
  EXPECT_EQ(dialog->Drive1->currentIndex(), host);
  EXPECT_EQ(dialog->Folder(), fs::path("/"));
  fs::rename(root.string() + "-away", root);
}

TEST_F(DialogTest, TheDriveListOffersThePlacesOfPictures) {
  const fs::path home = drive.Root() / "user";
  for (const char* folder : {"Pictures", "Documents", "media/USB_STICK", "media/CARD"}) {
    fs::create_directories(home / folder);
  }
  drive.WriteBytes((home / "media" / "loose.txt").string(), "x");
  const std::vector<Dialog::Place> places =
      Dialog::PicturePlaces(files,
                            {{QStringLiteral("ホーム"), home},
                             {QStringLiteral("ピクチャ"), home / "Pictures"},
                             {QStringLiteral("ドキュメント"), home / "Documents"},
                             {QStringLiteral("ダウンロード"), home / "Downloads"},  // not there
                             {QStringLiteral("また"), home / "." / "Pictures"}},  // offered already
                            {home / "media", drive.Root() / "run-media"});  // the second not there
  std::vector<std::pair<QString, fs::path>> got;
  for (const Dialog::Place& place : places) got.emplace_back(place.label, place.root);
  const fs::path root = fs::weakly_canonical(home);
  EXPECT_EQ(got, (std::vector<std::pair<QString, fs::path>>{
                     {QStringLiteral("ホーム"), root},
                     {QStringLiteral("ピクチャ"), root / "Pictures"},
                     {QStringLiteral("ドキュメント"), root / "Documents"},
                     {QStringLiteral("CARD"), root / "media" / "CARD"},
                     {QStringLiteral("USB_STICK"), root / "media" / "USB_STICK"}}));

  // "c:" first and "/" last; a place shows its own tree, and a folder
  // within it is found under that place.
  dialog->SetPlaces(places);
  ASSERT_EQ(dialog->Drive1->count(), 7);
  EXPECT_EQ(dialog->Drive1->itemText(0), QStringLiteral("c:"));
  EXPECT_EQ(dialog->Drive1->itemText(6), QStringLiteral("/"));
  EXPECT_TRUE(dialog->Drive1->itemText(5).startsWith(QStringLiteral("USB_STICK")));
  EXPECT_EQ(dialog->Folder(), fs::weakly_canonical(pictures));  // the folder stays
  drive.WriteBytes((home / "media" / "USB_STICK" / "scan.JPG").string(), "x");
  dialog->Drive1->setCurrentIndex(5);
  EXPECT_EQ(dialog->Folder(), root / "media" / "USB_STICK");
  EXPECT_EQ(Names(dialog->File1), QStringList{QStringLiteral("scan.JPG")});
  ASSERT_TRUE(dialog->SetFolder(home / "Pictures"));
  EXPECT_EQ(dialog->Drive1->currentIndex(), 2);
  EXPECT_EQ(dialog->Dir1->topLevelItem(0)->text(0),
            QString::fromStdString((root / "Pictures").string()));
}

TEST_F(DialogTest, TheHighlightedPictureIsPreviewedInItsProportions) {
  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("ecg.bmp")));  // 40 x 30
  const QPixmap preview = dialog->Preview->pixmap();
  ASSERT_FALSE(preview.isNull());
  const QSizeF shown = preview.deviceIndependentSize();
  EXPECT_LE(shown.width(), dialog->Preview->width());
  EXPECT_LE(shown.height(), dialog->Preview->height());
  EXPECT_NEAR(shown.width() / shown.height(), 4.0 / 3.0, 0.02);
  // A file that is no picture shows no preview; opening again empties it.
  drive.WriteBytes((pictures / "note.jpg").string(), "no picture");
  dialog->RefreshFileList();
  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("note.jpg")));
  EXPECT_TRUE(dialog->Preview->pixmap().isNull());
  ASSERT_TRUE(dialog->HighlightFile(QStringLiteral("ecg.bmp")));
  dialog->ClearFileFacts();
  EXPECT_TRUE(dialog->Preview->pixmap().isNull());
}

// The dialog walks folders, reads facts and loads pictures through the
// store's file system, whatever stands behind it.
TEST(DialogOverAnyFileSystem, ListsReadsAndLoadsThroughTheStoresFileSystem) {
  testing_support::MemoryFileSystem memory;
  QImage bitmap(8, 6, QImage::Format_RGB32);
  bitmap.fill(Qt::blue);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(bitmap.save(&buffer, "BMP"));
  memory.WriteBytes("C:\\pics\\one.BMP", bytes.toStdString());
  memory.WriteBytes("C:\\pics\\note.txt", "x");
  memory.WriteBytes("C:\\pics\\sub\\two.jpg", "no picture");
  store::Store store{memory};
  FakeUi ui;
  QImage shown;
  std::string loadedPath;
  Dialog dialog(store, ui, [&](const QImage& picture, const std::string& path) {
    shown = picture;
    loadedPath = path;
  });

  const fs::path pics = memory.Drive().Root() / "pics";
  ASSERT_TRUE(dialog.SetFolder(pics));
  EXPECT_EQ(Names(dialog.File1), QStringList{QStringLiteral("one.BMP")});
  dialog.Dir1->currentItem()->setExpanded(true);
  ASSERT_EQ(dialog.Dir1->currentItem()->childCount(), 1);
  EXPECT_EQ(dialog.Dir1->currentItem()->child(0)->text(0), QStringLiteral("sub"));
  ASSERT_TRUE(dialog.HighlightFile(QStringLiteral("one.BMP")));
  EXPECT_EQ(dialog.Label19[2]->text(), QStringLiteral("one.BMP"));
  EXPECT_EQ(dialog.Label19[3]->text(),
            QString::fromStdString(store::KilobyteText(static_cast<std::uint64_t>(bytes.size()))));
  dialog.LoadChosenImage();
  EXPECT_EQ(shown.size(), QSize(8, 6));
  EXPECT_EQ(loadedPath, (pics / "one.BMP").string());

  ASSERT_TRUE(dialog.SetFolder(pics / "sub"));
  ASSERT_TRUE(dialog.HighlightFile(QStringLiteral("two.jpg")));
  ui.Expect(platform::ErrorText(481));
  dialog.LoadChosenImage();
  EXPECT_EQ(loadedPath, (pics / "one.BMP").string());
  EXPECT_TRUE(ui.Unexpected().empty());
  EXPECT_FALSE(dialog.SetFolder(pics / "missing"));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
