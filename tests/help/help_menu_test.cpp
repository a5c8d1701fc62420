// ヘルプ: the guide window opened by F1 (at the chapter of the window F1 was
// pressed in), and バージョン情報.
#include "help/help_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <fstream>
#include <memory>

#include "help/about.h"
#include "help/guide_files.h"
#include "help/guide_window.h"
#include "mainwin/main_window.h"
#include "platform/component.h"
#include "sortlib/zuvasortmem.h"
#include "tests/views_lists/fixture.h"
#include "views/search_dialog.h"

namespace {

class HelpMenuTest : public lists_test::DriveTest {
 protected:
  void TearDown() override {
    form.reset();
    DriveTest::TearDown();
  }
  void Start(int exams) {
    WriteExams(exams);
    form = std::make_unique<Form1>(store, ui);
    form->Form_Load();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  help::HelpMenu& Help() { return *form->findChild<help::HelpMenu*>(); }
  QStringList Headings(const QTreeWidgetItem* parent) {
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i) texts << parent->child(i)->text(0);
    return texts;
  }

  std::unique_ptr<Form1> form;
};

TEST_F(HelpMenuTest, F1ShowsTheGuideWithContentsPicturesLinksAndSearch) {
  Start(0);
  QTest::keyClick(form.get(), Qt::Key_F1);
  help::GuideWindow* guide = Help().Guide();
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->isVisible());
  EXPECT_EQ(guide->windowTitle(), QStringLiteral("使い方ガイド"));
  EXPECT_TRUE(guide->Text()->toPlainText().startsWith(QStringLiteral("Velunor2.0 利用者ガイド")));
  // The pictures are found beside the guide.
  EXPECT_FALSE(
      guide->Text()
          ->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/main.png")))
          .isNull());

  const QTreeWidgetItem* root = guide->Contents()->invisibleRootItem();
  EXPECT_EQ(Headings(root).first(), QStringLiteral("インストールと起動"));
  EXPECT_TRUE(Headings(root).contains(QStringLiteral("患者マスタ")));
  const int daily = static_cast<int>(Headings(root).indexOf(QStringLiteral("毎日の作業")));
  ASSERT_GE(daily, 0);
  EXPECT_TRUE(Headings(root->child(daily)).contains(QStringLiteral("検索・一覧・印刷")));

