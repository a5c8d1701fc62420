// The record-store routines that write the main window: clearing, showing and
// storing a record, the lookup lists, the image facts, the entry rules.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "forms/entry_rules.h"
#include "forms/image_facts.h"
#include "forms/record_transfer.h"
#include "mainwin/main_window.h"
#include "store/file_facts_text.h"
#include "tests/mainwin/fixture.h"

using mainwin_test::Exam;
using mainwin_test::Fixture;

class RecordFormTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Fixture> fx;
  std::unique_ptr<Form1> form;  // its controls, without its start-up

  void Open() {
    QVERIFY(fx->store->StartUp().ok());
    form = std::make_unique<Form1>(*fx->store, *fx->session, fx->ui);
    form->Today = [] { return QDate(2006, 1, 1); };
  }

 private Q_SLOTS:
  void init() { fx = std::make_unique<Fixture>(); }
  void cleanup() {
    if (fx)
      QVERIFY2(fx->ui.Unexpected().empty(), mainwin_test::Describe(fx->ui.Unexpected()).c_str());
    form.reset();
    fx.reset();
  }

  // The Qt adapters of the entry rules (the rules themselves are tested in
  // the store's tests): today's year reaches the rule, the date comes back.
  void examDates_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");  // empty: refused
    QTest::newRow("y/m/d") << "2006/2/1"
                           << "2006/02/01";
    QTest::newRow("month/day this year") << "12/31"
                                         << "2006/12/31";
    QTest::newRow("impossible day") << "2006/2/30"
                                    << "";
  }
  void examDates() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    std::optional<QDate> date = store::ParseExamDate(typed, QDate(2006, 1, 1));
    QCOMPARE(date ? store::DateText(*date) : QString(), expected);
  }

  void patientIdsAndAges() {
    QCOMPARE(store::FormatPatientId(QStringLiteral(" 45 ")), QStringLiteral("000045"));
    QCOMPARE(store::FormatPatientId(QStringLiteral("12a")), QStringLiteral("12a"));
    QVERIFY(!store::IsNumericText(QString()));
    QCOMPARE(store::AgeInCalendarYears(QDate(1980, 12, 31), QDate(2006, 1, 1)), 26);
    QCOMPARE(store::AgeAtExamination(QStringLiteral("1980/12/31"), QStringLiteral("2010/01/05"),
                                     QDate(2026, 1, 1)),
             QStringLiteral("30"));
  }

  void factTexts() {
    QCOMPARE(store::KilobyteText(500), std::string("Kﾊﾞｲﾄ"));
    QCOMPARE(store::KilobyteText(1023), std::string("1Kﾊﾞｲﾄ"));
    QCOMPARE(store::KilobyteText(2048), std::string("2Kﾊﾞｲﾄ"));
    QCOMPARE(store::KilobyteText(1536000), std::string("1500Kﾊﾞｲﾄ"));
    QCOMPARE(store::AttributeText(0), std::string("通常ファイル"));
    QCOMPARE(store::AttributeText(1), std::string("読み取り専用ファイル"));
    QCOMPARE(store::AttributeText(4), std::string("システムファイル"));
    QCOMPARE(store::AttributeText(16), std::string("フォルダ"));
    QCOMPARE(store::AttributeText(32), std::string("アーカイブ"));
    QCOMPARE(store::AttributeText(33), std::string("不明ファイル"));
    QCOMPARE(store::AttributeText(2), std::string("不明ファイル"));
  }

  // The facts of real files on the drive, written into Label19(0)-(3).
  void imageFileFacts() {
    Open();
    fx->drive.WriteBytes("C:\\VLN2\\GAZOU\\A1.jpg", std::string(2048, 'x'));
    store::ShowImageFileFacts(fx->store->Files(), "C:\\VLN2\\GAZOU\\A1.jpg", "A1", *form);
    QCOMPARE(form->Label19[1]->text(), QStringLiteral("アーカイブ"));
    QCOMPARE(form->Label19[2]->text(), QStringLiteral("A1"));
    QCOMPARE(form->Label19[3]->text(), QStringLiteral("2Kﾊﾞｲﾄ"));
    QVERIFY(QDateTime::fromString(form->Label19[0]->text(), QStringLiteral("yyyy/MM/dd H:mm:ss"))
                .isValid());

    std::filesystem::permissions(fx->drive.Host("C:\\VLN2\\GAZOU\\A1.jpg"),
                                 std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    store::ShowImageFileFacts(fx->store->Files(), "C:\\VLN2\\GAZOU\\A1.jpg", "A1", *form);
    QCOMPARE(form->Label19[1]->text(), QStringLiteral("不明ファイル"));  // 33

    store::ShowImageFileFacts(fx->store->Files(), "C:\\VLN2\\GAZOU\\gone.jpg", "A1", *form);
    QCOMPARE(form->Label19[0]->text(), QString());
    QCOMPARE(form->Label19[3]->text(), QString());
  }

  // However often the lists are filled and cleared, they hold their files'
  // entries once, and a fill keeps the text the user typed.
  void listSizesAfterRepeatedFills() {
    fx->WriteList(store::kDepartmentFile, {"総務部", "営業部"}, 45);
    fx->WriteList(store::kLeadSiteFile, {"V1", "V2"}, 30);
    fx->WriteList(store::kArrhythmiaFile, {"心房細動"}, 45);
    Open();
    QComboBox search;
    form->SearchCombo3 = &search;
    auto check = [&] {
      QCOMPARE(form->Combo2->count(), 45);
      QCOMPARE(search.count(), 45);
      for (int i = 0; i < 5; ++i) {
        QCOMPARE(form->Combo3[i]->count(), 30);
        QCOMPARE(form->Combo4[i]->count(), 45);
        QCOMPARE(form->Combo5[i]->count(), 45);
      }
    };
    store::FillLookupLists(*fx->store, *form);
    check();
    QCOMPARE(form->Combo2->itemText(1), QStringLiteral("営業部"));
    QCOMPARE(form->Combo2->itemText(2), QString());  // blank entries included
    form->Combo3[2]->setEditText(QStringLiteral("typed"));
    store::FillLookupLists(*fx->store, *form);
    store::FillDepartmentList(*fx->store, *form);
    store::FillFindingLists(*fx->store, *form);
    check();
    QCOMPARE(form->Combo3[2]->currentText(), QStringLiteral("typed"));
    store::ClearRecordForm(*form, fx->store->RecordCount());
    QCOMPARE(form->Combo2->count(), 0);
    QCOMPARE(form->Combo3[0]->count(), 0);
    store::FillLookupLists(*fx->store, *form);
    check();
  }

  void clearRecordForm() {
    fx->WriteExams(4);
    Open();
    fx->WritePicture("IMG2");
    QVERIFY(form->ShowExamination(2));
    form->MonthView1->show();
    store::ClearRecordForm(*form, 4);
    QCOMPARE(form->Text1[0]->text(), QStringLiteral("2006/01/01"));
    for (int i = 1; i < 5; ++i) QVERIFY(form->Text1[i]->text().isEmpty());
    for (QLabel* l : form->Label19) QVERIFY(l->text().isEmpty());
    QVERIFY(form->Text2->text().isEmpty());
    QVERIFY(form->Text3->toPlainText().isEmpty());
    QCOMPARE(form->Combo1->count(), 2);
    QCOMPARE(form->Combo1->itemText(0), QStringLiteral("M"));
    QCOMPARE(form->Combo1->itemText(1), QStringLiteral("F"));
    QVERIFY(form->Combo1->currentText().isEmpty());
    QVERIFY(form->Combo5[4]->currentText().isEmpty());
    QVERIFY(form->Image1->pixmap().isNull());
    QVERIFY(form->Label14->text().isEmpty());
    QVERIFY(form->MonthView1->isHidden());
    QCOMPARE(form->Slider1->minimum(), 1);
    QCOMPARE(form->Slider1->maximum(), 4);
  }

  // Form -> record: each field cut or padded to its width; the number and
  // the image name left alone.
  void storeFormInRecord() {
    Open();
    store::ClearRecordForm(*form, 0);
    store::ExamRecord r;
    r.Set(store::ExamField::RecordNo, "000013");
    r.Set(store::ExamField::ImageName, "KEEP");
    form->Text1[1]->setText(QStringLiteral("000045"));
    form->Text1[2]->setText(QStringLiteral("あいうえおかきくけこさしす"));  // 26 bytes
    form->Combo1->setEditText(QStringLiteral("F"));
    form->Text3->setPlainText(QStringLiteral("line1\nline2"));
    form->Combo4[3]->setEditText(QStringLiteral("ST低下"));
    form->Text2->setText(QStringLiteral("OTHER"));
    store::StoreFormInRecord(*form, r);
    QCOMPARE(std::string(r.Raw(store::ExamField::RecordNo)), std::string("000013"));
    QCOMPARE(std::string(r.Raw(store::ExamField::ExamDate)), std::string("2006/01/01"));
    QCOMPARE(r.Get(store::ExamField::PatientId), std::string("000045"));
    QCOMPARE(r.Get(store::ExamField::Name), std::string("あいうえおかきくけこ"));
    QCOMPARE(r.Get(store::ExamField::Sex), std::string("F"));
    QCOMPARE(r.Get(store::ExamField::Comment), std::string("line1\r\nline2"));
    QCOMPARE(r.Get(store::FindingField(3)), std::string("ST低下"));
    QCOMPARE(r.Get(store::ExamField::ImageName), std::string("KEEP"));
  }

  // A missing picture: the message names the file, the picture is empty and
  // the source of the next registration stays, every field is shown.
  void showExaminationWithoutPicture() {
    fx->WriteExams(3);
    fx->WritePicture("IMG1");
    Open();
    QVERIFY(form->ShowExamination(1));
    QVERIFY(!form->Image1->pixmap().isNull());
    QCOMPARE(fx->session->PictureSource(), std::string("C:\\VLN2\\GAZOU\\IMG1.jpg"));
    QCOMPARE(form->Label19[2]->text(), QStringLiteral("IMG1"));

    QVERIFY(form->ShowExamination(2));
    QVERIFY(fx->ui.Boxes().empty());
    QCOMPARE(form->Image1->text(), QStringLiteral("画像：IMG2.jpgはありません。"));
    QVERIFY(form->Image1->pixmap().isNull());
    QCOMPARE(fx->session->PictureSource(), std::string("C:\\VLN2\\GAZOU\\IMG1.jpg"));
    QCOMPARE(form->Label14->text(), QStringLiteral("2"));
    QCOMPARE(form->Text1[2]->text(), QStringLiteral("患者2"));
    QCOMPARE(form->Text2->text(), QStringLiteral("IMG2"));
    QCOMPARE(form->Combo4[1]->currentText(), QStringLiteral("ST低下"));
    QCOMPARE(form->Combo5[4]->currentText(), QStringLiteral("心房細動"));
    QVERIFY(form->Combo3[1]->currentText().isEmpty());
  }

  // A file that is no picture is error 481, and the picture stays empty.
  void pictureThatIsNoPicture() {
    Open();
    fx->drive.WriteBytes("C:\\VLN2\\GAZOU\\BAD.jpg", "not a picture");
    fx->ui.Expect("481");
    QVERIFY(
        !store::ShowRecordPicture(fx->store->Files(), fx->ui, "C:\\VLN2\\GAZOU\\BAD.jpg", *form));
    QVERIFY(form->Image1->pixmap().isNull());
  }
};

int RunRecordFormTests(int argc, char** argv) {
  RecordFormTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "record_form_test.moc"
