#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "app/first_start.h"
#include "mainwin/main_window.h"
#include "platform/file_system.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_drive.h"

namespace {

// The main window on a drive, started as the program starts it.
struct Started {
  Started() { t.WriteBytes(store::kDataFile, ""); }
  void Start(const std::filesystem::path& demoRoot = {}) {
    form.Form_Load();
    app::ShowStartHints(form, s, demoRoot);
    QApplication::processEvents();
  }
  ~Started() { s.CloseAllFiles(); }
  QLabel* Hint(const char* name) const {
    return form.findChild<QLabel*>(QString::fromLatin1(name) + QStringLiteral("Text"));
  }

  testing_support::TempDrive t;
  platform::PosixFileSystem fs{t.Drive()};
  store::Store s{fs};
  testing_support::FakeUi ui;
  Form1 form{s, ui};
};

TEST(StartHints, AFreshDriveSaysWhereTheBuiltInVocabulariesAreWithoutABox) {
  Started app;
  app.Start();
  EXPECT_TRUE(app::VocabulariesEmpty(app.s));
  QLabel* hint = app.Hint("vocabularyHint");
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->isVisible());
  for (const char* words : {"初期設定", "初期値読み込み", "登録"}) {
    EXPECT_TRUE(hint->text().contains(QString::fromUtf8(words))) << words;
  }
  EXPECT_TRUE(app.ui.Boxes().empty());
  EXPECT_TRUE(app.ui.Unexpected().empty());

  // The × closes it, and the status bar with it.
  auto* close = app.form.findChild<QToolButton*>(QStringLiteral("vocabularyHintClose"));
  ASSERT_NE(close, nullptr);
  QTest::mouseClick(close, Qt::LeftButton);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(app.Hint("vocabularyHint"), nullptr);
  EXPECT_FALSE(app.form.statusBar()->isVisible());
}

TEST(StartHints, TheHintGoesOnceAVocabularyHoldsAnEntry) {
  Started app;
  app.Start();
  ASSERT_NE(app.Hint("vocabularyHint"), nullptr);
  // Blank entries (a list cleared and registered) are no vocabulary yet.
  store::ListEntryRecord entry;
  ASSERT_TRUE(app.s.ListFileOf(store::LookupList::Finding)->Write(1, entry).ok());
  EXPECT_TRUE(app::VocabulariesEmpty(app.s));
  entry.Set(store::ListEntryField::EntryText, "ＳＴ低下");
  ASSERT_TRUE(app.s.ListFileOf(store::LookupList::Finding)->Write(2, entry).ok());
  EXPECT_FALSE(app::VocabulariesEmpty(app.s));
  // Checked when the user comes back to the main window.
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&app.form, &activate);
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(app.Hint("vocabularyHint"), nullptr);
}

TEST(StartHints, AFilledDriveGetsNoStatusBarAndTheDemoDriveSaysWhereItIs) {
  Started filled;
  store::ListEntryRecord entry;
  entry.Set(store::ListEntryField::EntryText, "総務部");
  filled.t.WriteBytes(store::kDepartmentFile, entry.Bytes());
  filled.Start();
  EXPECT_EQ(filled.form.findChild<QStatusBar*>(), nullptr);

  Started demo;
  demo.t.WriteBytes(store::kDepartmentFile, entry.Bytes());
  demo.Start("/data/velunor2/demo");
  ASSERT_NE(demo.Hint("demoHint"), nullptr);
  EXPECT_TRUE(demo.Hint("demoHint")->text().endsWith(QStringLiteral("/data/velunor2/demo")));
  EXPECT_EQ(demo.Hint("vocabularyHint"), nullptr);
}

}  // namespace
