// The change history through the sessions, over the in-memory drive: every
// change of the examination form leaves its entry, each can be undone to the
// byte, a power cut at any step leaves the data and the history agreeing,
// and the audit trail reads back as the CSV it claims to be.

#include "sessions/history_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/jpeg_converter.h"
#include "sessions/exam_form_session.h"
#include "sessions/patient_session.h"
#include "sessions/vocabulary_session.h"
#include "store/change_recorder.h"
#include "store/exam_index.h"
#include "store/history.h"
#include "store/image_files.h"
#include "store/text_format.h"
#include "tests/support/csv_reader.h"
#include "tests/support/fake_ui.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/power_cut_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"

namespace {

using sessions::ExamEntry;
using sessions::ExamFormSession;
using sessions::HistorySession;
using sessions::Message;
using store::ChangeKind;
using store::ExamField;
using store::ExamRecord;
using testing_support::Exam;

constexpr std::int64_t kDec9At0114Utc = 1'796'778'845;
constexpr const char* kSource = "C:\\src.bmp";

std::string Picture(int n) { return "C:\\VLN2\\GAZOU\\IMG" + std::to_string(n) + ".jpg"; }

// A drive with the form and the history on it; the power can be cut.
struct Drive {
  explicit Drive(testing_support::MemoryFileSystem& memory) : power(memory) {
    EXPECT_TRUE(store.StartUp().ok());
    store.Changes().SetStamp([this] { return store::ChangeStamp{clock++, 9 * 3600, user, "pc1"}; });
  }
  testing_support::PowerCutFileSystem power;
  store::Store store{power};
  ExamFormSession form{store};
  HistorySession history{store};
  std::int64_t clock = kDec9At0114Utc;
  std::string user = "tanaka";
};

sessions::PictureConversion Pictures(testing_support::MemoryFileSystem& memory) {
  sessions::PictureConversion c;
  c.pictureShown = true;
  c.toJpeg = [&memory](std::string_view source, std::string_view destination) -> std::int16_t {
    memory.WriteBytes(destination, "JPEG:" + memory.ReadBytes(source));
    return platform::kJpegOk;
  };
  c.writeShownBitmap = [](std::string_view) { return false; };
  return c;
}

ExamEntry Entry(const std::string& id, const std::string& imageName) {
  ExamEntry entry;
  entry.examDate = "2026/12/08";
  entry.patientId = id;
  entry.name = "山田";
  entry.sex = "M";
  entry.imageName = imageName;
  entry.imageNameTrimmed = imageName;
  entry.record = Exam(99).With(ExamField::PatientId, id).With(ExamField::Name, "山田");
  return entry;
}

// One change made through the form, as the window makes it.
struct Operation {
  const char* name;
  ChangeKind kind;
  int record;  // of the entry
  std::function<void(Drive&, testing_support::MemoryFileSystem&)> run;
};

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {"登録", ChangeKind::Register, 5,
       [](Drive& d, testing_support::MemoryFileSystem& m) {
         d.form.StartNewExamination();
         d.form.PictureLoaded(kSource);
         (void)d.form.RegisterNew(Entry("000777", "NEW"), Pictures(m));
       }},
      {"上書き", ChangeKind::Overwrite, 2,
       [](Drive& d, testing_support::MemoryFileSystem& m) {
         (void)d.form.ShowExamination(2);
         d.form.PictureLoaded(kSource);
         (void)d.form.Overwrite(Entry("000777", "IMG2"), Pictures(m));
       }},
      {"削除", ChangeKind::Delete, 2,
       [](Drive& d, testing_support::MemoryFileSystem&) {
         testing_support::RecordingProgress progress;
         (void)d.form.ShowExamination(2);
         (void)d.form.Delete(progress);
       }},
      {"全削除", ChangeKind::DeleteAll, 0,
       [](Drive& d, testing_support::MemoryFileSystem&) { (void)d.form.DeleteAll(); }},
      {"並べ替え", ChangeKind::Sort, 0,
       [](Drive& d, testing_support::MemoryFileSystem&) {
         testing_support::FakeUi ui;
         testing_support::RecordingProgress progress;
         testing_support::ScriptedSort sort;
         ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
         ui.Expect("終了。");
         (void)d.form.Sort(ui, progress, ExamFormSession::SortOrder::ById, sort.Factory());
       }},
  };
  return operations;
}

