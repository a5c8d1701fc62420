// The main window driven as a user drives it: keys, focus moves, menus.
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>

#include "drivetools/check_report.h"
#include "mainwin/main_window.h"
#include "tests/mainwin/fixture.h"
#include "widgets/printer_list.h"

using mainwin_test::Fixture;
using mainwin_test::Patient;

namespace {

QColor Background(QWidget* w) { return w->palette().color(QPalette::Base); }

// Types into the focused field and leaves it with Tab.
void TypeAndLeave(QWidget* field, const QString& text) {
  auto* edit = qobject_cast<QLineEdit*>(field);
  bool ascii = true;
  for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
  if (ascii || edit == nullptr) {
    QTest::keyClicks(field, text);
  } else {
    edit->insert(text);  // as an input method commits it
  }
  QTest::keyClick(field, Qt::Key_Tab);
  Fixture::Settle();
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Fixture> fx;

  void ExpectNoSurprises() {
    QVERIFY2(fx->ui.Unexpected().empty(), mainwin_test::Describe(fx->ui.Unexpected()).c_str());
    QVERIFY(fx->ui.AllAnswered());
  }
  void Focus(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    Fixture::Settle();
    QCOMPARE(QApplication::focusWidget(), w);
  }

 private Q_SLOTS:
  void init() { fx = std::make_unique<Fixture>(); }
  void cleanup() {
    ExpectNoSurprises();
    fx.reset();
  }

  // --- Start-up -----------------------------------------------------------

  void buttonsWithoutWordsAndFieldsHaveTooltips() {
    Form1& f = fx->Start();
    const std::pair<QWidget*, QString> tips[] = {
        {f.Command3, QStringLiteral("検査日を1日後にする")},
        {f.Command4, QStringLiteral("検査日を1日前にする")},
        {f.Command2, QStringLiteral("前のデータ")},
        {f.Command1, QStringLiteral("次のデータ")},
        {f.Slider1, QStringLiteral("表示する検査データを選ぶ")},
        {f.Combo6, QStringLiteral("印刷に使うプリンター")},
        {f.Text1[2], QStringLiteral("全角10字（半角20字）まで")},
    };
    for (const auto& [widget, tip] : tips) QCOMPARE(widget->toolTip(), tip);
  }

  void startUpOnEmptyDrive() {
    Form1& f = fx->Start();
    QCOMPARE(f.Label14->text(), QStringLiteral("1"));
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2006/01/01"));
    QCOMPARE(QApplication::focusWidget(), f.Text1[1]);
    QCOMPARE(f.Slider1->maximum(), 1);
    QVERIFY(f.Text2->isEnabled());
    QVERIFY(f.MonthView1->isHidden());
    QVERIFY(f.windowState() & Qt::WindowMaximized);
    QCOMPARE(f.Combo2->count(), 45);
    QCOMPARE(f.Combo3[4]->count(), 30);
    QCOMPARE(f.Combo1->count(), 2);
    QVERIFY(fx->ui.Boxes().empty());
    for (const char* file : {store::kDataFile, store::kMasterFile, store::kDepartmentFile}) {
      QVERIFY(std::filesystem::exists(fx->drive.Host(file)));
    }
    // No printer on the machine: the built-in PDF printer is the choice.
    QVERIFY(f.Combo6->count() >= 1);
    QCOMPARE(f.Combo6->currentText(), f.CurrentPrinter());
  }

  void startUpOnFilledDrive() {
    fx->WriteExams(12);
    fx->WritePicture("IMG12");
    fx->drive.WriteBytes(store::kScratchFile, std::string(127, ' '));
    Form1& f = fx->Start();
    QCOMPARE(f.Label14->text(), QStringLiteral("12"));
    QCOMPARE(f.Slider1->value(), 12);
    QCOMPARE(f.Slider1->minimum(), 1);
    QCOMPARE(f.Slider1->maximum(), 12);
    QCOMPARE(QApplication::focusWidget(), f.Text1[0]);
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("患者12"));
    QCOMPARE(f.Text2->text(), QStringLiteral("IMG12"));
    QVERIFY(!f.Image1->pixmap().isNull());
    QCOMPARE(f.Label19[2]->text(), QStringLiteral("IMG12"));
    // The left-over scratch file was deleted; the open files hold a new, empty one.
    QCOMPARE(std::filesystem::file_size(fx->drive.Host(store::kScratchFile)), std::uintmax_t(0));
  }

