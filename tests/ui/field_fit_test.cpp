// Typing that would not fit the record field is refused as it is typed, and
// the reason is shown; text the program puts into a box is never refused.
#include "widgets/field_fit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

struct Boxes {
  QWidget window;
  QLineEdit* name = new QLineEdit(&window);               // 20 bytes
  QComboBox* combo = new QComboBox(&window);              // 10 bytes
  QLineEdit* date = new QLineEdit(&window);               // characters only
  QPlainTextEdit* comment = new QPlainTextEdit(&window);  // 10 bytes, lines count CR LF

  Boxes() {
    combo->setEditable(true);
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* box : std::initializer_list<QWidget*>{name, combo, date, comment}) {
      layout->addWidget(box);
    }
    widgets::FitToField(name, 20);
    widgets::FitToField(combo, 10);
    widgets::FitToField(date, 0);
    widgets::FitToField(comment, 10);
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }
};

QString Text(QWidget* box) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) return line->text();
  if (auto* combo = qobject_cast<QComboBox*>(box)) return combo->currentText();
  return qobject_cast<QPlainTextEdit*>(box)->toPlainText();
}

TEST(FieldFit, WhatDoesNotFitIsRefusedAsItIsTyped) {
  Boxes boxes;
  const QString tooLong20 =
      QStringLiteral("この欄には半角20字（全角10字）までしか入力できません。");
  const struct {
    QWidget* box;
    QString typed;
    QString kept;
    QString reason;  // empty: nothing refused
  } cases[] = {
      {boxes.name,
       QStringLiteral("山田太郎山田太郎山田"),
       QStringLiteral("山田太郎山田太郎山田"),
       {}},
      {boxes.name, QStringLiteral("山田太郎山田太郎山田花"), QStringLiteral("山田太郎山田太郎山田"),
       tooLong20},
      {boxes.name, QStringLiteral("ab😀c"), QStringLiteral("abc"),
       QStringLiteral("「😀」は保存できない文字のため、入力できません。")},
      {boxes.name, QStringLiteral("ab"), QStringLiteral("ab"), {}},
      {boxes.name, QStringLiteral("c\x01"), QStringLiteral("ab"),
       QStringLiteral("制御文字は入力できません。")},
      {boxes.combo, QStringLiteral("循環器内科外来"), QStringLiteral("循環器内科"),
       QStringLiteral("この欄には半角10字（全角5字）までしか入力できません。")},
      {boxes.date, QStringLiteral("平成17年3月5日"), QStringLiteral("平成17年3月5日"), {}},
      {boxes.comment, QStringLiteral("ab\ncdefghi"), QStringLiteral("ab\ncdefgh"),
       QStringLiteral("この欄には半角10字（全角5字）までしか入力できません。")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    c.box->setProperty("fieldRefusal", QString());
    if (auto* combo = qobject_cast<QComboBox*>(c.box)) {
      combo->lineEdit()->setProperty("fieldRefusal", QString());
      combo->clearEditText();
    } else if (auto* line = qobject_cast<QLineEdit*>(c.box)) {
      if (!c.typed.contains(QChar(1))) line->clear();
    } else {
      qobject_cast<QPlainTextEdit*>(c.box)->clear();
    }
    c.box->setFocus();
    auto* combo = qobject_cast<QComboBox*>(c.box);
    QWidget* target = combo ? combo->lineEdit() : c.box;
    if (c.typed.contains(QChar(1))) {
      qobject_cast<QLineEdit*>(target)->insert(c.typed);  // pasted: control characters
    } else {
      // One character at a time, as a keyboard or an input method delivers them.
      for (char32_t u : c.typed.toUcs4()) {
        const QString ch = QString::fromUcs4(&u, 1);
        QKeyEvent press(QEvent::KeyPress, u == U'\n' ? Qt::Key_Return : Qt::Key_unknown,
                        Qt::NoModifier, ch);
        QApplication::sendEvent(target, &press);
      }
    }
    EXPECT_EQ(Text(c.box), c.kept);
    EXPECT_EQ(widgets::FieldRefusal(
                  qobject_cast<QComboBox*>(c.box)
                      ? static_cast<QWidget*>(qobject_cast<QComboBox*>(c.box)->lineEdit())
                      : c.box),
              c.reason);
  }
  // A stored record is shown as it is, whatever it holds.
  boxes.window.setFocus();
  boxes.name->setText(QStringLiteral("山田太郎山田太郎山田花子"));
  EXPECT_EQ(boxes.name->text(), QStringLiteral("山田太郎山田太郎山田花子"));
  boxes.comment->setPlainText(QStringLiteral("0123456789ABC"));
  EXPECT_EQ(boxes.comment->toPlainText(), QStringLiteral("0123456789ABC"));
}

TEST(FieldFit, EachBoxTellsItsLimitInItsTooltip) {
  Boxes boxes;
  struct Case {
    QWidget* box;
    QString tip;
  };
  const Case cases[] = {
      {boxes.name, QStringLiteral("全角10字（半角20字）まで")},
      {boxes.combo, QStringLiteral("全角5字（半角10字）まで")},
      {boxes.date, QString()},
      {boxes.comment, QStringLiteral("全角5字（半角10字）まで、改行は半角2字分")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.box->toolTip(), c.tip);
  }
  // What a box already says stays, with the limit after it.
  QLineEdit named;
  named.setToolTip(QStringLiteral("氏名"));
  widgets::FitToField(&named, 21);
  EXPECT_EQ(named.toolTip(), QStringLiteral("氏名\n全角10字（半角21字）まで"));
  EXPECT_EQ(widgets::FieldLimitTip(1), QStringLiteral("半角1字まで"));
}

}  // namespace
