// The bulk registration (患者マスタ/一括登録): rows appended to the master,
// the re-sort through the sort component, and the main window's lookup
// before and after it.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "patients/bulk_registration.h"
#include "platform/component.h"
#include "sortlib/zuvasortmem.h"
#include "store/text_format.h"
#include "tests/patients/fixture.h"
#include "tests/support/records.h"
#include "tests/support/sort_component.h"

namespace patients_test {
namespace {

using namespace store;
using Ids = std::vector<std::string>;

class BulkTest : public PatientsTest {
 protected:
  Form12& Open() {
    form->M_ikkatu->trigger();
    Settle();
    return patients->Bulk();
  }
  static void Row(Form12& b, int r, const QString& id, const QString& name) {
    b.Text1[r]->setText(id);
    b.Text2[r]->setText(name);
    b.Text3[r]->setText(QStringLiteral("ｶﾅ"));
    b.Combo1[r]->setEditText(QStringLiteral("M"));
    b.Text4[r]->setText(QStringLiteral("1970/01/02"));
    b.Combo2[r]->setEditText(QStringLiteral("総務部"));
  }
  std::vector<int> Twelve() { return {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}; }
};

// Rows up to the first without an ID go to the end of the master; answered
// No, they stay there out of ID order, and the main window still finds them.
TEST_F(BulkTest, RowsUpToTheFirstEmptyIdAreAppendedAndFoundUnsorted) {
  WriteMaster(Twelve());
  Start();
  Form12& b = Open();
  EXPECT_EQ(b.windowTitle(), QStringLiteral("患者マスタ/一括登録"));
  EXPECT_EQ(b.Label2[0]->text(), QStringLiteral("13"));
  EXPECT_EQ(b.Label2[9]->text(), QStringLiteral("22"));
  Row(b, 0, QStringLiteral("000005"), QStringLiteral("甲"));
  Row(b, 1, QStringLiteral("000065"), QStringLiteral("乙"));
  Row(b, 3, QStringLiteral("000200"), QStringLiteral("丁"));  // after the empty row 2
  ui.Expect("患者マスタを昇順に並べ替えますか？", platform::kAnswerNo);
  ui.Expect("登録終了。");
  b.Command1_Click();
  EXPECT_EQ(IdsOf(Master()).size(), 14u);
  EXPECT_EQ(IdsOf(Master())[12], "000005");
  EXPECT_EQ(IdsOf(Master())[13], "000065");
  EXPECT_EQ(RecordNosOf(Master())[13], "0000000014");
  const PatientRecord second = testing_support::PatientsOf(Master())[13];
  EXPECT_EQ(second.Get(PatientField::Name), "乙");
  EXPECT_EQ(second.Get(PatientField::Reading), "ｶﾅ");
  EXPECT_EQ(second.Get(PatientField::Sex), "M");
  EXPECT_EQ(second.Get(PatientField::BirthDate), "1970/01/02");
  EXPECT_EQ(second.Get(PatientField::Department), "総務部");
  EXPECT_EQ(second.Get(PatientField::Remarks), "");
  // The rows reset, numbered from the new end.
  EXPECT_EQ(b.Text1[3]->text(), QString());
  EXPECT_EQ(b.Label2[0]->text(), QStringLiteral("15"));

  EXPECT_EQ(MainWindowFinds(QStringLiteral("5")), QStringLiteral("甲"));
  EXPECT_EQ(MainWindowFinds(QStringLiteral("65")), QStringLiteral("乙"));
  EXPECT_EQ(MainWindowFinds(QStringLiteral("120")), QStringLiteral("患者000120"));
  EXPECT_EQ(MainWindowFinds(QStringLiteral("200")), QString());
}

TEST_F(BulkTest, AnsweredYesTheMasterIsSortedAndFound) {
  WriteMaster(Twelve());
  Start();
  Form12& b = Open();
  Row(b, 0, QStringLiteral("000065"), QStringLiteral("乙"));
  Row(b, 1, QStringLiteral("000005"), QStringLiteral("甲"));
  ui.Expect("患者マスタを昇順に並べ替えますか？", platform::kAnswerYes);
  ui.Expect("登録終了。");
  b.Command1_Click();
  EXPECT_EQ(IdsOf(Master()).front(), "000005");
  EXPECT_EQ(IdsOf(Master())[7], "000065");
  EXPECT_EQ(RecordNosOf(Master())[7], "0000000008");
  EXPECT_EQ(sort.Lines().size(), 14u);
  EXPECT_EQ(sort.Lines().back(), "0000050000000014");
  EXPECT_EQ(Scratch(), "");
  EXPECT_FALSE(t.Root().empty());
  EXPECT_FALSE(files.Exists(kSortExchangeFile));
  EXPECT_EQ(MainWindowFinds(QStringLiteral("65")), QStringLiteral("乙"));
  EXPECT_EQ(MainWindowFinds(QStringLiteral("5")), QStringLiteral("甲"));
}

// Leaving an ID box: too long, or in use in the master or in another row,
// is refused, the box emptied and given the focus back.
TEST_F(BulkTest, DuplicateIdsAreRefusedOnLeavingTheBox) {
  WriteMaster(Twelve());
  Start();
  Form12& b = Open();
  QApplication::setActiveWindow(&b);
  (void)QTest::qWaitForWindowActive(&b);
  auto leave = [&](int r, const QString& text) {
    b.Text1[r]->setFocus();
    Settle();
    b.Text1[r]->setText(text);
    QTest::keyClick(b.Text1[r], Qt::Key_Return);
    Settle();
  };
  leave(0, QStringLiteral("7"));
  EXPECT_EQ(b.Text1[0]->text(), QStringLiteral("000007"));
  EXPECT_TRUE(b.Text2[0]->hasFocus());

  ui.Expect("このＩＤはすでに使用されています。");
  leave(1, QStringLiteral("70"));  // in the master (bisected: 12 records)
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_EQ(b.Text1[1]->text(), QString());
  EXPECT_TRUE(b.Text1[1]->hasFocus());

  ui.Expect("このＩＤはすでに使用されています。");
  leave(1, QStringLiteral("0007"));  // in row 0
  EXPECT_EQ(b.Text1[1]->text(), QString());

  ui.Expect("数字６桁以内で入力して下さい。");
  leave(1, QStringLiteral("1234567"));
  EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
  EXPECT_EQ(b.Text1[1]->text(), QString());

  ui.Expect("２０文字以内で入力してください。");
  b.Text2[0]->setText(QString(21, QLatin1Char('a')));
  EXPECT_FALSE(b.Text2_LostFocus(0));
  ui.Expect("不正な入力です。例）2004/0101");
  b.Text4[0]->setText(QStringLiteral("2004/0101"));
  EXPECT_FALSE(b.Text4_LostFocus(0));
  b.Text4[0]->setText(QStringLiteral("2004/1/1"));
  EXPECT_TRUE(b.Text4_LostFocus(0));
  EXPECT_EQ(b.Text4[0]->text(), QStringLiteral("2004/01/01"));
}

TEST_F(BulkTest, TheCloseBoxRunsClose) {
  Start();
  QPointer<Form12> b = &Open();
  // With one patient no sort is offered; a double click on a row number with
  // an empty master says there is none.
  ui.Expect("患者マスタは登録されていません。");
  b->Label2_DblClick(0);
  Row(*b, 0, QStringLiteral("1"), QStringLiteral("甲"));
  ui.Expect("登録終了。");
  b->Command1_Click();
  EXPECT_EQ(IdsOf(Master()), (Ids{"000001"}));
  b->close();
  Settle();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(b.isNull());
  EXPECT_EQ(patients->BulkIfAny(), nullptr);
  // Opened again: a new window.
  EXPECT_EQ(Open().Label2[0]->text(), QStringLiteral("2"));
}

// End to end through the real component: the bulk rows, the sort by ID, and
// the main window's lookup.
TEST_F(BulkTest, TheRealComponentSortsTheMaster) {
  testing_support::SortComponent component(t.Root(), VELUNOR_SORT_LIBRARY);
  ASSERT_TRUE(component.Registered());
  WriteMaster(Twelve());
  Start();
  patients->Session().SetSortJobs(store::SortJobFactory(store::CreateComponentSortJob));
  Form12& b = Open();
  Row(b, 0, QStringLiteral("000115"), QStringLiteral("丙"));
  ui.Expect("患者マスタを昇順に並べ替えますか？", platform::kAnswerYes);
  ui.Expect("登録終了。");
  b.Command1_Click();
  Ids expected;
  for (int id : {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 115, 120}) {
    expected.push_back(FormatNumber(id, "000000"));
  }
  EXPECT_EQ(IdsOf(Master()), expected);
  EXPECT_EQ(MainWindowFinds(QStringLiteral("115")), QStringLiteral("丙"));
  form.reset();
  platform::FreeUnusedLibraries();
}

}  // namespace
}  // namespace patients_test
