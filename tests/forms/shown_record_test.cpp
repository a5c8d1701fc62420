// Showing a record and storing the form back: what the user did not change
// keeps its bytes, and comment line breaks are stored as CRLF.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <memory>
#include <string>

#include "forms/main_form.h"
#include "forms/record_transfer.h"
#include "platform/cp932.h"
#include "platform/qt_ui.h"
#include "store/store.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_drive.h"

using platform::Q;
using store::ExamField;
using store::ExamRecord;

namespace {

// The main window's controls as plain widgets.
struct PlainForm : store::MainForm {
  QWidget window;
  PlainForm() {
    for (auto& t : Text1) t = new QLineEdit(&window);
    Text2 = new QLineEdit(&window);
    Text3 = new QPlainTextEdit(&window);
    auto combo = [this] {
      auto* c = new QComboBox(&window);
      c->setEditable(true);
      c->setInsertPolicy(QComboBox::NoInsert);
      return c;
    };
    Combo1 = combo();
    Combo2 = combo();
    for (int i = 0; i < 5; ++i) {
      Combo3[i] = combo();
      Combo4[i] = combo();
      Combo5[i] = combo();
      Label19[i] = new QLabel(&window);
    }
    Image1 = new QLabel(&window);
    Label14 = new QLabel(&window);
    Slider1 = new QSlider(&window);
    MonthView1 = new QCalendarWidget(&window);
    Today = [] { return QDate(2006, 1, 1); };
  }
};

// Puts `bytes` (cp932, cut or padded by hand) into field `f`.
void PutRaw(ExamRecord& r, ExamField f, std::string bytes) {
  const store::FieldDef& def = ExamRecord::Def(f);
  bytes.resize(def.width, ' ');
  std::copy(bytes.begin(), bytes.end(), r.data() + def.offset);
}

std::string Sj(const char* utf8) { return platform::ToCp932(utf8); }

// A record as the Windows program left it: the comment's line break is CRLF,
// the name holds a byte (0xFF) that cp932 cannot decode, the department and a
// finding have blanks the program would not write today.
ExamRecord LegacyRecord() {
  ExamRecord r;
  PutRaw(r, ExamField::RecordNo, " 1");
  PutRaw(r, ExamField::ExamDate, "1999/12/31");
  PutRaw(r, ExamField::PatientId, "000123");
  PutRaw(r, ExamField::Name, Sj("山田") + "\xFF" + Sj("花子"));
  PutRaw(r, ExamField::Sex, "F");
  PutRaw(r, ExamField::Age, " 52");
  PutRaw(r, ExamField::HeartRate, "72");
  PutRaw(r, ExamField::Department, "  " + Sj("内科"));
  PutRaw(r, ExamField::Comment, Sj("前回と比べ変化なし") + "\r\n" + Sj("経過観察"));
  PutRaw(r, store::LeadSiteField(0), "V1,V2,V3");
  PutRaw(r, store::FindingField(1), " " + Sj("ＳＴ低下"));
  PutRaw(r, store::ArrhythmiaField(4), Sj("心房細動"));
  PutRaw(r, ExamField::ImageName, "OLD1");
  return r;
}

std::string FieldBytes(const ExamRecord& r, ExamField f) { return std::string(r.Raw(f)); }

}  // namespace

class ShownRecordTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing_support::TempDrive> drive_;
  std::unique_ptr<platform::PosixFileSystem> fs_;
  std::unique_ptr<store::Store> store_;
  testing_support::FakeUi ui_;
  std::unique_ptr<PlainForm> form_;

  // Shows `record` as the main window does after reading it.
  void Show(const ExamRecord& record) {
    shown_ = record;
    store::ShowCurrentRecord(record, *form_);
  }
  // The form stored over the record shown, as registering stores it.
  ExamRecord Stored() const {
    ExamRecord r = shown_;
    store::StoreFormInRecord(*form_, r);
    return r;
  }
  ExamRecord shown_;

 private Q_SLOTS:
  void init() {
    drive_ = std::make_unique<testing_support::TempDrive>();
    fs_ = std::make_unique<platform::PosixFileSystem>(drive_->Drive());
    store_ = std::make_unique<store::Store>(*fs_);
    QVERIFY(store_->StartUp().ok());
    ui_.Reset();
    form_ = std::make_unique<PlainForm>();
  }

  void cleanup() {
    QVERIFY2(ui_.Unexpected().empty(),
             ui_.Unexpected().empty() ? "" : ui_.Unexpected().front().c_str());
    QVERIFY(ui_.AllAnswered());
    form_.reset();
    store_.reset();
    fs_.reset();
    drive_.reset();
  }

  // Read from the data file, shown, stored back untouched: every byte is the
  // file's.
  void untouchedOverwriteKeepsEveryByte() {
    const ExamRecord legacy = LegacyRecord();
    drive_->WriteBytes(store::kDataFile, std::string(legacy.Bytes()));
    QVERIFY(store_->OpenAllFiles().ok());
    ExamRecord read;
    QVERIFY(store_->ReadExamination(1, read).ok());
    Show(read);

    QCOMPARE(form_->Text3->toPlainText(), QStringLiteral("前回と比べ変化なし\n経過観察"));
    QCOMPARE(form_->Text1[2]->text(), QStringLiteral("山田\uFFFD花子"));
    QCOMPARE(form_->Combo2->currentText(), QStringLiteral("内科"));

    QCOMPARE(Stored().Bytes(), legacy.Bytes());
  }

  // Only the fields the user changed are written from their text.
  void changedFieldsAreEncodedOthersKept() {
    const ExamRecord legacy = LegacyRecord();
    Show(legacy);
    form_->Text1[2]->setText(QStringLiteral("山田花子"));
    form_->Combo4[1]->setEditText(QStringLiteral("ＳＴ上昇"));
    form_->Text1[4]->setText(QStringLiteral("80"));

    const ExamRecord r = Stored();
    std::string name = Sj("山田花子");
    name.resize(20, ' ');
    QCOMPARE(FieldBytes(r, ExamField::Name), name);
    QCOMPARE(FieldBytes(r, ExamField::HeartRate), std::string("80 "));
    QCOMPARE(FieldBytes(r, store::FindingField(1)), Sj("ＳＴ上昇") + std::string(12, ' '));
    for (ExamField f : {ExamField::ExamDate, ExamField::PatientId, ExamField::Sex, ExamField::Age,
                        ExamField::Department, ExamField::Comment, store::LeadSiteField(0),
                        store::ArrhythmiaField(4)}) {
      QCOMPARE(FieldBytes(r, f), FieldBytes(legacy, f));
    }
  }

  // A comment typed or edited on screen is stored with CRLF line breaks;
  // stored CR or LF alone shows as a line break too.
  void commentLineBreaks() {
    ExamRecord record = LegacyRecord();
    Show(record);
    form_->Text3->setPlainText(QStringLiteral("一行目\n二行目\n\n四行目"));
    std::string expected = Sj("一行目") + "\r\n" + Sj("二行目") + "\r\n\r\n" + Sj("四行目");
    expected.resize(200, ' ');
    QCOMPARE(FieldBytes(Stored(), ExamField::Comment), expected);

    for (const char* breakBytes : {"\n", "\r", "\r\n"}) {
      PutRaw(record, ExamField::Comment, "a" + std::string(breakBytes) + "b");
      Show(record);
      QCOMPARE(form_->Text3->toPlainText(), QStringLiteral("a\nb"));
    }
    // LF alone, shown and stored untouched, keeps its byte.
    PutRaw(record, ExamField::Comment, "a\nb");
    Show(record);
    QCOMPARE(FieldBytes(Stored(), ExamField::Comment).substr(0, 4), std::string("a\nb "));
  }

  // A line break that would straddle the 200 bytes is left out whole.
  void commentCutNeverSplitsALineBreak() {
    store::ExamRecord r;
    store::StoreComment(r, std::string(199, 'x') + "\nmore");
    QCOMPARE(FieldBytes(r, ExamField::Comment), std::string(199, 'x') + " ");
    store::StoreComment(r, std::string(198, 'x') + "\nmore");
    QCOMPARE(FieldBytes(r, ExamField::Comment), std::string(198, 'x') + "\r\n");
  }

  // An emptied form forgets the record: text typed into it is encoded even
  // where it reads like the earlier record's.
  void emptiedFormForgetsTheRecord() {
    Show(LegacyRecord());
    store::ClearRecordForm(*form_, 0);
    form_->Combo2->setEditText(QStringLiteral("内科"));
    form_->Text3->setPlainText(QStringLiteral("前回と比べ変化なし\n経過観察"));
    const ExamRecord stored = Stored();
    QCOMPARE(FieldBytes(stored, ExamField::Department), Sj("内科") + std::string(16, ' '));
    std::string comment = Sj("前回と比べ変化なし") + "\r\n" + Sj("経過観察");
    comment.resize(200, ' ');
    QCOMPARE(FieldBytes(stored, ExamField::Comment), comment);
  }
};

QTEST_MAIN(ShownRecordTest)
#include "shown_record_test.moc"