  // ファイル(F) → データの点検 reads the drive and shows what it found in its
  // report window, without a box.
  void theCheckShowsItsReport() {
    fx->WriteExams(2);
    fx->WritePicture("IMG1");
    Form1& f = fx->Start();
    f.F_check->trigger();
    auto* report = f.findChild<drivetools::CheckReport*>(QStringLiteral("CheckReport"));
    QVERIFY(report != nullptr);
    QVERIFY(report->isVisible());
    const QString text = report->Text->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("IMG2")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("IMG1")));
    ExpectNoSurprises();
  }

  // A missing picture is said in the picture box and the status line; no
  // box stops the start-up or a step.
  void startUpWithMissingPicture() {
    fx->WriteExams(2);
    fx->WritePicture("IMG1");
    Form1& f = fx->Start();
    QCOMPARE(f.Label14->text(), QStringLiteral("2"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("患者2"));
    const QString missing = QStringLiteral("画像：IMG2.jpgはありません。");
    QCOMPARE(f.Image1->text(), missing);
    auto* note = f.statusBar()->findChild<QLabel*>(QStringLiteral("PictureNote"));
    QVERIFY(note != nullptr);
    QCOMPARE(note->text(), missing);
    QVERIFY(f.statusBar()->isVisible());
    f.Command2_Click();
    QCOMPARE(f.Label14->text(), QStringLiteral("1"));
    QVERIFY(!f.Image1->pixmap().isNull());
    QVERIFY(!f.statusBar()->isVisible());
  }

  // --- The date field ------------------------------------------------------

  void dateCheckOnLeaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty is today") << ""
                                    << "2006/01/01";
    QTest::newRow("short month") << "2006/2/1"
                                 << "2006/02/01";
    QTest::newRow("this year") << "2/3"
                               << "2006/02/03";
  }
  void dateCheckOnLeaving() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Form1& f = fx->Start();
    Focus(f.Text1[0]);
    f.Text1[0]->clear();
    TypeAndLeave(f.Text1[0], typed);
    QCOMPARE(f.Text1[0]->text(), shown);
    QCOMPARE(QApplication::focusWidget(), f.Text1[1]);
    QVERIFY(fx->ui.Boxes().empty());
  }

  void invalidDateIsRefusedOnce_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters") << "abc";
    QTest::newRow("impossible day") << "2006/2/30";
  }
  void invalidDateIsRefusedOnce() {
    QFETCH(QString, typed);
    Form1& f = fx->Start();
    Focus(f.Text1[0]);
    f.Text1[0]->clear();
    fx->ui.Expect("日付入力データが不正です。");
    TypeAndLeave(f.Text1[0], typed);
    Fixture::Settle();
    QCOMPARE(fx->ui.Boxes().size(), std::size_t(1));
    QCOMPARE(fx->ui.Boxes()[0].style, int(platform::kExclamation));
    QCOMPARE(fx->ui.Boxes()[0].title, std::string("Velunor2.0"));
    QVERIFY(f.Text1[0]->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), f.Text1[0]);
    // Leaving the emptied field gives today, without a further warning.
    QTest::keyClick(f.Text1[0], Qt::Key_Tab);
    Fixture::Settle();
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2006/01/01"));
    QCOMPARE(fx->ui.Boxes().size(), std::size_t(1));
  }

  // The refused date takes the focus back from the ID field the user had
  // reached; that field was not left, so its lookup does not run.
  void refusedDateTakesTheFocusBack() {
    fx->WriteExams(1);
    fx->WritePicture("IMG1");
    fx->WriteMaster({Patient("100001", "一郎", "M", "1970/05/05", "営業部")});
    Form1& f = fx->Start();
    Focus(f.Text1[0]);
    f.Text1[0]->setText(QStringLiteral("abc"));
    f.Text1[2]->setText(QStringLiteral("kept"));
    fx->ui.Expect("日付入力データが不正です。");
    QTest::keyClick(f.Text1[0], Qt::Key_Tab);
    Fixture::Settle();
    QCOMPARE(QApplication::focusWidget(), f.Text1[0]);
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("kept"));  // no lookup of 100001
    QCOMPARE(Background(f.Text1[1]), QColor(Qt::white));
    QCOMPARE(Background(f.Text1[0]), QColor(Qt::yellow));
    // Leaving the ID field later looks it up as usual.
    Focus(f.Text1[1]);
    QTest::keyClick(f.Text1[1], Qt::Key_Tab);
    Fixture::Settle();
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("一郎"));
  }

  // Another window taking the activation is no leaving of the field.
  void activationIsNoLeaving() {
    Form1& f = fx->Start();
    Focus(f.Text1[0]);
    f.Text1[0]->setText(QStringLiteral("abc"));
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    Fixture::Settle();
    QVERIFY(fx->ui.Boxes().empty());
    QCOMPARE(Background(f.Text1[0]), QColor(Qt::yellow));
    // Coming back to another control leaves the field, once.
    fx->ui.Expect("日付入力データが不正です。");
    other.hide();
    f.Text1[2]->setFocus();
    QApplication::setActiveWindow(&f);
    QVERIFY(QTest::qWaitForWindowActive(&f));
    Fixture::Settle();
    QCOMPARE(fx->ui.Boxes().size(), std::size_t(1));
    QCOMPARE(QApplication::focusWidget(), f.Text1[0]);
    QCOMPARE(Background(f.Text1[2]), QColor(Qt::white));
  }

  void plusAndMinus() {
    Form1& f = fx->Start();
    f.Text1[0]->setText(QStringLiteral("2006/02/28"));
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    Fixture::Settle();
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2006/03/01"));
    QCOMPARE(QApplication::focusWidget(), f.Text1[1]);
    QTest::mouseClick(f.Command4, Qt::LeftButton);
    Fixture::Settle();
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2006/02/28"));
    f.Text1[0]->clear();
    Focus(f.Command2);
    f.Command3_Click();
    QVERIFY(f.Text1[0]->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), f.Command2);
  }

  void calendar() {
    Form1& f = fx->Start();
    QTest::keyClick(f.Text1[1], Qt::Key_F12);
    QVERIFY(f.MonthView1->isVisible());
    QTest::keyClick(f.Text1[1], Qt::Key_F12);
    QVERIFY(f.MonthView1->isHidden());
    f.Carender->trigger();
    f.MonthView1_DateClick(QDate(2005, 7, 9));
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2005/07/09"));
    QVERIFY(f.MonthView1->isHidden());
    Fixture::Settle();
    QCOMPARE(QApplication::focusWidget(), f.Text1[1]);

    // The keyboard alone: F12 opens on the date of the field, the arrows
    // move, Enter picks; Esc closes without a change.
    QTest::keyClick(f.Text1[1], Qt::Key_F12);
    Fixture::Settle();
    QWidget* keys = QApplication::focusWidget();
    QVERIFY(keys != nullptr && f.MonthView1->isAncestorOf(keys));
    QTest::keyClick(keys, Qt::Key_Right);
    QTest::keyClick(keys, Qt::Key_Down);
    QTest::keyClick(keys, Qt::Key_Return);
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2005/07/17"));
    QVERIFY(f.MonthView1->isHidden());
    QTest::keyClick(f.Text1[1], Qt::Key_F12);
    Fixture::Settle();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(f.MonthView1->isHidden());
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2005/07/17"));
  }

  void thePictureFactsStandClearOfThePicture() {
    Form1& f = fx->Start();
    QWidget* frame2 = f.findChild<QWidget*>(QStringLiteral("Frame2"));
    QVERIFY(frame2 != nullptr);
    QVERIFY(!frame2->geometry().intersects(f.Image1->geometry()));
  }

  // --- The ID field --------------------------------------------------------

  void idLookupFillsThePatient() {
    fx->WriteMaster({Patient("000010", "一郎", "M", "1970/05/05", "営業部"),
                     Patient("000045", "山田　花子", "F", "1980/12/31", "総務部"),
                     Patient("000050", "三郎", "M", "1990/01/01", "")});
    Form1& f = fx->Start();
    TypeAndLeave(f.Text1[1], QStringLiteral("45"));
    QCOMPARE(f.Text1[1]->text(), QStringLiteral("000045"));
    QCOMPARE(f.Text2->text(), QStringLiteral("000045"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("山田　花子"));
    QCOMPARE(f.Combo1->currentText(), QStringLiteral("F"));
    QCOMPARE(f.Text1[3]->text(), QStringLiteral("26"));  // on 2006/01/01
    QCOMPARE(f.Combo2->currentText(), QStringLiteral("総務部"));
    QCOMPARE(QApplication::focusWidget(), f.Text1[4]);
    QVERIFY(fx->ui.stayOnTop);

    // Without a department the focus goes to the department.
    Focus(f.Text1[1]);
    f.Text1[1]->clear();
    TypeAndLeave(f.Text1[1], QStringLiteral("50"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("三郎"));
    QCOMPARE(QApplication::focusWidget(), f.Combo2);
  }

  // A failed lookup on a new examination takes back what an earlier lookup
  // filled in (it was another patient's); what the user typed stays.
  void failedLookupTakesBackAnotherPatient() {
    fx->WriteMaster({Patient("000010", "一郎", "M", "1970/05/05", "営業部"),
                     Patient("000045", "山田　花子", "F", "1980/12/31", "総務部")});
    Form1& f = fx->Start();
    TypeAndLeave(f.Text1[1], QStringLiteral("45"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("山田　花子"));
    TypeAndLeave(f.Text1[4], QStringLiteral("72"));
    Focus(f.Text1[1]);
    f.Text1[1]->clear();
    TypeAndLeave(f.Text1[1], QStringLiteral("46"));
    QVERIFY(f.Text1[2]->text().isEmpty());
    QVERIFY(f.Combo1->currentText().isEmpty());
    QVERIFY(f.Text1[3]->text().isEmpty());
    QVERIFY(f.Combo2->currentText().isEmpty());
    QCOMPARE(f.Text1[4]->text(), QStringLiteral("72"));

    // A name the user typed himself is no lookup's to take back.
    f.Text1[2]->setText(QStringLiteral("手入力"));
    Focus(f.Text1[1]);
    f.Text1[1]->clear();
    TypeAndLeave(f.Text1[1], QStringLiteral("47"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("手入力"));
  }

  // On a stored examination the lookup keeps the picture the record names
  // and fills the age the patient had in the year of the examination.
  void lookupOnAStoredExamination() {
    fx->WriteExams(1);
    fx->WritePicture("IMG1");
    fx->WriteMaster({Patient("000045", "山田　花子", "F", "1980/12/31", "総務部")});
    Form1& f = fx->Start(QDate(2026, 12, 8));
    f.Text1[0]->setText(QStringLiteral("2006/01/01"));
    Focus(f.Text1[1]);
    f.Text1[1]->clear();
    TypeAndLeave(f.Text1[1], QStringLiteral("45"));
    QCOMPARE(f.Text2->text(), QStringLiteral("IMG1"));
    QCOMPARE(f.Text1[3]->text(), QStringLiteral("26"));
    // With no valid date in the form, this year counts.
    Focus(f.Text1[1]);
    f.Text1[1]->clear();
    f.Text1[0]->setText(QStringLiteral("xyz"));
    TypeAndLeave(f.Text1[1], QStringLiteral("45"));
    QCOMPARE(f.Text1[3]->text(), QStringLiteral("46"));
  }

  // An ID that does not fit six digits would be cut to another patient's.
  void tooLongAnIdIsRefused() {
    Form1& f = fx->Start();
    fx->ui.Expect("ＩＤは６桁までの数字で入力して下さい。");
    TypeAndLeave(f.Text1[1], QStringLiteral("1234567"));
    QVERIFY(f.Text1[1]->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), f.Text1[1]);
  }

  // 登録 pressed in a field runs that field's leave check first: a bad date
  // is refused, an ID is padded and looked up before it is stored.
  void registerRunsTheCheckOfTheFocusedField() {
    fx->WriteMaster({Patient("000045", "山田　花子", "F", "1980/12/31", "総務部")});
    Form1& f = fx->Start();
    Focus(f.Text1[0]);
    f.Text1[0]->setText(QStringLiteral("abc"));
    fx->ui.Expect("日付入力データが不正です。");
    QTest::keyClick(f.Text1[0], Qt::Key_S, Qt::ControlModifier);
    Fixture::Settle();
    QCOMPARE(fx->store->RecordCount(), 0);
    QCOMPARE(QApplication::focusWidget(), f.Text1[0]);
    QVERIFY(f.Text1[0]->text().isEmpty());

    f.Text1[0]->setText(QStringLiteral("2006/2/1"));
    Focus(f.Text1[1]);
    f.Text1[1]->setText(QStringLiteral("45"));
    f.Text2->setText(QStringLiteral("pic45"));
    QTest::keyClick(f.Text1[1], Qt::Key_S, Qt::ControlModifier);
    Fixture::Settle();
    QCOMPARE(fx->store->RecordCount(), 1);
    store::ExamRecord stored;
    QVERIFY(fx->store->DataFile()->Read(1, stored).ok());
    QCOMPARE(stored.Get(store::ExamField::ExamDate), std::string("2006/02/01"));
    QCOMPARE(stored.Get(store::ExamField::PatientId), std::string("000045"));
    QCOMPARE(stored.Get(store::ExamField::Name), std::string("山田　花子"));
  }

  void idLookupWithoutPatient() {
    fx->WriteMaster({Patient("000000", "零", "M", "1970/05/05", "営業部"),
                     Patient("000010", "一郎", "M", "1970/05/05", "営業部")});
    Form1& f = fx->Start();
    TypeAndLeave(f.Text1[1], QStringLiteral("45"));
    QCOMPARE(f.Text1[1]->text(), QStringLiteral("000045"));
    QCOMPARE(f.Text2->text(), QStringLiteral("000045"));
    QVERIFY(f.Text1[2]->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), f.Text1[2]);
    QVERIFY(!fx->ui.stayOnTop);

    // Text that is no number is left as typed and finds nobody.
    Focus(f.Text1[1]);
    f.Text1[1]->clear();
    TypeAndLeave(f.Text1[1], QStringLiteral("abc"));
    QCOMPARE(f.Text1[1]->text(), QStringLiteral("abc"));
    QVERIFY(f.Text1[2]->text().isEmpty());

    // An empty field looks nothing up.
    Focus(f.Text1[1]);
    f.Text1[1]->clear();
    f.Text2->setText(QStringLiteral("kept"));
    QTest::keyClick(f.Text1[1], Qt::Key_Tab);
    Fixture::Settle();
    QCOMPARE(f.Text2->text(), QStringLiteral("kept"));
  }

  void windowOpeningLowersTheWindow() {
    Form1& f = fx->Start();
    QWidget other;
    f.ShowSecondaryWindow(&other);
    QCOMPARE(fx->ui.lowerCalls, 1);
    QVERIFY(other.isVisible());
  }

  // --- Keys and focus ------------------------------------------------------

  void enterMovesThroughTheTabOrder() {
    Form1& f = fx->Start();
    Focus(f.Text1[0]);
    const std::vector<QWidget*> first = {f.Text1[1], f.Text1[2], f.Combo1, f.Text1[3],
                                         f.Combo2,   f.Text1[4], f.Text3};
    for (QWidget* next : first) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      Fixture::Settle();
      QCOMPARE(QApplication::focusWidget(), next);
    }
    // The comment takes Enter as a line break.
    QTest::keyClicks(f.Text3, QStringLiteral("a"));
    QTest::keyClick(f.Text3, Qt::Key_Return);
    QTest::keyClicks(f.Text3, QStringLiteral("b"));
    QCOMPARE(f.Text3->toPlainText(), QStringLiteral("a\nb"));
    QCOMPARE(QApplication::focusWidget(), f.Text3);

    Focus(f.Combo3[0]);
    const std::vector<QWidget*> second = {f.Combo4[0], f.Combo3[1], f.Combo3[2], f.Combo3[3],
                                          f.Combo4[3], f.Combo3[4], f.Combo4[4], f.Combo5[0],
                                          f.Text2,     f.Command2};
    for (QWidget* next : second) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
      Fixture::Settle();
      QCOMPARE(QApplication::focusWidget(), next);
    }
    // The printer list keeps Enter for itself.
    Focus(f.Combo6);
    QTest::keyClick(f.Combo6, Qt::Key_Return);
    Fixture::Settle();
    QCOMPARE(QApplication::focusWidget(), f.Combo6);
    QCOMPARE(f.Combo2->count(), 45);  // typing and Enter added no item
  }

  void text2IsTrimmedOnLeaving() {
    Form1& f = fx->Start();
    Focus(f.Text2);
    TypeAndLeave(f.Text2, QStringLiteral("  A01  "));
    QCOMPARE(f.Text2->text(), QStringLiteral("A01"));
    Focus(f.Text2);
    QTest::keyClicks(f.Text2, QStringLiteral("0123456789xyz"));
    QCOMPARE(f.Text2->text().size(), 10);
  }

  void focusColours() {
    Form1& f = fx->Start();
    Focus(f.Text1[2]);
    QCOMPARE(Background(f.Text1[2]), QColor(Qt::yellow));
    QTest::keyClick(f.Text1[2], Qt::Key_Tab);
    Fixture::Settle();
    QCOMPARE(Background(f.Text1[2]), QColor(Qt::white));
    QCOMPARE(Background(f.Combo1), QColor(Qt::yellow));
    Focus(f.Combo4[2]);
    QCOMPARE(Background(f.Combo1), QColor(Qt::white));
    QCOMPARE(Background(f.Combo4[2]), QColor(Qt::yellow));
  }

  // An enabled menu item's shortcut wins over the field's editing key; the
  // key of a disabled item stays the field's.
  void menuShortcutsWinOverFieldKeys() {
    Form1& f = fx->Start();
    Focus(f.Text1[1]);
    f.Text1[1]->setText(QStringLiteral("123"));
    f.Text1[1]->selectAll();
    f.sakujyo->setEnabled(false);
    QTest::keyClick(f.Text1[1], Qt::Key_X, Qt::ControlModifier);  // 削除 disabled: cut
    QVERIFY(f.Text1[1]->text().isEmpty());

    int deletes = 0, searches = 0;
    // The items' own commands are replaced by counters.
    disconnect(f.sakujyo, &QAction::triggered, nullptr, nullptr);
    disconnect(f.M_kensaku, &QAction::triggered, nullptr, nullptr);
    f.sakujyo->setEnabled(true);
    f.M_kensaku->setEnabled(true);
    connect(f.sakujyo, &QAction::triggered, [&] { ++deletes; });
    connect(f.M_kensaku, &QAction::triggered, [&] { ++searches; });
    f.Text1[1]->setText(QStringLiteral("123"));
    f.Text1[1]->selectAll();
    QTest::keyClick(f.Text1[1], Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(deletes, 1);
    QCOMPARE(f.Text1[1]->text(), QStringLiteral("123"));
    f.Text1[1]->clear();
    Focus(f.Combo2);
    QTest::keyClick(f.Combo2, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(searches, 1);
    Focus(f.Text3);
    f.Text3->setPlainText(QStringLiteral("kept"));
    f.sakujyo->setEnabled(false);
    f.M_kensaku->setEnabled(false);
  }

  // --- Navigation ----------------------------------------------------------

  void navigationEdges() {
    fx->WriteExams(3);
    for (const char* name : {"IMG1", "IMG2", "IMG3"}) fx->WritePicture(name);
    Form1& f = fx->Start();
    fx->ui.Expect("データは以上です。");
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QCOMPARE(fx->ui.Boxes().back().style, int(platform::kExclamation));
    QCOMPARE(f.Label14->text(), QStringLiteral("3"));

    QTest::mouseClick(f.Command2, Qt::LeftButton);
    QCOMPARE(f.Label14->text(), QStringLiteral("2"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("患者2"));
    QCOMPARE(f.Slider1->value(), 2);
    QVERIFY(!f.Text2->isEnabled());
    QCOMPARE(f.Combo2->count(), 45);
    QTest::keyClick(f.Command2, Qt::Key_B, Qt::AltModifier);  // 前のデータ(&B)
    QCOMPARE(f.Label14->text(), QStringLiteral("1"));
    fx->ui.Expect("データは以上です。");
    f.maedata->trigger();
    QCOMPARE(f.Label14->text(), QStringLiteral("1"));
    QTest::keyClick(f.Command2, Qt::Key_N, Qt::AltModifier);  // 次のデータ(&N)
    QCOMPARE(f.Label14->text(), QStringLiteral("2"));
    QCOMPARE(QApplication::focusWidget(), f.Command1);
  }

  void previousFromANewRecordShowsTheLast() {
    fx->WriteExams(3);
    for (const char* name : {"IMG1", "IMG2", "IMG3"}) fx->WritePicture(name);
    Form1& f = fx->Start();
    f.StartNewExamination();
    QCOMPARE(f.Label14->text(), QStringLiteral("4"));
    f.Command2_Click();
    QCOMPARE(f.Label14->text(), QStringLiteral("3"));
    QVERIFY(!f.Text2->isEnabled());
  }

  void sliderJumpsAndKeepsText2() {
    fx->WriteExams(5);
    for (const char* name : {"IMG1", "IMG2", "IMG3", "IMG4", "IMG5"}) fx->WritePicture(name);
    Form1& f = fx->Start();
    QVERIFY(f.Text2->isEnabled());
    Focus(f.Slider1);
    QTest::keyClick(f.Slider1, Qt::Key_Home);
    Fixture::Settle();
    QCOMPARE(f.Label14->text(), QStringLiteral("1"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("患者1"));
    QVERIFY(f.Text2->isEnabled());
    // Values outside 1..RecordCount() change nothing.
    f.Slider1->setMinimum(0);
    f.Slider1->setValue(0);
    f.Slider1_Click();
    QCOMPARE(f.Label14->text(), QStringLiteral("1"));
  }

  // The slider acts when the user moves it, never on a key release: a box
  // dismissed with Return over the slider does not come back, and Tab onto
  // the slider keeps a half-typed new examination.
  void sliderActsOnlyWhenMoved() {
    fx->WriteExams(3);
    Form1& f = fx->Start();
    Focus(f.Slider1);
    QTest::keyRelease(f.Slider1, Qt::Key_Return);
    QTest::keyRelease(f.Slider1, Qt::Key_Tab);
    Fixture::Settle();
    QCOMPARE(f.Label14->text(), QStringLiteral("3"));

    f.StartNewExamination();
    QTest::keyClicks(f.Text1[2], QStringLiteral("abc"));
    Focus(f.Slider1);
    QTest::keyRelease(f.Slider1, Qt::Key_Tab);
    QTest::keyClick(f.Slider1, Qt::Key_End);  // already at the end: no move
    Fixture::Settle();
    QCOMPARE(f.Label14->text(), QStringLiteral("4"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("abc"));

    // Moving away from typed work asks first: No keeps it, Yes goes.
    const char* discard = "入力中のデータは登録されていません。破棄しますか？";
    fx->ui.Expect(discard, platform::kAnswerNo);
    QTest::keyClick(f.Slider1, Qt::Key_Left);
    Fixture::Settle();
    QCOMPARE(f.Label14->text(), QStringLiteral("4"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("abc"));
    QCOMPARE(f.Slider1->value(), 3);
    fx->ui.Expect(discard, platform::kAnswerYes);
    QTest::keyClick(f.Slider1, Qt::Key_Left);
    Fixture::Settle();
    QCOMPARE(f.Label14->text(), QStringLiteral("2"));
  }

  void stepToARecordWithoutPicture() {
    fx->WriteExams(3);
    fx->WritePicture("IMG3");
    Form1& f = fx->Start();
    QVERIFY(!f.Image1->pixmap().isNull());
    f.Command2_Click();
    QCOMPARE(f.Label14->text(), QStringLiteral("2"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("患者2"));
    // The step cleared the form, so no picture; the last picture file stays
    // the source of a registration.
    QVERIFY(f.Image1->pixmap().isNull());
    QCOMPARE(fx->session->PictureSource(), std::string("C:\\VLN2\\GAZOU\\IMG3.jpg"));
  }

  // The menu's step first takes the focus, so the date check of the field
  // being left runs (once) before the record changes.
  void menuStepRunsThePendingDateCheck() {
    fx->WriteExams(2);
    fx->WritePicture("IMG1");
    fx->WritePicture("IMG2");
    Form1& f = fx->Start();
    Focus(f.Text1[0]);
    f.Text1[0]->setText(QStringLiteral("abc"));
    fx->ui.Expect("日付入力データが不正です。");
    // The refused date left the field empty: the form is no longer the
    // stored record, so leaving it asks.
    fx->ui.Expect("入力中のデータは登録されていません。破棄しますか？", platform::kAnswerYes);
    QTest::keyClick(f.Text1[0], Qt::Key_B, Qt::AltModifier);
    Fixture::Settle();
    QCOMPARE(fx->ui.Boxes().size(), std::size_t(2));
    QCOMPARE(f.Label14->text(), QStringLiteral("1"));
    QCOMPARE(f.Text1[0]->text(), QStringLiteral("2006/01/01"));  // record 1's date
  }

  void clearPicture() {
    fx->WriteExams(1);
    fx->WritePicture("IMG1");
    Form1& f = fx->Start();
    QVERIFY(!f.Image1->pixmap().isNull());
    QTest::keyClick(f.Text1[0], Qt::Key_J, Qt::ControlModifier);
    QVERIFY(f.Image1->pixmap().isNull());
    QCOMPARE(fx->session->PictureSource(), std::string("C:\\VLN2\\GAZOU\\IMG1.jpg"));
    QCOMPARE(f.Text2->text(), QStringLiteral("IMG1"));
  }

  // --- Printer and shut-down -----------------------------------------------

  void printerChoice() {
    Form1& f = fx->Start();
    const QStringList system = widgets::SystemPrinters().names;
    QCOMPARE(f.Combo6->count(), system.size());
    for (int i = 0; i < f.Combo6->count(); ++i) QCOMPARE(f.Combo6->itemText(i), system[i]);
    f.Combo6_Click(f.Combo6->count() - 1);
    QCOMPARE(f.CurrentPrinter(), system.back());
  }

  void closingShutsDown() {
    fx->WriteExams(1);
    fx->WritePicture("IMG1");
    Form1& f = fx->Start();
    QVERIFY(fx->store->OpenWorkFile().ok());
    QVERIFY(std::filesystem::exists(fx->drive.Host(store::kWorkFile)));
    QWidget other;
    other.show();
    f.F_end->trigger();
    QVERIFY(!std::filesystem::exists(fx->drive.Host(store::kWorkFile)));
    QVERIFY(!fx->store->DataFile());
    QVERIFY(!other.isVisible());
    QVERIFY(!f.isVisible());
  }
};

int RunForm1Tests(int argc, char** argv) {
  Form1Test t;
  return QTest::qExec(&t, argc, argv);
}

#include "main_window_test.moc"
