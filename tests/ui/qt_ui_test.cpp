#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "platform/qt_ui.h"

namespace {

using namespace platform;

struct Seen {
  QString title;
  QString text;
  QStringList buttons;
  QString defaultButton;
  bool titleFits = false;  // the box is wider than its title
};

// Shows a box and, once it is up, records what it shows and presses `key`.
int Answer(int style, Qt::Key key, Seen& seen, std::string_view title = kAppTitle) {
  seen = Seen{};
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.title = box->windowTitle();
    seen.text = box->text();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
    seen.buttons.sort();
    if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
    seen.titleFits =
        box->width() > QFontMetrics(box->font()).horizontalAdvance(box->windowTitle()) + 100;
    QTest::keyClick(box, key);
  });
  QtUi ui;
  return ui.MsgBox("データは以上です。", style, title);
}

TEST(QtUi, EnterAnswersTheFirstButton) {
  Seen seen;
  EXPECT_EQ(Answer(kYesNo + kQuestion, Qt::Key_Return, seen), kAnswerYes);
  EXPECT_EQ(seen.defaultButton, QStringLiteral("はい"));
  EXPECT_EQ(seen.buttons, (QStringList{QStringLiteral("いいえ"), QStringLiteral("はい")}));
  EXPECT_EQ(seen.title, QStringLiteral("Velunor2.0"));
  EXPECT_EQ(seen.text, QStringLiteral("データは以上です。"));
  EXPECT_EQ(Answer(kOkOnly, Qt::Key_Return, seen), kAnswerOk);
  EXPECT_EQ(Answer(kOkCancel, Qt::Key_Return, seen), kAnswerOk);
}

// A question whose Yes destroys data names No as its default: Enter alone
// keeps the data.
TEST(QtUi, EnterAnswersNoWhereTheSecondButtonIsTheDefault) {
  Seen seen;
  EXPECT_EQ(Answer(kYesNo + kQuestion + kDefaultButton2, Qt::Key_Return, seen), kAnswerNo);
  EXPECT_EQ(seen.defaultButton, QStringLiteral("いいえ"));
  EXPECT_EQ(Answer(kYesNo + kDefaultButton2, Qt::Key_Escape, seen), kAnswerNo);
  EXPECT_EQ(Answer(kOkOnly + kDefaultButton2, Qt::Key_Return, seen), kAnswerOk);
}

TEST(QtUi, EscapeAnswersCancelOrNo) {
  Seen seen;
  EXPECT_EQ(Answer(kYesNoCancel + kExclamation, Qt::Key_Escape, seen, "確認"), kAnswerCancel);
  EXPECT_EQ(seen.buttons.size(), 3);
  EXPECT_EQ(seen.title, QStringLiteral("確認"));
  EXPECT_EQ(Answer(kYesNo, Qt::Key_Escape, seen), kAnswerNo);
  EXPECT_EQ(Answer(kOkCancel, Qt::Key_Escape, seen), kAnswerCancel);
  EXPECT_EQ(Answer(kOkOnly + kCritical, Qt::Key_Escape, seen), kAnswerOk);
  // A short message under a long title: the title bar shows the whole title.
  EXPECT_EQ(Answer(kOkOnly, Qt::Key_Return, seen, "画像ファイルの取り込みと変換の結果について"),
            kAnswerOk);
  EXPECT_TRUE(seen.titleFits);
  EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
}

// Raise and lower requests per window (Qt sends ZOrderChange for both).
class ZOrderLog : public QObject {
 public:
  explicit ZOrderLog(std::initializer_list<QWidget*> windows) {
    for (QWidget* w : windows) w->installEventFilter(this);
  }
  int Changes(QObject* w) const { return changes_.value(w); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ZOrderChange) changes_[watched] += 1;
    return false;
  }

 private:
  QHash<QObject*, int> changes_;
};

// 登録終了 in a vocabulary window, the PDF-saved message of a list view:
// the box is the asking window's, and that window, not the main window, is
// the active one once the box is gone.
TEST(QtUiWindowOrder, TheWindowThatAskedIsActiveAfterItsBox) {
  QWidget main;
  main.setWindowTitle(QStringLiteral("Velunor2.0"));
  main.resize(300, 200);
  main.show();
  QWidget vocabulary(&main, Qt::Window);
  vocabulary.resize(200, 100);
  vocabulary.show();
  vocabulary.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&vocabulary));
  QtUi ui(&main);
  QWidget* owner = nullptr;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    owner = box->parentWidget();
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(ui.MsgBox("登録終了", kOkOnly), kAnswerOk);
  EXPECT_EQ(owner, &vocabulary);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&vocabulary));
  EXPECT_EQ(QApplication::activeWindow(), &vocabulary);
}

bool StaysOnTop(QWidget& w) {
  return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint) ||
         (w.windowHandle() != nullptr &&
          w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

// "Topmost" after an ID lookup or a sort, "bottom" before another window
// opens: both order the program's own windows; the main window never gets
// the hint that would keep it above other programs.
TEST(QtUiWindowOrder, TopmostAndBottomOrderOnlyTheProgramsOwnWindows) {
  QWidget main;
  main.setWindowTitle(QStringLiteral("Velunor2.0"));
  main.resize(300, 200);
  main.show();
  QWidget list(&main, Qt::Window);
  list.show();
  QWidget hidden(&main, Qt::Window);
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
  QtUi ui(&main);
  ZOrderLog log{&main, &list, &hidden};

  ui.SetStayOnTop(true);
  EXPECT_FALSE(StaysOnTop(main));
  EXPECT_EQ(log.Changes(&main), 1);  // raised above the list
  EXPECT_EQ(log.Changes(&list), 0);

  ui.Lower();
  EXPECT_FALSE(StaysOnTop(main));
  EXPECT_EQ(log.Changes(&main), 1);  // not sent below other programs' windows
  EXPECT_EQ(log.Changes(&list), 1);  // the program's own window goes above it
  EXPECT_EQ(log.Changes(&hidden), 0);

  ui.SetStayOnTop(false);
  EXPECT_EQ(log.Changes(&main), 1);
  EXPECT_FALSE(StaysOnTop(main));
}

TEST(QtUiWindowOrder, AStayOnTopHintLeftOnTheWindowIsTakenAway) {
  QWidget main;
  main.show();
  main.windowHandle()->setFlag(Qt::WindowStaysOnTopHint, true);
  QtUi ui(&main);
  ui.SetStayOnTop(true);
  EXPECT_FALSE(StaysOnTop(main));
  main.windowHandle()->setFlag(Qt::WindowStaysOnTopHint, true);
  ui.Lower();
  EXPECT_FALSE(StaysOnTop(main));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
