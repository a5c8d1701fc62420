#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/qt_ui.h"

namespace {

using namespace platform;

struct Seen {
  QString title;
  QString text;
  QStringList buttons;
  QString defaultButton;
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

TEST(QtUi, EscapeAnswersCancelOrNo) {
  Seen seen;
  EXPECT_EQ(Answer(kYesNoCancel + kExclamation, Qt::Key_Escape, seen, "確認"), kAnswerCancel);
  EXPECT_EQ(seen.buttons.size(), 3);
  EXPECT_EQ(seen.title, QStringLiteral("確認"));
  EXPECT_EQ(Answer(kYesNo, Qt::Key_Escape, seen), kAnswerNo);
  EXPECT_EQ(Answer(kOkCancel, Qt::Key_Escape, seen), kAnswerCancel);
  EXPECT_EQ(Answer(kOkOnly + kCritical, Qt::Key_Escape, seen), kAnswerOk);
  EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