// What the user can lose: the data file and every picture.
std::map<std::string, std::string> Snapshot(testing_support::MemoryFileSystem& memory) {
  std::map<std::string, std::string> files;
  files["data"] = memory.Exists(store::kDataFile) ? memory.ReadBytes(store::kDataFile) : "";
  std::vector<std::string> names;
  (void)memory.ListFiles(store::kImageDir, names);
  for (const std::string& name : names) files[name] = memory.ReadBytes(store::ImageFilePath(name));
  return files;
}

class HistorySessionTest : public ::testing::Test {
 protected:
  // Four examinations, IDs descending (a sort by ID moves every one), each
  // with its picture; a bitmap to load.
  void Seed() {
    std::vector<ExamRecord> records;
    for (int n = 1; n <= 4; ++n) {
      records.push_back(Exam(n).With(ExamField::PatientId, "00090" + std::to_string(9 - n)));
      memory.WriteBytes(Picture(n), "JPEG" + std::to_string(n));
    }
    memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
    memory.WriteBytes(kSource, "BMsrc");
  }
  Drive& Start() {
    drive = std::make_unique<Drive>(memory);
    return *drive;
  }
  std::vector<store::ChangeEntry> Entries() {
    std::vector<store::ChangeEntry> entries;
    store::History& h = drive->store.Changes();
    EXPECT_TRUE(store::OpenChanges(drive->store).ok());
    for (std::size_t i = 0; i < h.Heads().size(); ++i) {
      entries.emplace_back();
      EXPECT_TRUE(h.Read(i, entries.back()).ok());
    }
    return entries;
  }

  testing_support::MemoryFileSystem memory;
  std::unique_ptr<Drive> drive;
};

TEST_F(HistorySessionTest, EveryChangeOfTheFormLeavesOneEntryWithWhatItReplaced) {
  for (const Operation& op : Operations()) {
    SCOPED_TRACE(op.name);
    memory = testing_support::MemoryFileSystem();
    Seed();
    const auto before = Snapshot(memory);
    Drive& d = Start();
    op.run(d, memory);
    const std::vector<store::ChangeEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    const store::ChangeEntry& e = entries[0];
    EXPECT_EQ(e.kind, op.kind);
    EXPECT_EQ(e.record, op.record);
    EXPECT_EQ(e.file, store::kDataFile);
    EXPECT_EQ(e.stamp.user, "tanaka");
    EXPECT_EQ(e.stamp.host, "pc1");
    EXPECT_EQ(e.countBefore, 4);
    if (op.record > 0) {
      // The record's bytes as they were and as they are.
      const std::string now = memory.ReadBytes(store::kDataFile);
      const std::size_t at = (op.record - 1) * store::kExamRecordLength;
      EXPECT_EQ(e.before, op.kind == ChangeKind::Register
                              ? ""
                              : before.at("data").substr(at, store::kExamRecordLength));
      EXPECT_EQ(e.after,
                op.kind == ChangeKind::Delete ? "" : now.substr(at, store::kExamRecordLength));
    } else {
      // A whole file: the old file kept beside the history.
      ASSERT_FALSE(e.kept.empty());
      EXPECT_EQ(e.kept[0].live, store::kDataFile);
      EXPECT_EQ(memory.ReadBytes(d.store.Changes().KeptPath(e.kept[0].name)), before.at("data"));
    }
    // A picture the change replaced or removed is kept.
    if (op.kind == ChangeKind::Overwrite || op.kind == ChangeKind::Delete) {
      ASSERT_EQ(e.kept.size(), 1u);
      EXPECT_EQ(memory.ReadBytes(d.store.Changes().KeptPath(e.kept[0].name)), "JPEG2");
    }
  }
}

