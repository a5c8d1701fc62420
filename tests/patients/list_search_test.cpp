// The patient list (患者マスタ/一覧) and the patient search (患者マスタ/検索).
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "patients/patient_form.h"
#include "patients/patient_list.h"
#include "patients/patient_search_dialog.h"
#include "tests/patients/fixture.h"
#include "tests/support/records.h"

namespace patients_test {
namespace {

using namespace store;
using Ids = std::vector<std::string>;

std::vector<int> Ids10To(int last) {
  std::vector<int> ids;
  for (int id = 10; id <= last; id += 10) ids.push_back(id);
  return ids;
}

class ListSearchTest : public PatientsTest {};

TEST_F(ListSearchTest, TheListPagesThroughTheWholeMaster) {
  Start();
  ui.Expect("患者マスタは登録されていません。");
  form->M_itiran->trigger();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  EXPECT_EQ(patients->ListIfAny(), nullptr);

  form.reset();
  WriteMaster(Ids10To(400));  // 40 patients, 3 pages
  Start();
  form->M_itiran->trigger();
  Form11& list = patients->List();
  EXPECT_TRUE(list.isVisible());
  EXPECT_EQ(Scratch(), Master());
  EXPECT_EQ(list.Label9->text(), QStringLiteral("1/3(Page)"));
  ui.Expect("データは以上です。");
  list.Command5_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  EXPECT_EQ(list.Label9->text(), QStringLiteral("1/3(Page)"));
  list.Slider1->setValue(3);
  list.Slider1_Click();
  EXPECT_EQ(list.Label2[0]->text(), QStringLiteral("0000000031"));
  EXPECT_EQ(list.Label3[9]->text(), QStringLiteral("000400"));
  EXPECT_EQ(list.Label3[10]->text(), QString());
  ui.Expect("データは以上です。");
  list.Command4_Click();
  EXPECT_EQ(list.Label9->text(), QStringLiteral("3/3(Page)"));
  list.Command5_Click();
  EXPECT_EQ(list.Label2[0]->text(), QStringLiteral("0000000016"));

  // A row opens its patient; an empty row does nothing.
  list.Row_Click(2);
  Form10& f = patients->Registration();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.Label9->text(), QStringLiteral("0000000018"));
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000180"));
  EXPECT_TRUE(f.Command3->isEnabled());

  list.Command3_Click();
  EXPECT_FALSE(list.isVisible());
  EXPECT_EQ(Scratch(), "");

  // Esc is 閉じる.
  form->M_itiran->trigger();
  ASSERT_TRUE(list.isVisible());
  QTest::keyClick(list.Command4, Qt::Key_Escape);
  EXPECT_FALSE(list.isVisible());
  EXPECT_EQ(Scratch(), "");
}

// An open list follows the master: a patient inserted from the registration
// window moves every row after it, and the list is made again.
TEST_F(ListSearchTest, AnOpenListIsMadeAgainWhenTheMasterChanges) {
  WriteMaster({10, 20, 30});
  Start();
  form->M_itiran->trigger();
  Form11& list = patients->List();
  form->M_touroku->trigger();
  Form10& f = patients->Registration();
  f.Text1->setText(QStringLiteral("5"));
  f.Text2->setText(QStringLiteral("新人"));
  f.Command1_Click();
  EXPECT_TRUE(list.isVisible());
  EXPECT_EQ(list.Label3[0]->text(), QStringLiteral("000005"));
  EXPECT_EQ(list.Label8->text(), QStringLiteral("データ数：4"));
  list.Row_Click(1);
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000010"));
}

// A row or a chart number does not replace typed work in the registration
// window without asking; いいえ keeps it.
TEST_F(ListSearchTest, OpeningAPatientAsksBeforeTypedWorkIsLost) {
  WriteMaster({10, 20, 30});
  Start();
  form->M_itiran->trigger();
  Form11& list = patients->List();
  list.Row_Click(0);
  Form10& f = patients->Registration();
  f.Text5->setText(QStringLiteral("ペースメーカー"));
  ui.Expect("入力中のデータは登録されていません。破棄しますか？", platform::kAnswerNo);
  list.Row_Click(1);
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000010"));
  EXPECT_EQ(f.Text5->text(), QStringLiteral("ペースメーカー"));
  ui.Expect("入力中のデータは登録されていません。破棄しますか？", platform::kAnswerYes);
  list.Row_Click(1);
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000020"));
}

TEST_F(ListSearchTest, TheChartNumberOpensItsPatient) {
  WriteMaster({10, 12, 30});
  Start();
  form->M_kensaku->trigger();
  Dialog3& d = patients->Search();
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(d.Option1->isChecked());
  EXPECT_FALSE(d.Text1[1]->isVisible());

  ui.Expect("カルテＮＯを入力してください。");
  d.OKButton_Click();
  d.Text1[0]->setText(QStringLiteral("1234567"));
  ui.Expect("カルテＮＯは６字以内で入力してください。");
  d.OKButton_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  d.Text1[0]->setText(QStringLiteral("11"));
  ui.Expect("登録されていません。");
  d.OKButton_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_TRUE(d.isVisible());

  d.Text1[0]->setText(QStringLiteral("12"));
  d.OKButton_Click();
  EXPECT_FALSE(d.isVisible());
  Form10& f = patients->Registration();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.Text1->text(), QStringLiteral("000012"));
  EXPECT_EQ(f.Label9->text(), QStringLiteral("000002"));
}

