// The patient list's page drawing, against a plain set of row widgets.
#include <QLabel>
#include <QSlider>
#include <memory>
#include <vector>

#include "forms/list_pages.h"
#include "store/text_format.h"
#include "tests/views_lists/fixture.h"

namespace {

using namespace store;
using lists_test::Texts;

class PatientPageTest : public lists_test::DriveTest {
 protected:
  void SetUp() override {
    for (auto* column :
         {&form.Label2, &form.Label3, &form.Label4, &form.Label5, &form.Label6, &form.Label7}) {
      for (auto& label : *column) label = Own(new QLabel);
    }
    form.Label8 = Own(new QLabel);
    form.Label9 = Own(new QLabel);
    slider = std::make_unique<QSlider>();
    form.Slider1 = slider.get();
  }
  QLabel* Own(QLabel* label) {
    labels.emplace_back(label);
    return label;
  }
  // A scratch file of `count` patients whose RecordNo names master record 100 + n.
  void WriteScratch(int count) {
    std::string bytes;
    for (int n = 1; n <= count; ++n) {
      PatientRecord p;
      p.Set(PatientField::RecordNo, std::to_string(100 + n));
      p.Set(PatientField::PatientId, FormatNumber(n * 3, "000000"));
      p.Set(PatientField::Name, "患者" + std::to_string(n));
      p.Set(PatientField::Sex, "F");
      p.Set(PatientField::BirthDate, "1960/04/01");
      p.Set(PatientField::Department, "経理部");
      bytes += p.Bytes();
    }
    ASSERT_TRUE(store.StartUp().ok());  // start-up removes a scratch file left over
    t.WriteBytes(kScratchFile, bytes);
    ASSERT_TRUE(store.OpenAllFiles().ok());
  }

  std::vector<std::unique_ptr<QLabel>> labels;
  std::unique_ptr<QSlider> slider;
  PatientListForm form;
};

TEST_F(PatientPageTest, ACopyOfTheMasterShowsPositions) {
  WriteScratch(30);
  store.PatientListMode = 1;
  FirstPatientPage(store);
  ClearPatientRows(form);
  ShowPatientPage(store, form);
  EXPECT_EQ(form.Label2[0]->text(), QStringLiteral("0000000001"));
  EXPECT_EQ(form.Label3[0]->text(), QStringLiteral("000003"));
  EXPECT_EQ(form.Label4[0]->text(), QStringLiteral("患者1"));
  EXPECT_EQ(form.Label5[0]->text(), QStringLiteral("F"));
  EXPECT_EQ(form.Label6[0]->text(), QStringLiteral("1960/04/01"));
  EXPECT_EQ(form.Label7[0]->text(), QStringLiteral("経理部"));
  EXPECT_EQ(form.Label8->text(), QStringLiteral("データ数：30"));
  EXPECT_EQ(form.Label9->text(), QStringLiteral("1/2(Page)"));
  EXPECT_EQ(form.Slider1->maximum(), 2);
  EXPECT_EQ(form.Slider1->minimum(), 1);

  ASSERT_TRUE(NextPatientPage(store));
  ClearPatientRows(form);
  ShowPatientPage(store, form);
  EXPECT_EQ(form.Label2[0]->text(), QStringLiteral("0000000016"));
  EXPECT_EQ(form.Label2[14]->text(), QStringLiteral("0000000030"));
  EXPECT_EQ(form.Label9->text(), QStringLiteral("2/2(Page)"));
  EXPECT_EQ(form.Slider1->value(), 2);
  EXPECT_FALSE(NextPatientPage(store));
}

TEST_F(PatientPageTest, ASearchResultShowsTheStoredNumbersAndNoRowIsLeftOver) {
  WriteScratch(17);
  store.PatientListMode = 0;
  FirstPatientPage(store);
  ClearPatientRows(form);
  ShowPatientPage(store, form);
  EXPECT_EQ(form.Label2[0]->text(), QStringLiteral("101       "));
  ASSERT_TRUE(NextPatientPage(store));
  ClearPatientRows(form);
  ShowPatientPage(store, form);
  EXPECT_EQ(form.Label2[1]->text(), QStringLiteral("117       "));
  for (int r = 2; r < kRowsPerPage; ++r) {
    EXPECT_EQ(form.Label2[r]->text(), QString()) << r;
    EXPECT_EQ(form.Label4[r]->text(), QString()) << r;
  }
}

TEST_F(PatientPageTest, AnEmptyScratchFileIsOnePageWithoutRows) {
  WriteScratch(0);
  FirstPatientPage(store);
  ClearPatientRows(form);
  ShowPatientPage(store, form);
  EXPECT_EQ(store.PatientPageCount, 1);
  EXPECT_EQ(form.Label8->text(), QStringLiteral("データ数：0"));
  EXPECT_EQ(form.Label9->text(), QStringLiteral("1/1(Page)"));
  EXPECT_EQ(Texts(form.Label2), std::vector<QString>(kRowsPerPage));
}

}  // namespace