TEST_F(HistorySessionTest, UndoingEachChangeRestoresTheFilesAndPicturesToTheByte) {
  for (const Operation& op : Operations()) {
    SCOPED_TRACE(op.name);
    memory = testing_support::MemoryFileSystem();
    Seed();
    const auto before = Snapshot(memory);
    Drive& d = Start();
    op.run(d, memory);
    ASSERT_NE(Snapshot(memory), before);

    const HistorySession::UndoQuestion question = d.history.AskUndoLast();
    ASSERT_TRUE(question.ask);
    EXPECT_TRUE(question.ask->text.starts_with("2026/12/09 10:14 " + std::string(op.name)))
        << question.ask->text;
    EXPECT_EQ(question.ask->style, platform::kYesNo | platform::kDefaultButton2);
    const sessions::HistoryChange undone = d.history.UndoLast();
    EXPECT_TRUE(undone.changed);
    EXPECT_TRUE(undone.Silent()) << undone.messages[0].text;
    EXPECT_EQ(Snapshot(memory), before);
    EXPECT_EQ(d.store.RecordCount(), 4);
    // The index by patient follows the undo as a fresh build would.
    store::ExamIndex fresh;
    ASSERT_TRUE(fresh.Build(d.store.DataFile()).ok());
    for (const char* id : {"000905", "000906", "000907", "000908", "000777"}) {
      EXPECT_EQ(d.store.ExamsByPatient().ExamsOf(id), fresh.ExamsOf(id)) << id;
    }

    // The undo is a change of its own, and nothing is left to undo.
    const std::vector<store::ChangeEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].kind, ChangeKind::Undo);
    EXPECT_EQ(entries[1].target, entries[0].number);
    EXPECT_EQ(d.history.AskUndoLast().messages,
              (std::vector<Message>{{"元に戻せる変更はありません。", platform::kExclamation}}));
  }
}

TEST_F(HistorySessionTest, TheUndoQuestionNamesTheChange) {
  std::vector<ExamRecord> records;
  for (int n = 1; n <= 12; ++n) records.push_back(Exam(n));
  records[11] = Exam(12).With(ExamField::Name, "山田 太郎");
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(records));
  Drive& d = Start();
  testing_support::RecordingProgress progress;
  ASSERT_TRUE(d.form.ShowExamination(12).read);
  (void)d.form.Delete(progress);
  EXPECT_EQ(d.history.AskUndoLast().ask->text,
            "2026/12/09 10:14 削除 ファイルNO 12 山田 太郎 を元に戻しますか？");
  (void)d.form.DeleteAll();
  EXPECT_EQ(d.history.AskUndoLast().ask->text, "2026/12/09 10:14 全削除 を元に戻しますか？");
}

TEST_F(HistorySessionTest, UndoWalksBackThroughTheChangesNewestFirst) {
  Seed();
  const auto original = Snapshot(memory);
  Drive& d = Start();
  Operations()[4].run(d, memory);  // the sort
  const auto sorted = Snapshot(memory);
  Operations()[1].run(d, memory);  // an overwrite after it
  Operations()[2].run(d, memory);  // and a delete
  ASSERT_TRUE(d.history.AskUndoLast().ask->text.find("削除") != std::string::npos);
  ASSERT_TRUE(d.history.UndoLast().changed);
  ASSERT_TRUE(d.history.AskUndoLast().ask->text.find("上書き") != std::string::npos);
  ASSERT_TRUE(d.history.UndoLast().changed);
  EXPECT_EQ(Snapshot(memory), sorted);
  // The sort is the last change that stands now, and goes as a whole.
  ASSERT_TRUE(d.history.AskUndoLast().ask->text.find("並べ替え") != std::string::npos);
  ASSERT_TRUE(d.history.UndoLast().changed);
  EXPECT_EQ(Snapshot(memory), original);
}

TEST_F(HistorySessionTest, APowerCutAtEveryStepLeavesTheChangeWithItsEntryOrNeither) {
  for (const Operation& op : Operations()) {
    if (op.kind == ChangeKind::Sort) continue;  // its questions need the power on
    SCOPED_TRACE(op.name);
    // The drive after the change made whole.
    memory = testing_support::MemoryFileSystem();
    Seed();
    const std::string old = memory.ReadBytes(store::kDataFile);
    op.run(Start(), memory);
    const std::string made = memory.ReadBytes(store::kDataFile);
    const int steps = drive->power.StepsSeen();
    ASSERT_GT(steps, 2);

    for (int cut = 1; cut <= steps; ++cut) {
      SCOPED_TRACE(cut);
      memory = testing_support::MemoryFileSystem();
      Seed();
      Drive& d = Start();
      d.power.CutBeforeStep(cut);
      op.run(d, memory);
      ASSERT_TRUE(d.power.PowerGone());
      // The machine starts again.
      drive.reset();
      Start();
      const std::vector<store::ChangeEntry> entries = Entries();
      const std::string data = memory.ReadBytes(store::kDataFile);
      if (entries.empty()) {
        EXPECT_EQ(data.size(), old.size());
        EXPECT_EQ(data, old);
      } else {
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].kind, op.kind);
        EXPECT_EQ(data, made);
      }
      EXPECT_EQ(drive->store.Changes().TornBytes(), 0u);
    }
  }
}