// A name search lists its hits with their master numbers; a row opens the
// master record it names.
TEST_F(ListSearchTest, ANameSearchShowsItsHitsInTheList) {
  std::string bytes;
  const char* names[] = {"佐藤一", "鈴木", "佐藤二", "佐々木"};
  for (int i = 0; i < 4; ++i) {
    bytes += testing_support::Patient((i + 1) * 10)
                 .With(PatientField::Name, names[i])
                 .With(PatientField::Reading, i == 1 ? "ｽｽﾞｷ" : "ｻﾄｳ")
                 .Bytes();
  }
  t.WriteBytes(kMasterFile, bytes);
  Start();
  form->M_kensaku->trigger();
  Dialog3& d = patients->Search();
  d.Option2->click();
  EXPECT_TRUE(d.Text1[1]->isVisible());
  EXPECT_FALSE(d.Text1[0]->isVisible());
  ui.Expect("氏名の最初の何文字かを入力して下さい。");
  d.OKButton_Click();
  d.Text1[1]->setText(QStringLiteral("佐藤"));
  d.OKButton_Click();
  EXPECT_FALSE(d.isVisible());
  Form11& list = patients->List();
  EXPECT_TRUE(list.isVisible());
  EXPECT_EQ(list.Label2[0]->text(), QStringLiteral("0000000001"));
  EXPECT_EQ(list.Label2[1]->text(), QStringLiteral("0000000003"));
  EXPECT_EQ(list.Label4[1]->text(), QStringLiteral("佐藤二"));
  EXPECT_EQ(list.Label2[2]->text(), QString());
  list.Row_Click(1);
  EXPECT_EQ(patients->Registration().Text1->text(), QStringLiteral("000030"));

  // A reading without a hit: the message, the dialog stays, no rows left.
  form->M_kensaku->trigger();
  EXPECT_FALSE(list.isVisible());
  d.Option3->click();
  d.Text1[2]->setText(QStringLiteral("ﾀ"));
  ui.Expect("登録されていません。");
  d.OKButton_Click();
  EXPECT_EQ(ui.Boxes().back().style, platform::kCritical);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(Scratch(), "");
  d.Text1[2]->setText(QStringLiteral("ｽｽﾞ"));
  d.OKButton_Click();
  EXPECT_EQ(list.Label4[0]->text(), QStringLiteral("鈴木"));
  EXPECT_EQ(list.Label2[0]->text(), QStringLiteral("0000000002"));
}

TEST_F(ListSearchTest, AnEmptyMasterIsNotSearched) {
  Start();
  ui.Expect("患者マスタは登録されていません。");
  form->M_kensaku->trigger();
  EXPECT_EQ(ui.Boxes().back().style, platform::kExclamation);
  EXPECT_EQ(patients->SearchIfAny(), nullptr);
}

}  // namespace
}  // namespace patients_test
