// The registration window (患者マスタ/新規登録) and 全削除, reached from the
// main window's menu, and the main window's ID lookup following the master.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "patients/bulk_registration.h"
#include "patients/patient_form.h"
#include "patients/patient_list.h"
#include "platform/error_text.h"
#include "tests/patients/fixture.h"
#include "tests/support/records.h"

namespace patients_test {
namespace {

using namespace store;
using Ids = std::vector<std::string>;

class RegistrationTest : public PatientsTest {
 protected:
  Form10& OpenNew() {
    form->M_touroku->trigger();
    Settle();
    return patients->Registration();
  }
  void Fill(Form10& f, const QString& id, const QString& name) {
    f.Text1->setText(id);
    f.Text2->setText(name);
    f.Text3->setText(QStringLiteral("ﾔﾏﾀﾞ"));
    f.Combo1->setEditText(QStringLiteral("F"));
    f.Text4->setText(QStringLiteral("1960/4/1"));
    f.Combo2->setEditText(QStringLiteral("経理部"));
  }
};

TEST_F(RegistrationTest, ANewPatientIsInsertedInIdOrderAndTheMainWindowFindsHer) {
  WriteMaster({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
  WriteDepartments({"総務部", "経理部"});
  Start();
  Form10& f = OpenNew();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.windowTitle(), QStringLiteral("患者マスタ/新規登録"));
  EXPECT_EQ(f.Label9->text(), QStringLiteral("13"));
  EXPECT_FALSE(f.Command3->isEnabled());
  EXPECT_EQ(f.Combo2->count(), kDepartmentEntries);
  EXPECT_EQ(f.Combo2->itemText(1), QStringLiteral("経理部"));

  // Leaving the ID box: six digits, nobody found, on to the name.
  f.Text1->setFocus();
  f.Text1->setText(QStringLiteral("55"));
  QTest::keyClick(f.Text1, Qt::Key_Return);
  Settle();
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000055"));
  EXPECT_TRUE(f.Text2->hasFocus());

  Fill(f, QStringLiteral("000055"), QStringLiteral("山田花子"));
  f.Text5->setText(QStringLiteral("備考あり"));
  f.Command1_Click();
  EXPECT_EQ(IdsOf(Master())[5], "000055");
  EXPECT_EQ(IdsOf(Master())[6], "000060");
  const PatientRecord stored = testing_support::PatientsOf(Master())[5];
  EXPECT_EQ(stored.Get(PatientField::Name), "山田花子");
  EXPECT_EQ(stored.Get(PatientField::Reading), "ﾔﾏﾀﾞ");
  EXPECT_EQ(stored.Get(PatientField::Sex), "F");
  EXPECT_EQ(stored.Get(PatientField::BirthDate), "1960/4/1");
  EXPECT_EQ(stored.Get(PatientField::Department), "経理部");
  EXPECT_EQ(stored.Get(PatientField::Remarks), "備考あり");
  // The form is empty for the next patient.
  EXPECT_EQ(f.Text1->text(), QString());
  EXPECT_EQ(f.Label9->text(), QStringLiteral("14"));
  EXPECT_TRUE(f.Text1->hasFocus());

  EXPECT_EQ(MainWindowFinds(QStringLiteral("55")), QStringLiteral("山田花子"));
  EXPECT_EQ(MainWindowFinds(QStringLiteral("120")), QStringLiteral("患者000120"));
}

TEST_F(RegistrationTest, AnIdTheMasterHoldsShowsItsPatientAndIsOverwrittenInPlace) {
  WriteMaster({10, 20, 30});
  Start();
  Form10& f = OpenNew();
  f.Text1->setText(QStringLiteral("20"));
  ASSERT_TRUE(f.Text1_LostFocus());
  EXPECT_EQ(f.Label9->text(), QStringLiteral("000002"));
  EXPECT_EQ(f.Text2->text(), QStringLiteral("患者000020"));
  EXPECT_EQ(f.Text5->text(), QStringLiteral("備考000020"));
  EXPECT_TRUE(f.Command3->isEnabled());
  f.Text2->setFocus();
  Settle();
  f.Text2->setText(QStringLiteral("改名"));
  const int renames = files.RenamesSeen();
  f.Command1_Click();
  EXPECT_EQ(files.RenamesSeen(), renames);
  EXPECT_EQ(testing_support::PatientsOf(Master())[1].Get(PatientField::Name), "改名");
  EXPECT_EQ(IdsOf(Master()), (Ids{"000010", "000020", "000030"}));
  EXPECT_EQ(MainWindowFinds(QStringLiteral("20")), QStringLiteral("改名"));
}

TEST_F(RegistrationTest, TheRequiredFieldsAreCheckedFirst) {
  WriteMaster({99});
  Start();
  Form10& f = OpenNew();
  for (const char* id : {"", "1234567", "abc"}) {
    // The name typed last: the focus is in its box.
    f.Text2->setFocus();
    Settle();
    f.Text1->setText(QString::fromUtf8(id));
    f.Text2->setText(QStringLiteral("名前"));
    ui.Expect("ID 入力が不正です。");
    f.Command1_Click();
    EXPECT_EQ(ui.Boxes().back().style, platform::kOkOnly);
    EXPECT_TRUE(f.Text1->hasFocus());
  }
  f.Text2->setFocus();
  Settle();
  f.Text1->setText(QStringLiteral("7"));
  f.Text2->clear();
  ui.Expect("氏名が入力されていません。");
  f.Command1_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  EXPECT_TRUE(f.Text2->hasFocus());
  EXPECT_EQ(IdsOf(Master()), (Ids{"000099"}));

  ui.Expect("入力が不正です。");
  f.Text4->setText(QStringLiteral("1960/13/45"));
  EXPECT_FALSE(f.Text4_LostFocus());
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  f.Text4->setText(QStringLiteral("S35.4.1"));
  EXPECT_TRUE(f.Text4_LostFocus());
  EXPECT_EQ(f.Text4->text(), QStringLiteral("1960/04/01"));
}

TEST_F(RegistrationTest, NextPreviousAndTheSliderBrowseTheMaster) {
  WriteMaster({10, 20, 30});
  Start();
  Form10& f = OpenNew();
  EXPECT_EQ(f.Slider1->maximum(), 3);
  f.Slider1->setValue(2);
  f.Slider1_Click();
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000020"));
  f.Command8_Click();
  EXPECT_EQ(f.Label9->text(), QStringLiteral("000003"));
  f.Command5_Click();  // beyond the last: stays
  EXPECT_EQ(f.Label9->text(), QStringLiteral("000003"));
  f.Command7_Click();
  f.Command6_Click();
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000010"));
  f.Command6_Click();
  EXPECT_EQ(f.Label9->text(), QStringLiteral("000001"));
}

// Deleting record 2 of 4: the whole master in the list with ten-digit file
// numbers, the registration window hidden, the main window's lookup on the
// new master.
TEST_F(RegistrationTest, DeleteThenTheListOfTheWholeMaster) {
  WriteMaster({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
  Start();
  Form10& f = OpenNew();
  f.Slider1->setValue(2);
  f.Slider1_Click();
  ui.Expect("この患者データを削除しますか？", platform::kAnswerNo);
  f.Command3_Click();
  EXPECT_EQ(IdsOf(Master()).size(), 12u);
  ui.Expect("この患者データを削除しますか？", platform::kAnswerYes);
  f.Command3_Click();
  EXPECT_EQ(IdsOf(Master()).size(), 11u);
  EXPECT_EQ(IdsOf(Master())[1], "000030");
  EXPECT_EQ(RecordNosOf(Master())[10], "0000000011");
  EXPECT_FALSE(f.isVisible());
  Form11& list = patients->List();
  EXPECT_TRUE(list.isVisible());
  EXPECT_EQ(list.Label2[0]->text(), QStringLiteral("0000000001"));
  EXPECT_EQ(list.Label2[10]->text(), QStringLiteral("0000000011"));
  EXPECT_EQ(list.Label3[1]->text(), QStringLiteral("000030"));
  EXPECT_EQ(list.Label2[11]->text(), QString());
  EXPECT_EQ(list.Label8->text(), QStringLiteral("データ数：11"));

  EXPECT_EQ(MainWindowFinds(QStringLiteral("20")), QString());
  EXPECT_EQ(MainWindowFinds(QStringLiteral("110")), QStringLiteral("患者000110"));

  // A number outside the master cannot be deleted.
  f.Command4_Click();
  ui.Expect("この患者データを削除しますか？", platform::kAnswerYes);
  ui.Expect("削除できません。");
  f.Command3_Click();
}

// A delete whose rebuild fails: the master as it was, the failure shown,
// the window still open on its patient.
TEST_F(RegistrationTest, AFailedDeleteLeavesTheMasterAndSaysSo) {
  WriteMaster({10, 20, 30});
  Start();
  const std::string before = Master();
  Form10& f = OpenNew();
  f.Slider1->setValue(1);
  f.Slider1_Click();
  files.FailNthRename(1);
  ui.Expect("この患者データを削除しますか？", platform::kAnswerYes);
  ui.Expect(platform::ErrorText(platform::kPermissionDenied));
  f.Command3_Click();
  EXPECT_EQ(Master(), before);
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(store.PatientCount(), 3);
}

TEST_F(RegistrationTest, DeletingTheWholeMaster) {
  Start();
  ui.Expect("患者マスタは登録されていません。");
  form->M_sakujyo->trigger();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);

  form.reset();
  WriteMaster({10, 20});
  Start();
  ui.Expect("患者マスタを全て削除しますか？", platform::kAnswerNo);
  form->M_sakujyo->trigger();
  EXPECT_EQ(IdsOf(Master()).size(), 2u);
  ui.Expect("患者マスタを全て削除しますか？", platform::kAnswerYes);
  ui.Expect("削除終了。");
  form->M_sakujyo->trigger();
  EXPECT_EQ(Master(), "");
  EXPECT_EQ(store.PatientCount(), 0);
}

}  // namespace
}  // namespace patients_test

namespace patients_test {
namespace {

// A master that cannot be written: 新規登録, 一括登録 and 全削除 say so
// before anything is typed or asked; the name box's hint tells the truth.
TEST_F(RegistrationTest, WritingCommandsAreRefusedUpFrontWhenTheMasterCannotBeWritten) {
  WriteMaster({10, 20});
  store.SetReadOnlySession(true);
  ui.Expect("");  // the files a read-only run cannot create
  Start();
  for (QAction* command : {form->M_touroku, form->M_ikkatu, form->M_sakujyo}) {
    SCOPED_TRACE(command->text().toStdString());
    ui.Expect("このデータドライブには書き込めないため、患者の登録・削除・並べ替えはできません。");
    command->trigger();
    Settle();
  }
  EXPECT_TRUE(patients->RegistrationIfAny() == nullptr ||
              !patients->RegistrationIfAny()->isVisible());
  EXPECT_TRUE(patients->BulkIfAny() == nullptr || !patients->BulkIfAny()->isVisible());
  EXPECT_EQ(Master(), MasterBytes({10, 20}));

  Form10& f = patients->Registration();
  QStringList hints;
  for (QLabel* label : f.findChildren<QLabel*>()) hints << label->text();
  EXPECT_TRUE(hints.contains(QStringLiteral("(全角10字以内)")));
  EXPECT_FALSE(hints.contains(QStringLiteral("(全角20字以内)")));
}

// The registration and bulk windows' boxes take no more than their master
// fields hold, as they are typed.
TEST_F(RegistrationTest, TheBoxesTakeOnlyWhatTheirFieldsHold) {
  Start();
  Form10& f = OpenNew();
  Form12& bulk = patients->Bulk();
  const struct {
    QWidget* box;
    int bytes;
  } cases[] = {
      {f.Text2, 20}, {f.Text3, 20},       {f.Combo2->lineEdit(), 10},
      {f.Text5, 50}, {bulk.Text2[0], 20}, {bulk.Combo2[0]->lineEdit(), 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box->objectName().toStdString());
    c.box->setFocus();
    auto* line = qobject_cast<QLineEdit*>(c.box);
    ASSERT_NE(line, nullptr);
    for (int k = 0; k < 30; ++k) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("漢"));
      QApplication::sendEvent(line, &press);
    }
    EXPECT_EQ(line->text(), QString(c.bytes / 2, QChar(u'漢')));
  }
}

}  // namespace
}  // namespace patients_test