  // A click in the contents and a link of the guide both bring the heading to the top.
  const QTreeWidgetItem* patients =
      root->child(static_cast<int>(Headings(root).indexOf(QStringLiteral("患者マスタ"))));
  const QRect row = guide->Contents()->visualItemRect(patients);
  QTest::mouseClick(guide->Contents()->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(guide->TopHeading(), QStringLiteral("患者マスタ"));
  Q_EMIT guide->Text()->anchorClicked(QUrl(QStringLiteral("#バックアップ")));
  EXPECT_EQ(guide->TopHeading(), QStringLiteral("バックアップ"));

  struct Search {
    QString text;
    bool found;
  };
  for (const Search& s : {Search{QStringLiteral("一括登録"), true},
                          Search{QStringLiteral("一括登録"), true},  // the next one, or wrapped
                          Search{QStringLiteral("存在しない言葉"), false}}) {
    guide->SearchBox()->setText(s.text);
    QTest::keyClick(guide->SearchBox(), Qt::Key_Return);
    EXPECT_EQ(guide->Text()->textCursor().selectedText() == s.text, s.found)
        << s.text.toStdString();
  }
}

TEST_F(HelpMenuTest, F1InTheSearchDialogOpensTheGuideAtItsChapter) {
  Start(5);
  form->kensaku->trigger();
  auto* search = form->findChild<Dialog1*>(QStringLiteral("Dialog1"));
  ASSERT_NE(search, nullptr);
  ASSERT_TRUE(search->isVisible());
  QApplication::setActiveWindow(search);
  QTest::keyClick(search->focusWidget() != nullptr ? search->focusWidget() : search, Qt::Key_F1);
  ASSERT_NE(Help().Guide(), nullptr);
  EXPECT_TRUE(Help().Guide()->isVisible());
  EXPECT_EQ(Help().Guide()->TopHeading(), QStringLiteral("検索・一覧・印刷"));
}

TEST(HelpChapters, EveryWindowWithAChapterNamesAHeadingOfTheGuide) {
  help::GuideWindow guide(QString::fromStdString(help::FindGuide().string()));
  guide.show();
  struct Case {
    const char* window;
    const char* chapter;
  };
  for (const Case& c :
       {Case{"Dialog1", "検索・一覧・印刷"}, Case{"Form5", "検索・一覧・印刷"},
        Case{"Form2", "画像を拡大する・印刷する"}, Case{"Form8", "画像の一覧と詳細表示"},
        Case{"Form10", "患者マスタ"}, Case{"Form3", "はじめて使うとき"},
        Case{"Dialog", "検査を入力する"}, Case{"Form1", ""}}) {
    QWidget window;
    window.setObjectName(QString::fromUtf8(c.window));
    EXPECT_EQ(help::ChapterOf(&window), QString::fromUtf8(c.chapter)) << c.window;
    if (*c.chapter != '\0') {
      EXPECT_TRUE(guide.ShowChapter(help::ChapterOf(&window))) << c.window;
    }
  }
}

TEST_F(HelpMenuTest, VersionDialogShowsTheVersionTheDriveAndTheLicence) {
  Start(0);
  EXPECT_TRUE(form->H_version->isEnabled());
  form->H_version->trigger();
  QDialog* dialog = Help().VersionDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("バージョン情報"));
  const QString text = dialog->findChild<QLabel*>(QStringLiteral("VersionText"))->text();
  EXPECT_TRUE(text.contains(QStringLiteral("バージョン 2.0.0"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromStdString(t.Root().string()))) << text.toStdString();
  EXPECT_TRUE(
      text.contains(QStringLiteral("ライセンス: 同梱の copyright ファイルを参照してください。")));
}

// The sort component's line names the library creation would use.
TEST(AboutText, NamesTheSortComponentCreationWouldUse) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("about_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "beside");
  std::ofstream(dir / "beside" / zuvasort::kLibraryFileName) << "x";
  std::ofstream(dir / "other.so") << "x";
  const QByteArray registryBefore = qgetenv("VELUNOR_COMPONENT_REGISTRY");
  qputenv("VELUNOR_COMPONENT_REGISTRY",
          QFile::encodeName(QString::fromStdString((dir / "r.ini").string())));
  platform::SetComponentFallbackDirectoriesForTesting(std::vector{dir / "beside"});

  struct Case {
    const char* name;
    std::filesystem::path registered;  // empty: not registered
    bool besideProgram;
    help::SortComponentPlace::Kind kind;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"registered", dir / "other.so", true, help::SortComponentPlace::kRegistered,
       (dir / "other.so").string() + "（登録されている部品）\n  バージョン: 不明"},
      {"registered to the bundled file", dir / "beside" / zuvasort::kLibraryFileName, true,
       help::SortComponentPlace::kRegistered, "（登録されている部品）\n  バージョン 2.0.0"},
      {"not registered",
       {},
       true,
       help::SortComponentPlace::kBesideProgram,
       (dir / "beside" / zuvasort::kLibraryFileName).string() +
           "（プログラムに同梱、登録なしで使用）"},
      {"registered file gone", dir / "gone.so", true, help::SortComponentPlace::kBesideProgram,
       "登録先 " + (dir / "gone.so").string() + " はありません。"},
      {"nowhere",
       {},
       false,
       help::SortComponentPlace::kMissing,
       "登録されておらず、プログラムのそばにもありません。"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(platform::UnregisterComponent(zuvasort::kZuvaSortMemClassId).ok());
    if (!c.registered.empty()) {
      ASSERT_TRUE(
          platform::RegisterComponent(zuvasort::kZuvaSortMemClassId,
                                      {std::string(zuvasort::kProgId), c.registered.string(),
                                       std::string(zuvasort::kTypeLibraryName)})
              .ok());
    }
    platform::SetComponentFallbackDirectoriesForTesting(
        std::vector{c.besideProgram ? dir / "beside" : dir / "empty"});
    const help::SortComponentPlace place = help::FindSortComponent();
    EXPECT_EQ(place.kind, c.kind) << c.name;
    const std::string text = help::AboutText("/drive", place);
    EXPECT_NE(text.find(c.line), std::string::npos) << c.name << "\n" << text;
  }
  platform::SetComponentFallbackDirectoriesForTesting(std::nullopt);
  qputenv("VELUNOR_COMPONENT_REGISTRY", registryBefore);
  std::filesystem::remove_all(dir);
}

}  // namespace
