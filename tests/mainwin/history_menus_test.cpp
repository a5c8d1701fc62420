// 変更履歴 (F9) and 元に戻す (直前の変更) (Ctrl+Shift+Z) as the user reaches them:
// the keys reach their commands, the question is asked with No the default,
// and the history window shows the versions with the changed fields marked.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "history/history_window.h"
#include "mainwin/main_window.h"
#include "patients/patient_form.h"
#include "patients/patient_windows.h"
#include "tests/mainwin/fixture.h"

using mainwin_test::Fixture;

namespace {

constexpr int kNoByDefault = platform::kYesNo | platform::kDefaultButton2;

HistoryWindow* WindowOf(Form1& f) {
  return f.findChild<HistoryWindow*>(QStringLiteral("HistoryWindow"));
}

std::string NameOf(Fixture& fx, int n) {
  store::ExamRecord record;
  if (!fx.store->DataFile()->Read(n, record).ok()) return "?";
  return record.Get(store::ExamField::Name);
}

}  // namespace

class HistoryMenusTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Fixture> fx;

 private Q_SLOTS:
  void init() { fx = std::make_unique<Fixture>(); }
  void cleanup() {
    QVERIFY2(fx->ui.Unexpected().empty(), mainwin_test::Describe(fx->ui.Unexpected()).c_str());
    QVERIFY(fx->ui.AllAnswered());
    fx.reset();
  }

  void f9ShowsTheVersionsWithTheChangedFieldsMarkedAndRestoresOne() {
    fx->WriteExams(3);
    Form1& f = fx->Start();
    f.Text1[2]->setFocus();
    QVERIFY(fx->session->ShowExamination(2).read);
    sessions::ExamEntry entry;
    entry.examDate = "2006/01/02";
    entry.patientId = "000102";
    entry.name = "山田";
    entry.sex = "M";
    entry.imageName = entry.imageNameTrimmed = "IMG2";
    entry.record = mainwin_test::Exam(2);
    entry.record.Set(store::ExamField::Name, "山田");
    (void)fx->session->Overwrite(entry, {});
    QVERIFY(f.ShowExamination(2));

    QTest::keyClick(f.Text1[2], Qt::Key_F9);
    Fixture::Settle();
    HistoryWindow* window = WindowOf(f);
    QVERIFY(window != nullptr && window->isVisible());
    QCOMPARE(window->Versions()->rowCount(), 2);
    QCOMPARE(window->Versions()->item(0, 2)->text(), QStringLiteral("上書き"));
    QCOMPARE(window->Versions()->item(1, 2)->text(), QStringLiteral("変更前"));
    const std::vector<QWidget*> marked = window->MarkedFields();
    QCOMPARE(marked.size(), std::size_t{1});
    QCOMPARE(qobject_cast<QLineEdit*>(marked[0])->text(), QStringLiteral("山田"));

    window->Versions()->setCurrentCell(1, 0);
    QVERIFY(window->MarkedFields().empty());
    fx->ui.Expect("この版を現在のデータにしますか？", platform::kAnswerYes);
    window->RestoreButton()->click();
    QCOMPARE(NameOf(*fx, 2), std::string("患者2"));
    QCOMPARE(f.Text1[2]->text(), QStringLiteral("患者2"));
    QCOMPARE(window->Versions()->item(0, 2)->text(), QStringLiteral("復元"));
  }

  void anExaminationWithoutChangesSaysSo() {
    fx->WriteExams(2);
    Form1& f = fx->Start();
    QVERIFY(f.ShowExamination(1));
    QTest::keyClick(f.Text1[2], Qt::Key_F9);
    Fixture::Settle();
    HistoryWindow* window = WindowOf(f);
    QVERIFY(window != nullptr && window->isVisible());
    QCOMPARE(window->Versions()->rowCount(), 0);
    auto* none = window->findChild<QLabel*>(QStringLiteral("NoVersions"));
    QVERIFY(none != nullptr && none->isVisible());
    QCOMPARE(none->text(), QStringLiteral("この検査の変更履歴はありません。"));
  }

  void theRegistrationWindowsButtonShowsThePatientOnScreen() {
    fx->WriteMaster({mainwin_test::Patient("000045", "山田 太郎", "M", "1950/01/02", "内科"),
                     mainwin_test::Patient("000046", "鈴木 花子", "F", "1960/03/04", "外科")});
    Form1& f = fx->Start();
    auto* patients = f.findChild<PatientWindows*>(QStringLiteral("PatientWindows"));
    QVERIFY(patients != nullptr);
    (void)patients->Session().Register(
        mainwin_test::Patient("000045", "山田 一郎", "M", "1950/01/02", "内科"));
    f.M_touroku->trigger();
    Fixture::Settle();
    Form10& form = patients->Registration();
    QVERIFY(!form.Command9->isEnabled());
    form.Text1->setText(QStringLiteral("45"));
    QVERIFY(form.Command9->isEnabled());
    form.Command9->click();
    Fixture::Settle();
    HistoryWindow* window = WindowOf(f);
    QVERIFY(window != nullptr && window->isVisible());
    // The registration over the stored patient, and the patient before it.
    QCOMPARE(window->Versions()->rowCount(), 2);
    QCOMPARE(window->Versions()->item(0, 2)->text(), QStringLiteral("患者登録"));
    QCOMPARE(window->Versions()->item(1, 2)->text(), QStringLiteral("変更前"));
  }

  void ctrlShiftZAsksNamingTheChangeAndUndoesOnYes() {
    fx->WriteExams(3);
    Form1& f = fx->Start();
    QVERIFY(f.ShowExamination(2));
    fx->ui.Expect("このデータを削除しますか？", platform::kAnswerYes);
    fx->ui.Expect("削除終了。");
    QTest::keyClick(f.Text1[0], Qt::Key_X, Qt::ControlModifier);
    Fixture::Settle();
    QCOMPARE(fx->store->RecordCount(), 2);
    f.activateWindow();
    f.Text1[0]->setFocus();
    Fixture::Settle();

    const std::string day =
        QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")).toStdString();
    for (int answer : {platform::kAnswerNo, platform::kAnswerYes}) {
      fx->ui.Expect("", answer);
      QTest::keyClick(f.Text1[0], Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
      Fixture::Settle();
      const auto& box = fx->ui.Boxes().back();
      QVERIFY(box.prompt.starts_with(day));
      QVERIFY(box.prompt.ends_with(" 削除 ファイルNO 2 患者2 を元に戻しますか？"));
      QCOMPARE(box.style, kNoByDefault);
    }
    QCOMPARE(fx->store->RecordCount(), 3);
    QCOMPARE(NameOf(*fx, 2), std::string("患者2"));
    QCOMPARE(f.Label14->text(), QStringLiteral("2"));
  }
};

int RunHistoryMenusTests(int argc, char** argv) {
  HistoryMenusTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "history_menus_test.moc"
