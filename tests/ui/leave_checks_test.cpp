#include "widgets/leave_checks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// A window of three boxes; the checks of A and B count their runs, A's
// refuses the text "bad".
struct Boxes {
  QWidget window;
  QLineEdit* a = new QLineEdit(&window);
  QLineEdit* b = new QLineEdit(&window);
  QLineEdit* c = new QLineEdit(&window);
  widgets::LeaveChecks* checks = nullptr;
  int aRuns = 0;
  int bRuns = 0;
  bool busy = false;

  Boxes() {
    auto* layout = new QVBoxLayout(&window);
    for (QLineEdit* box : {a, b, c}) layout->addWidget(box);
    checks = new widgets::LeaveChecks(&window);
    checks->Colour(a);
    checks->OnLeave(a, [this] {
      ++aRuns;
      if (a->text() != QStringLiteral("bad")) return true;
      checks->Refocus(a);
      return false;
    });
    checks->OnLeave(b, [this] {
      ++bRuns;
      return true;
    });
    checks->WaitWhile([this] { return busy; });
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    a->setFocus();
    QApplication::processEvents();
  }
  void Tab(QWidget* from) {
    QTest::keyClick(from, Qt::Key_Tab);
    QApplication::processEvents();
  }
};

TEST(LeaveChecksTest, ACheckRunsOnceTheFocusHasMovedOnAndColoursFollowTheFocus) {
  Boxes boxes;
  EXPECT_EQ(boxes.a->palette().color(QPalette::Base), QColor(Qt::yellow));
  boxes.a->setText(QStringLiteral("good"));
  boxes.Tab(boxes.a);
  EXPECT_EQ(boxes.aRuns, 1);
  EXPECT_EQ(QApplication::focusWidget(), boxes.b);
  EXPECT_EQ(boxes.a->palette().color(QPalette::Base), QColor(Qt::white));
  // B is not coloured; leaving it runs its own check.
  EXPECT_NE(boxes.b->palette().color(QPalette::Base), QColor(Qt::yellow));
  boxes.Tab(boxes.b);
  EXPECT_EQ(boxes.bRuns, 1);
}

TEST(LeaveChecksTest, ARefusedFieldTakesTheFocusBackWithoutLeavingTheControlReached) {
  Boxes boxes;
  boxes.a->setText(QStringLiteral("bad"));
  boxes.Tab(boxes.a);
  EXPECT_EQ(boxes.aRuns, 1);
  EXPECT_EQ(QApplication::focusWidget(), boxes.a);
  // B had the focus for a moment; it was not left by the user.
  EXPECT_EQ(boxes.bRuns, 0);
}

TEST(LeaveChecksTest, ACheckRunByACommandDoesNotRunAgainOnTheSameText) {
  Boxes boxes;
  boxes.a->setText(QStringLiteral("good"));
  EXPECT_TRUE(boxes.checks->CheckFocused());
  boxes.Tab(boxes.a);
  EXPECT_EQ(boxes.aRuns, 1);

  // Text changed after the command's check: leaving checks again.
  boxes.a->setFocus();
  QApplication::processEvents();
  boxes.a->setText(QStringLiteral("fine"));
  EXPECT_TRUE(boxes.checks->CheckFocused());
  boxes.a->setText(QStringLiteral("bad"));
  boxes.Tab(boxes.a);
  EXPECT_EQ(boxes.aRuns, 3);
  EXPECT_EQ(QApplication::focusWidget(), boxes.a);
  EXPECT_FALSE(boxes.checks->CheckFocused());
}

TEST(LeaveChecksTest, DueChecksWaitWhileBusyAndAreDroppedWhenTheWindowIsPutAway) {
  Boxes boxes;
  boxes.busy = true;
  boxes.Tab(boxes.a);
  EXPECT_EQ(boxes.aRuns, 0);
  boxes.busy = false;
  EXPECT_TRUE(boxes.checks->RunPending());
  EXPECT_EQ(boxes.aRuns, 1);

  boxes.busy = true;
  boxes.Tab(boxes.b);
  boxes.busy = false;
  boxes.window.hide();
  EXPECT_TRUE(boxes.checks->RunPending());
  EXPECT_EQ(boxes.bRuns, 0);
}

}  // namespace
