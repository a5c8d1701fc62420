#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <memory>

#include "mainwin/main_window.h"
#include "platform/file_system.h"
#include "platform/japanese.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_drive.h"

namespace {

// Qt's own texts: the right-click menu of every text box and the standard
// buttons of its dialogs (main() installs the translations as the program's
// main() does).
TEST(Japanese, QtsOwnTextsAreJapanese) {
  EXPECT_EQ(QLocale().language(), QLocale::Japanese);
  QLineEdit edit;
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList texts;
  for (QAction* a : menu->actions()) texts << a->text();
  const QString all = texts.join(QLatin1Char('|'));
  for (const char* word : {"元に戻す", "切り取り", "コピー", "貼り付け", "すべてを選択"}) {
    EXPECT_TRUE(all.contains(QString::fromUtf8(word))) << word << " in " << all.toStdString();
  }
  QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

TEST(Japanese, TheCalendarHeaderReadsYearThenMonth) {
  QCalendarWidget calendar;
  platform::MakeJapaneseCalendar(&calendar);
  calendar.setCurrentPage(2026, 12);
  auto* year = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
  auto* month = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
  ASSERT_NE(year, nullptr);
  ASSERT_NE(month, nullptr);
  EXPECT_EQ(year->text(), QStringLiteral("2026年"));
  EXPECT_EQ(month->text(), QStringLiteral("12月"));
  QLayout* bar = year->parentWidget()->layout();
  EXPECT_LT(bar->indexOf(year), bar->indexOf(month));
  EXPECT_EQ(calendar.firstDayOfWeek(), Qt::Sunday);
  // The header follows the calendar's font (a scaled form scales it).
  QFont big = calendar.font();
  big.setPointSizeF(big.pointSizeF() * 2);
  calendar.setFont(big);
  EXPECT_DOUBLE_EQ(year->font().pointSizeF(), big.pointSizeF());
  EXPECT_TRUE(month->font().bold());
}

TEST(Japanese, TheMainWindowsCalendarOpensOnTheDateField) {
  testing_support::TempDrive t;
  platform::PosixFileSystem fs{t.Drive()};
  store::Store s{fs};
  testing_support::FakeUi ui;
  Form1 form(s, ui);
  form.Today = [] { return QDate(2026, 12, 9); };
  form.Form_Load();
  form.Text1[0]->setText(QStringLiteral("2005/03/15"));
  form.Carender_Click();
  ASSERT_TRUE(form.MonthView1->isVisible());
  EXPECT_EQ(form.MonthView1->selectedDate(), QDate(2005, 3, 15));
  EXPECT_EQ(form.MonthView1->yearShown(), 2005);
  EXPECT_EQ(form.MonthView1->monthShown(), 3);
  form.Carender_Click();
  EXPECT_FALSE(form.MonthView1->isVisible());
  // No date in the field: today.
  form.Text1[0]->setText(QStringLiteral("abc"));
  form.Carender_Click();
  EXPECT_EQ(form.MonthView1->selectedDate(), QDate(2026, 12, 9));
  EXPECT_TRUE(ui.Unexpected().empty());
  s.CloseAllFiles();
}

}  // namespace