TEST_F(HistorySessionTest, TheVersionsOfAnExaminationShowWhatEachChangeSetAndOneCanBeRestored) {
  Seed();
  const std::string original(Exam(2).With(ExamField::PatientId, "000907").Bytes());
  Drive& d = Start();
  Operations()[1].run(d, memory);  // 000777, 山田 over examination 2
  ASSERT_TRUE(d.form.ShowExamination(2).read);
  ExamEntry second = Entry("000777", "IMG2");
  second.record = Exam(99).With(ExamField::PatientId, "000777").With(ExamField::Name, "山田 次郎");
  (void)d.form.Overwrite(second, Pictures(memory));

  const sessions::Versions versions = d.history.OfExamination(2);
  ASSERT_EQ(versions.rows.size(), 3u);
  const std::vector<std::string> operations = {
      versions.rows[0].operation, versions.rows[1].operation, versions.rows[2].operation};
  EXPECT_EQ(operations, (std::vector<std::string>{"上書き", "上書き", "変更前"}));
  EXPECT_EQ(versions.rows[0].time, "2026/12/09 10:14:06 +09:00");
  EXPECT_EQ(versions.rows[0].user, "tanaka");

  const sessions::ShownVersion newest = d.history.Show(versions.rows[0]);
  EXPECT_EQ(newest.exam.Get(ExamField::Name), "山田 次郎");
  EXPECT_EQ(newest.changed, std::vector<int>{static_cast<int>(ExamField::Name)});
  const sessions::ShownVersion first = d.history.Show(versions.rows[1]);
  EXPECT_EQ(first.exam.Get(ExamField::Name), "山田");
  EXPECT_TRUE(std::ranges::find(first.changed, static_cast<int>(ExamField::PatientId)) !=
              first.changed.end());
  const sessions::ShownVersion before = d.history.Show(versions.rows[2]);
  EXPECT_EQ(std::string(before.exam.Bytes()), original);
  EXPECT_TRUE(before.changed.empty());

  // The version before the changes made current again, as a change of its own.
  const sessions::HistoryChange restored = d.history.Restore(versions.rows[2]);
  EXPECT_TRUE(restored.changed);
  EXPECT_EQ(restored.record, 2);
  // Every field as it was; the place keeps the number the overwrites gave it.
  const std::string now =
      memory.ReadBytes(store::kDataFile).substr(store::kExamRecordLength, store::kExamRecordLength);
  EXPECT_EQ(now.substr(6), original.substr(6));
  EXPECT_EQ(now.substr(0, 6), " 2    ");
  EXPECT_EQ(d.history.OfExamination(2).rows[0].operation, "復元");
}

