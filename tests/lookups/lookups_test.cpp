#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>

#include "lookups/lookup_forms.h"
#include "mainwin/main_window.h"
#include "platform/cp932.h"
#include "platform/qt_ui.h"
#include "store/text_format.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_drive.h"

using platform::Q;
using platform::S;

namespace {

std::string Spaces(std::size_t n) { return std::string(n, ' '); }

// A 20-byte entry from its cp932 bytes, padded by hand.
std::string Entry(std::string_view cp932) {
  std::string e(cp932);
  e.resize(20, ' ');
  return e;
}

std::string RecordAt(const std::string& file, int n) {
  return file.substr(static_cast<std::size_t>(n - 1) * 20, 20);
}

// Typed out separately from the program's table, so that a slip in either shows.
const std::vector<std::string> kArrhythmias = {
    "心室性期外収縮",
    "心房性期外収縮",
    "心房細動",
    "心室細動",
    "洞房ブロック",
    "第１度房室ブロック",
    "第２度房室ブロック",
    "完全房室ブロック",
    "左室肥大",
    "右室肥大",
    "両室肥大",
    "ペースメーカー調律",
    "洞徐脈",
    "洞機能不全症候群",
    "完全右脚ブロック",
    "不完全右脚ブロック",
    "完全左脚ブロック",
    "不完全左脚ブロック",
    "ＷＰＷ症候群",
    "心房粗動",
    "洞頻脈",
    "発作性心室頻拍",
    "心筋梗塞",
    "下壁心筋梗塞",
    "急性心筋梗塞",
    "陳旧性心筋梗塞",
    "多発性心室性期外収縮",
};
const std::vector<std::string> kFindings = {
    "ＳＴ低下", "ＳＴ上昇",   "Ｔ陰性", "洞徐脈",   "洞頻脈", "ＱＴ延長",
    "ＱＴ短縮", "ＱＲＳ増高", "Ｔ増高", "異常Ｑ波", "肺性Ｐ", "僧帽性Ｐ",
};
const std::vector<std::string> kLeadSites = {
    "V1,V2,V3", "V4,V5,V6", "胸部誘導", "Ⅰ,Ⅱ,Ⅲ", "aVR,aVL,aVF", "四肢誘導", "Ⅱ,Ⅲ,aVF",
};

}  // namespace

class LookupWindowsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing_support::TempDrive> drive_;
  std::unique_ptr<testing_support::FaultyFileSystem> fs_;
  std::unique_ptr<store::Store> store_;
  testing_support::FakeUi ui_;
  int refreshes_ = 0;
  std::vector<std::string> fileAtRefresh_;
  std::vector<std::size_t> boxesAtRefresh_;

  void StartFresh() {
    drive_ = std::make_unique<testing_support::TempDrive>();
    fs_ = std::make_unique<testing_support::FaultyFileSystem>(drive_->Drive());
    store_ = std::make_unique<store::Store>(*fs_);
    QVERIFY(store_->StartUp().ok());
  }

  // A refresh callback that records what the file held when it ran.
  std::function<void()> Recorder(const char* path) {
    return [this, path] {
      ++refreshes_;
      fileAtRefresh_.push_back(drive_->ReadBytes(path));
      boxesAtRefresh_.push_back(ui_.Boxes().size());
    };
  }

  void CheckNoStrayBoxes() {
    QVERIFY2(ui_.Unexpected().empty(),
             ui_.Unexpected().empty() ? "" : ui_.Unexpected().front().c_str());
    QVERIFY(ui_.AllAnswered());
  }

  static void Type(QLineEdit* box, const char* utf8) { box->setText(QString::fromUtf8(utf8)); }

 private Q_SLOTS:
  void init() {
    StartFresh();
    ui_.Reset();
    refreshes_ = 0;
    fileAtRefresh_.clear();
    boxesAtRefresh_.clear();
  }

  void cleanup() {
    store_.reset();
    fs_.reset();
    drive_.reset();
  }

  // First start: every list opens empty and registers as a file of blanks,
  // written before the refresh runs and before the success message.
  void firstStartRegistersBlankFiles() {
    struct Case {
      std::function<std::unique_ptr<LookupListWindow>(std::function<void()>)> make;
      const char* path;
      std::size_t bytes;
    };
    const Case cases[] = {
        {[&](auto r) { return std::make_unique<Form3>(*store_, ui_, r); }, store::kDepartmentFile,
         900},
        {[&](auto r) { return std::make_unique<Form4>(*store_, ui_, r); }, store::kLeadSiteFile,
         600},
        {[&](auto r) { return std::make_unique<Form6>(*store_, ui_, r); }, store::kArrhythmiaFile,
         900},
        {[&](auto r) { return std::make_unique<Form7>(*store_, ui_, r); }, store::kFindingFile,
         900},
    };
    for (const Case& c : cases) {
      init();
      QCOMPARE(drive_->ReadBytes(c.path).size(), std::size_t{0});
      auto window = c.make(Recorder(c.path));
      window->Open();
      QVERIFY(window->isVisible());
      QVERIFY(window->windowState() & Qt::WindowMaximized);
      for (QLineEdit* box : window->Text1) QVERIFY(box->text().isEmpty());

      ui_.Expect("登録終了。");
      window->Command1->click();
      QCOMPARE(drive_->ReadBytes(c.path), Spaces(c.bytes));
      QCOMPARE(refreshes_, 1);
      QCOMPARE(fileAtRefresh_.front(), Spaces(c.bytes));
      QCOMPARE(boxesAtRefresh_.front(), std::size_t{0});
      QCOMPARE(ui_.Boxes().back().style, int{platform::kOkOnly});
      QCOMPARE(ui_.Boxes().back().title, std::string("Velunor2.0"));
      QVERIFY(window->isVisible());
      CheckNoStrayBoxes();
      cleanup();
    }
  }

  // The built-in arrhythmias replace whatever was typed, and register as 27
  // cp932 entries followed by 18 blanks.
  void arrhythmiaInitialValues() {
    Form6 window(*store_, ui_, Recorder(store::kArrhythmiaFile));
    window.Open();
    Type(window.Text1[0], "手入力");
    Type(window.Text1[30], "独自の項目");
    Type(window.Text1[44], "最後");
    window.Command4->click();
    for (std::size_t i = 0; i < window.Text1.size(); ++i) {
      const QString expected = i < kArrhythmias.size() ? Q(kArrhythmias[i]) : QString();
      QCOMPARE(window.Text1[i]->text(), expected);
    }

    ui_.Expect("登録終了。");
    window.Command1->click();
    const std::string file = drive_->ReadBytes(store::kArrhythmiaFile);
    QCOMPARE(file.size(), std::size_t{900});
    // 心室性期外収縮: 心 90 53, 室 8E BA, then five more double-byte characters.
    QCOMPARE(RecordAt(file, 1).substr(0, 4), std::string("\x90\x53\x8E\xBA"));
    QCOMPARE(RecordAt(file, 1).substr(14), Spaces(6));
    // 多発性心室性期外収縮 fills the 20 bytes exactly.
    QVERIFY(RecordAt(file, 27).find(' ') == std::string::npos);
    for (int n = 1; n <= 27; ++n) {
      QCOMPARE(platform::FromCp932(store::TrimBlanks(RecordAt(file, n))),
               kArrhythmias[static_cast<std::size_t>(n - 1)]);
    }
    QCOMPARE(file.substr(27 * 20), Spaces(18 * 20));
    CheckNoStrayBoxes();
  }

  void leadSiteAndFindingInitialValues() {
    Form4 leads(*store_, ui_, {});
    leads.Open();
    leads.Command4->click();
    ui_.Expect("登録終了。");
    leads.Command1->click();
    const std::string leadFile = drive_->ReadBytes(store::kLeadSiteFile);
    QCOMPARE(leadFile.size(), std::size_t{600});
    QCOMPARE(RecordAt(leadFile, 1), Entry("V1,V2,V3"));
    // Roman numerals as Windows writes them (NEC row 13), not as JIS would.
    QCOMPARE(RecordAt(leadFile, 4), Entry("\x87\x54,\x87\x55,\x87\x56"));
    QCOMPARE(RecordAt(leadFile, 7), Entry("\x87\x55,\x87\x56,aVF"));
    for (int n = 1; n <= 7; ++n) {
      QCOMPARE(platform::FromCp932(store::TrimBlanks(RecordAt(leadFile, n))),
               kLeadSites[static_cast<std::size_t>(n - 1)]);
    }
    QCOMPARE(leadFile.substr(7 * 20), Spaces(23 * 20));

    Form7 findings(*store_, ui_, {});
    findings.Open();
    findings.Command4->click();
    ui_.Expect("登録終了。");
    findings.Command1->click();
    const std::string findingFile = drive_->ReadBytes(store::kFindingFile);
    QCOMPARE(findingFile.size(), std::size_t{900});
    QCOMPARE(RecordAt(findingFile, 1), Entry("\x82\x72\x82\x73\x92\xE1\x89\xBA"));  // ＳＴ低下
    for (int n = 1; n <= 12; ++n) {
      QCOMPARE(platform::FromCp932(store::TrimBlanks(RecordAt(findingFile, n))),
               kFindings[static_cast<std::size_t>(n - 1)]);
    }
    QCOMPARE(findingFile.substr(12 * 20), Spaces(33 * 20));
    CheckNoStrayBoxes();
  }

  // Esc in a box is 閉じる.
  void escapeCloses() {
    Form7 window(*store_, ui_, {});
    window.Open();
    QTest::keyClick(window.Text1[3], Qt::Key_Escape);
    QVERIFY(!window.isVisible());
  }

  // Closing keeps the typed text; reopening reloads the file and drops it.
  void reopeningShowsStoredEntries() {
    Form7 window(*store_, ui_, {});
    window.Open();
    Type(window.Text1[0], "ＳＴ低下");
    Type(window.Text1[44], "末尾");
    ui_.Expect("登録終了。");
    window.Command1->click();

    Type(window.Text1[0], "書き換え");
    Type(window.Text1[5], "未登録");
    window.Command3->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(window.Text1[0]->text(), QStringLiteral("書き換え"));

    window.Open();
    QVERIFY(window.isVisible());
    QCOMPARE(window.Text1[0]->text(), QStringLiteral("ＳＴ低下"));
    QCOMPARE(window.Text1[5]->text(), QString());
    QCOMPARE(window.Text1[44]->text(), QStringLiteral("末尾"));
    CheckNoStrayBoxes();
  }

  // A file written elsewhere: entries are shown trimmed, a short file leaves
  // the remaining boxes empty, a full-width blank is part of an entry.
  void opensFileWrittenByTheOlderProgram() {
    std::string bytes = Entry("  \x93\xE0\x89\xC8") /* 内科 */ + Entry("\x81\x40\x8A\x4F\x89\xC8");
    bytes += Entry("") + Entry("ICU");
    drive_->WriteBytes(store::kDepartmentFile, bytes);
    QVERIFY(store_->OpenAllFiles().ok());
    Form3 window(*store_, ui_, {});
    window.Open();
    QCOMPARE(window.Text1[0]->text(), QStringLiteral("内科"));
    QCOMPARE(window.Text1[1]->text(), QStringLiteral("　外科"));
    QCOMPARE(window.Text1[2]->text(), QString());
    QCOMPARE(window.Text1[3]->text(), QStringLiteral("ICU"));
    for (std::size_t i = 4; i < window.Text1.size(); ++i)
      QVERIFY(window.Text1[i]->text().isEmpty());

    ui_.Expect("登録終了。");
    window.Command1->click();
    const std::string file = drive_->ReadBytes(store::kDepartmentFile);
    QCOMPARE(file.size(), std::size_t{900});
    QCOMPARE(RecordAt(file, 1), Entry("\x93\xE0\x89\xC8"));
    QCOMPARE(RecordAt(file, 2), Entry("\x81\x40\x8A\x4F\x89\xC8"));
    CheckNoStrayBoxes();
  }

  // Over 20 bytes the box is marked before registering, and the entry is
  // cut on a character boundary when it is stored.
  void longEntriesAreMarkedAndCut() {
    Form4 window(*store_, ui_, {});
    window.Open();
    Type(window.Text1[0], "あいうえおかきくけこさ");  // 22 bytes
    Type(window.Text1[1], "aあいうえおかきくけこ");   // 21 bytes: こ would straddle
    Type(window.Text1[2], "あいうえおかきくけこ");    // exactly 20
    Type(window.Text1[3], "abcdefghijklmnopqrstu");   // 21 single bytes
    QCOMPARE(window.CutMark(0)->text(), QStringLiteral("22/20"));
    QVERIFY(window.CutMark(0)->toolTip().contains(QStringLiteral("「あいうえおかきくけこ」")));
    QCOMPARE(window.CutMark(1)->text(), QStringLiteral("21/20"));
    QVERIFY(window.CutMark(1)->toolTip().contains(QStringLiteral("「aあいうえおかきくけ」")));
    QVERIFY(window.CutMark(2)->text().isEmpty());
    QCOMPARE(window.CutMark(3)->text(), QStringLiteral("21/20"));
    Type(window.Text1[3], "abc");
    QVERIFY(window.CutMark(3)->text().isEmpty());
    QVERIFY(window.CutMark(3)->toolTip().isEmpty());
    Type(window.Text1[4], "😀");  // cp932 has no such character
    QCOMPARE(window.CutMark(4)->text(), QStringLiteral("?"));

    ui_.Expect("登録終了。");
    window.Command1->click();
    const std::string file = drive_->ReadBytes(store::kLeadSiteFile);
    QCOMPARE(file.size(), std::size_t{600});
    const std::string aiu = platform::ToCp932("あいうえおかきくけこ");
    QCOMPARE(aiu.size(), std::size_t{20});
    QCOMPARE(RecordAt(file, 1), aiu);
    QCOMPARE(RecordAt(file, 2), "a" + aiu.substr(0, 18) + " ");
    QCOMPARE(RecordAt(file, 3), aiu);
    QCOMPARE(RecordAt(file, 5), Entry("?"));

    window.Command3->click();
    window.Open();
    QCOMPARE(window.Text1[0]->text(), QStringLiteral("あいうえおかきくけこ"));
    QCOMPARE(window.Text1[1]->text(), QStringLiteral("aあいうえおかきくけ"));
    QVERIFY(window.CutMark(0)->text().isEmpty());
    CheckNoStrayBoxes();
  }

  // Enter moves on like Tab and types nothing; after the last box come the
  // buttons, and Enter on a button presses it.
  void enterMovesToTheNextControl() {
    Form4 window(*store_, ui_, {});
    window.Open();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), window.Text1[0]);
    QTest::keyClicks(window.Text1[0], QStringLiteral("V1"));
    QTest::keyClick(window.Text1[0], Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), window.Text1[1]);
    QCOMPARE(window.Text1[0]->text(), QStringLiteral("V1"));
    QTest::keyClick(window.Text1[1], Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(QApplication::focusWidget(), window.Text1[2]);

    window.Text1[29]->setFocus();
    QTest::keyClick(window.Text1[29], Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), window.Command1);
    QTest::keyClick(window.Command1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.Command2);

    // クリア by Enter on its button: every box emptied, focus back to the first.
    Type(window.Text1[7], "x");
    QTest::keyClick(window.Command2, Qt::Key_Return);
    for (QLineEdit* box : window.Text1) QVERIFY(box->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), window.Text1[0]);
    CheckNoStrayBoxes();
  }

  // A save cut short (a full disk at the third record) leaves the file as it
  // was, byte for byte, and says so in Japanese; the owner refreshes from the
  // old list, and a later try saves the new one.
  void failedSaveKeepsTheOldList() {
    int refreshes = 0;
    Form6 window(*store_, ui_, [&] { ++refreshes; });
    window.Open();
    window.Command4->click();
    ui_.Expect("登録終了。");
    window.Command1->click();
    const std::string oldBytes = drive_->ReadBytes(store::kArrhythmiaFile);
    QCOMPARE(oldBytes.size(), std::size_t{900});

    for (QLineEdit* box : window.Text1) Type(box, "新しい項目");
    fs_->FailNthWrite(3, platform::kDiskFull);
    const std::string notSaved =
        "不整脈登録の一覧は保存されませんでした。\nディスクの空き容量が足りません。"
        "（エラー番号 61）\nファイルは登録前の内容のままです。";
    ui_.Expect(notSaved);
    window.Command1->click();
    QCOMPARE(ui_.Boxes().back().prompt, notSaved);
    QCOMPARE(ui_.Boxes().back().style, int{platform::kExclamation});
    QVERIFY(drive_->ReadBytes(store::kArrhythmiaFile) == oldBytes);
    QCOMPARE(refreshes, 2);
    store::ListEntryRecord entry;
    QVERIFY(store_->ListFileOf(store::LookupList::Arrhythmia)->Read(1, entry).ok());
    QCOMPARE(entry.Get(store::ListEntryField::EntryText), kArrhythmias[0]);

    fs_->Heal();
    ui_.Expect("登録終了。");
    window.Command1->click();
    const std::string file = drive_->ReadBytes(store::kArrhythmiaFile);
    QCOMPARE(file.size(), std::size_t{900});
    for (int n = 1; n <= 45; ++n) {
      QCOMPARE(platform::FromCp932(store::TrimBlanks(RecordAt(file, n))),
               std::string("新しい項目"));
    }
    QCOMPARE(refreshes, 3);
    CheckNoStrayBoxes();
  }

  // The menu of the main window opens the windows (lowering the main window)
  // and every registration refills the main window's lists in place.
  void mainWindowListsAfterRegistering() {
    Form1 form(*store_, ui_);
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.Combo4[0]->count(), 45);

    // Ctrl+I in a field of the form is the menu's 異常所見登録.
    QTest::keyClick(form.Text1[1], Qt::Key_I, Qt::ControlModifier);
    auto* findings = form.findChild<LookupListWindow*>(QStringLiteral("Form7"));
    QVERIFY(findings != nullptr);
    QVERIFY(findings->isVisible());
    QCOMPARE(ui_.lowerCalls, 1);
    findings->Command4->click();
    for (int round = 0; round < 2; ++round) {
      ui_.Expect("登録終了。");
      findings->Command1->click();
    }
    for (QComboBox* combo : form.Combo4) {
      QCOMPARE(combo->count(), 45);
      QCOMPARE(combo->itemText(0), QStringLiteral("ＳＴ低下"));
      QCOMPARE(combo->itemText(11), QStringLiteral("僧帽性Ｐ"));
      QCOMPARE(combo->itemText(12), QString());
    }
    findings->Command3->click();
    form.ijyousyoken->trigger();
    QCOMPARE(form.findChildren<LookupListWindow*>().size(), 1);
    QCOMPARE(findings->Text1[0]->text(), QStringLiteral("ＳＴ低下"));
    QCOMPARE(ui_.lowerCalls, 2);

    form.fuseimyaku->trigger();
    auto* arrhythmias = form.findChild<LookupListWindow*>(QStringLiteral("Form6"));
    QVERIFY(arrhythmias != nullptr);
    arrhythmias->Command4->click();
    ui_.Expect("登録終了。");
    arrhythmias->Command1->click();
    for (QComboBox* combo : form.Combo5) {
      QCOMPARE(combo->count(), 45);
      QCOMPARE(combo->itemText(26), QStringLiteral("多発性心室性期外収縮"));
      for (int i = 27; i < 45; ++i) QVERIFY(combo->itemText(i).isEmpty());
    }

    form.yudou->trigger();
    auto* leads = form.findChild<LookupListWindow*>(QStringLiteral("Form4"));
    QVERIFY(leads != nullptr);
    leads->Command4->click();
    ui_.Expect("登録終了。");
    leads->Command1->click();
    for (QComboBox* combo : form.Combo3) {
      QCOMPARE(combo->count(), 30);
      QCOMPARE(combo->itemText(3), QStringLiteral("Ⅰ,Ⅱ,Ⅲ"));
    }

    form.syozoku->trigger();
    auto* departments = form.findChild<LookupListWindow*>(QStringLiteral("Form3"));
    QVERIFY(departments != nullptr);
    Type(departments->Text1[0], "内科");
    for (int round = 0; round < 2; ++round) {
      ui_.Expect("登録終了。");
      departments->Command1->click();
    }
    QCOMPARE(form.Combo2->count(), 45);
    QCOMPARE(form.Combo2->itemText(0), QStringLiteral("内科"));
    QCOMPARE(ui_.lowerCalls, 5);
    CheckNoStrayBoxes();
  }
};

QTEST_MAIN(LookupWindowsTest)
#include "lookups_test.moc"