TEST_F(HistorySessionTest, ARestoredVersionGetsBackThePictureItHad) {
  struct Case {
    const char* what;
    std::vector<int> restores;  // rows of the versions list, in turn
    std::string picture;        // IMG2 afterwards
  } cases[] = {
      {"the version before the new picture", {2}, "JPEG2"},
      {"the version that loaded it (still on the drive)", {1}, "JPEG:BMP"},
      {"the newest version", {0}, "JPEG:BMP"},
      // The restore is a change of its own: it kept the new picture.
      {"back and forth", {2, 2}, "JPEG:BMP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    drive.reset();
    memory = testing_support::MemoryFileSystem();
    Seed();
    memory.WriteBytes(kSource, "BMP");
    Drive& d = Start();
    Operations()[1].run(d, memory);  // a new picture loaded over examination 2's
    ASSERT_TRUE(d.form.ShowExamination(2).read);
    ExamEntry second = Entry("000777", "IMG2");
    second.record =
        Exam(99).With(ExamField::PatientId, "000777").With(ExamField::Name, "山田 次郎");
    (void)d.form.Overwrite(second, Pictures(memory));
    ASSERT_EQ(memory.ReadBytes(Picture(2)), "JPEG:BMP");
    for (int row : c.restores) {
      const sessions::Versions versions = d.history.OfExamination(2);
      ASSERT_LT(static_cast<std::size_t>(row), versions.rows.size());
      ASSERT_TRUE(d.history.Restore(versions.rows[static_cast<std::size_t>(row)]).changed);
    }
    EXPECT_EQ(memory.ReadBytes(Picture(2)), c.picture);
  }
}

// The versions follow the examination, not its number: after a delete
// before it and a sort, its history is still its own, and a version is made
// current where the examination stands now.
TEST_F(HistorySessionTest, TheVersionsFollowTheExaminationThroughDeletesAndSorts) {
  Seed();
  Drive& d = Start();
  ASSERT_TRUE(d.form.ShowExamination(2).read);
  (void)d.form.Overwrite(Entry("000999", "IMG2"), Pictures(memory));
  EXPECT_EQ(d.history.OfExamination(2).rows.size(), 2u);  // the window open on it
  testing_support::RecordingProgress progress;
  ASSERT_TRUE(d.form.ShowExamination(1).read);
  (void)d.form.Delete(progress);   // the overwritten one is number 1 now
  Operations()[4].run(d, memory);  // sorted by ID: it is number 3
  auto numberOf = [this](const std::string& id) {
    const std::vector<ExamRecord> data =
        testing_support::ExamsOf(memory.ReadBytes(store::kDataFile));
    for (std::size_t i = 0; i < data.size(); ++i) {
      if (data[i].Get(ExamField::PatientId) == id) return static_cast<int>(i + 1);
    }
    return 0;
  };
  const int n = numberOf("000999");
  ASSERT_EQ(n, 3);
  EXPECT_EQ(d.history.ListedExaminationNow(), n);  // where the open window finds it again
  EXPECT_TRUE(d.history.OfExamination(1).rows.empty());  // never changed
  const sessions::Versions versions = d.history.OfExamination(n);
  ASSERT_EQ(versions.rows.size(), 2u);
  EXPECT_EQ(versions.rows[0].operation, "上書き");
  EXPECT_EQ(versions.rows[1].operation, "変更前");

  const std::string others = memory.ReadBytes(store::kDataFile);
  ASSERT_TRUE(d.history.Restore(versions.rows[1]).changed);
  const std::vector<ExamRecord> data = testing_support::ExamsOf(memory.ReadBytes(store::kDataFile));
  ASSERT_EQ(data.size(), 3u);
  EXPECT_EQ(data[2].Get(ExamField::PatientId), "000907");  // examination 2 as it was
  EXPECT_EQ(data[2].Get(ExamField::RecordNo), "000003");
  const std::vector<ExamRecord> was = testing_support::ExamsOf(others);
  EXPECT_EQ(data[0], was[0]);
  EXPECT_EQ(data[1], was[1]);

  // Changed again since it was listed: its listed versions are not written.
  const sessions::Versions listed = d.history.OfExamination(n);
  Operations()[1].run(d, memory);  // number 2 overwritten (another one)
  ASSERT_TRUE(d.form.ShowExamination(n).read);
  ExamEntry again = Entry("000907", "IMG2");
  (void)d.form.Overwrite(again, Pictures(memory));
  EXPECT_FALSE(d.history.Restore(listed.rows.back()).changed);
}

TEST_F(HistorySessionTest, ADeletedExaminationIsRestoredAtTheEndWithItsPicture) {
  Seed();
  Drive& d = Start();
  Operations()[2].run(d, memory);  // examination 2 deleted
  ASSERT_FALSE(memory.Exists(Picture(2)));
  const sessions::Versions versions = d.history.OfLastChanged();
  ASSERT_EQ(versions.rows.size(), 1u);
  EXPECT_TRUE(d.history.Show(versions.rows[0]).deleted);
  EXPECT_TRUE(d.history.OfExamination(2).rows.empty());  // number 2 is another one now

  const sessions::HistoryChange restored = d.history.Restore(versions.rows[0]);
  EXPECT_EQ(restored.record, 4);
  const std::vector<ExamRecord> data = testing_support::ExamsOf(memory.ReadBytes(store::kDataFile));
  ASSERT_EQ(data.size(), 4u);
  EXPECT_EQ(data[3].Get(ExamField::Name), "患者2");
  EXPECT_EQ(data[3].Get(ExamField::RecordNo), "4");
  EXPECT_EQ(memory.ReadBytes(Picture(2)), "JPEG2");
}

testing_support::CsvRows ParseCsv(std::string_view text) { return testing_support::ReadCsv(text); }

TEST_F(HistorySessionTest, TheAuditTrailReadsBackAsCsvWithinItsDates) {
  Seed();
  Drive& d = Start();
  d.user = "o'neil, \"admin\"";
  Operations()[1].run(d, memory);  // 2026/12/09
  d.clock += 24 * 3600;
  d.user = "tanaka";
  Operations()[2].run(d, memory);  // 2026/12/10
  d.clock += 24 * 3600;
  Operations()[4].run(d, memory);  // 2026/12/11

  const struct {
    const char* from;
    const char* to;
    std::vector<std::string> operations;
  } cases[] = {
      {"", "", {"上書き", "削除", "並べ替え"}},
      {"2026/12/10", "", {"削除", "並べ替え"}},
      {"", "2026/12/10", {"上書き", "削除"}},
      {"2026/12/10", "2026/12/10", {"削除"}},
      {"2027/01/01", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.from) + "-" + c.to);
    ASSERT_TRUE(sessions::WriteHistoryCsv(d.store, "C:\\audit.csv", c.from, c.to).ok());
    const std::string text = memory.ReadBytes("C:\\audit.csv");
    ASSERT_TRUE(text.starts_with("\xEF\xBB\xBF"));
    const auto rows = ParseCsv(std::string_view(text).substr(3));
    ASSERT_EQ(rows.size(), c.operations.size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"日時", "ユーザー", "ホスト", "操作", "ファイル",
                                                 "レコード番号", "患者ID", "変更項目"}));
    for (std::size_t i = 0; i < c.operations.size(); ++i) {
      ASSERT_EQ(rows[i + 1].size(), 8u);
      EXPECT_EQ(rows[i + 1][3], c.operations[i]);
    }
  }
  ASSERT_TRUE(sessions::WriteHistoryCsv(d.store, "C:\\audit.csv").ok());
  auto rows = ParseCsv(std::string_view(memory.ReadBytes("C:\\audit.csv")).substr(3));
  ASSERT_EQ(rows[1].size(), 8u);
  rows[1].pop_back();
  EXPECT_EQ(rows[1],
            (std::vector<std::string>{"2026/12/09 10:14:05 +09:00", "o'neil, \"admin\"", "pc1",
                                      "上書き", "C:\\VLN2\\VLN2.ekg", "2", "000777"}));
  // The fields the overwrite set, by name; the number of the place is none.
  const std::string changed =
      ParseCsv(std::string_view(memory.ReadBytes("C:\\audit.csv")).substr(3))[1][7];
  EXPECT_TRUE(changed.starts_with("ExamDate PatientId Name ")) << changed;
  EXPECT_EQ(changed.find("RecordNo"), std::string::npos);
  EXPECT_EQ(changed.find("Department"), std::string::npos);
  EXPECT_EQ(rows[2][5], "2");
  EXPECT_EQ(rows[2][6], "000777");
  EXPECT_EQ(rows[3][5], "");
}

// --- The patient master and the vocabularies ----------------------------------

TEST_F(HistorySessionTest, EveryChangeOfTheMasterAndTheListsIsUndoneToTheByte) {
  struct Case {
    const char* name;
    ChangeKind kind;
    const char* patientId;
    std::function<void(sessions::PatientSession&, sessions::VocabularySession&)> run;
  } cases[] = {
      {"患者登録 (新規)", ChangeKind::PatientRegister, "000015",
       [](sessions::PatientSession& p, sessions::VocabularySession&) {
         (void)p.Register(testing_support::Patient(15));
       }},
      {"患者登録 (上書き)", ChangeKind::PatientRegister, "000020",
       [](sessions::PatientSession& p, sessions::VocabularySession&) {
         (void)p.Register(testing_support::Patient(20).With(store::PatientField::Name, "山田"));
       }},
      {"患者削除", ChangeKind::PatientDelete, "000010",
       [](sessions::PatientSession& p, sessions::VocabularySession&) {
         (void)p.ShowPatient(1);
         (void)p.DeleteShown();
       }},
      {"患者全削除", ChangeKind::PatientDeleteAll, "",
       [](sessions::PatientSession& p, sessions::VocabularySession&) { (void)p.DeleteAll(); }},
      {"一括登録", ChangeKind::BulkRegister, "",
       [](sessions::PatientSession& p, sessions::VocabularySession&) {
         (void)p.RegisterBulk(std::vector<store::PatientRecord>{testing_support::Patient(40)});
       }},
      {"語彙の保存", ChangeKind::VocabularySave, "",
       [](sessions::PatientSession&, sessions::VocabularySession& v) {
         std::vector<std::string> entries(store::kLeadSiteEntries);
         entries[0] = "V9";
         (void)v.Save(store::LookupList::LeadSite, "誘導部位登録", entries);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    memory = testing_support::MemoryFileSystem();
    memory.WriteBytes(store::kMasterFile,
                      testing_support::FileBytes(std::vector<store::PatientRecord>{
                          testing_support::Patient(10), testing_support::Patient(20)}));
    Drive& d = Start();
    const std::string master = memory.ReadBytes(store::kMasterFile);
    const std::string list = memory.ReadBytes(store::kLeadSiteFile);
    testing_support::FakeUi ui;
    testing_support::RecordingProgress progress;
    sessions::PatientSession patients(d.store, ui, progress);
    sessions::VocabularySession vocabulary(d.store);
    c.run(patients, vocabulary);
    ASSERT_NE(memory.ReadBytes(store::kMasterFile) + memory.ReadBytes(store::kLeadSiteFile),
              master + list);

    const std::vector<store::ChangeEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, c.kind);
    EXPECT_EQ(entries[0].patientId, c.patientId);
    ASSERT_TRUE(d.history.AskUndoLast().ask);
    EXPECT_TRUE(d.history.UndoLast().changed);
    EXPECT_EQ(memory.ReadBytes(store::kMasterFile), master);
    EXPECT_EQ(memory.ReadBytes(store::kLeadSiteFile), list);
  }
}

TEST_F(HistorySessionTest, APatientsVersionsShowTheChangedFieldsAndOneCanBeRegisteredAgain) {
  memory.WriteBytes(
      store::kMasterFile,
      testing_support::FileBytes(std::vector<store::PatientRecord>{testing_support::Patient(10)}));
  Drive& d = Start();
  testing_support::FakeUi ui;
  testing_support::RecordingProgress progress;
  sessions::PatientSession patients(d.store, ui, progress);
  (void)patients.Register(testing_support::Patient(10).With(store::PatientField::Name, "山田"));
  (void)patients.ShowPatient(1);
  (void)patients.DeleteShown();

  const sessions::Versions versions = d.history.OfPatient("000010");
  ASSERT_EQ(versions.rows.size(), 3u);
  EXPECT_EQ(versions.rows[0].operation, "患者削除");
  EXPECT_EQ(versions.rows[1].operation, "患者登録");
  EXPECT_EQ(versions.rows[2].operation, "変更前");
  const sessions::ShownVersion registered = d.history.Show(versions.rows[1]);
  EXPECT_FALSE(registered.examination);
  EXPECT_EQ(registered.changed, std::vector<int>{static_cast<int>(store::PatientField::Name)});
  EXPECT_TRUE(d.history.Show(versions.rows[0]).deleted);

  // The deleted patient registered again, as the patient was before the change.
  ASSERT_TRUE(d.history.Restore(versions.rows[2]).changed);
  const std::string master = memory.ReadBytes(store::kMasterFile);
  ASSERT_EQ(master.size(), store::kPatientRecordLength);
  store::PatientRecord back;
  std::copy(master.begin(), master.end(), back.data());
  EXPECT_EQ(back.Get(store::PatientField::Name),
            store::PatientRecord(testing_support::Patient(10)).Get(store::PatientField::Name));
  EXPECT_EQ(d.store.PatientCount(), 1);
}

}  // namespace
