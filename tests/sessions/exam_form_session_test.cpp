// The examination form's workflows on its session, over the in-memory drive:
// what the data file and the image directory hold afterwards, what the user
// is told and what the form shows next.

#include "sessions/exam_form_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/error_text.h"
#include "platform/jpeg_converter.h"
#include "store/search.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/fake_ui.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_progress.h"
#include "tests/support/records.h"
#include "tests/support/scripted_sort.h"

namespace {

using sessions::EntryField;
using sessions::ExamEntry;
using sessions::ExamFormSession;
using sessions::FormAfter;
using sessions::FormChange;
using sessions::Message;
using sessions::PatientLookup;
using store::ExamField;
using store::ExamRecord;
using testing_support::Exam;
using testing_support::ExamsOf;

constexpr const char* kTaken = "登録済みの画像名です。変更して下さい。";
constexpr const char* kNotBmp = "ファイルのフォーマットがBMP形式ではありません。";
// Every question whose Yes destroys data answers No on Enter.
constexpr int kNoByDefault = platform::kYesNo | platform::kDefaultButton2;
const store::Date kToday{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{8}};

std::string Picture(int n) { return "C:\\VLN2\\GAZOU\\IMG" + std::to_string(n) + ".jpg"; }

std::vector<std::string> Texts(const sessions::Outcome& outcome) {
  std::vector<std::string> texts;
  for (const Message& m : outcome.messages) texts.push_back(m.text);
  return texts;
}

class ExamFormSessionTest : public ::testing::Test {
 protected:
  // `count` examinations, each with its picture "IMG<n>.jpg".
  void Seed(int count) {
    memory.WriteBytes(store::kDataFile, testing_support::ExamFileBytes(count));
    for (int n = 1; n <= count; ++n) memory.WriteBytes(Picture(n), "JPEG" + std::to_string(n));
    Start();
  }
  void Start() { ASSERT_TRUE(store.StartUp().ok()); }

  std::vector<ExamRecord> Data() const { return ExamsOf(memory.ReadBytes(store::kDataFile)); }

  // What a filled form hands over for 登録.
  static ExamEntry Entry(const std::string& id, const std::string& imageName) {
    ExamEntry entry;
    entry.examDate = "2026/12/08";
    entry.patientId = id;
    entry.name = "山田";
    entry.sex = "M";
    entry.imageName = imageName;
    entry.imageNameTrimmed = std::string(store::TrimBlanks(imageName));
    entry.record = Exam(99).With(ExamField::PatientId, id).With(ExamField::Name, "山田");
    return entry;
  }

  // The converter fakes the platform's: a bitmap ("BM...") becomes
  // "JPEG:" + its bytes, a missing source cannot be opened, anything else
  // is no bitmap. The shown picture is written as "BMshown".
  sessions::PictureConversion Pictures(bool shown = true) {
    sessions::PictureConversion c;
    c.pictureShown = shown;
    c.toJpeg = [this](std::string_view source, std::string_view destination) -> std::int16_t {
      conversions.emplace_back(source);
      if (!memory.Exists(source)) return platform::kJpegCannotOpen;
      const std::string bytes = memory.ReadBytes(source);
      if (!bytes.starts_with("BM")) return platform::kJpegNotBmp;
      memory.WriteBytes(destination, "JPEG:" + bytes);
      return platform::kJpegOk;
    };
    c.writeShownBitmap = [this](std::string_view path) {
      memory.WriteBytes(path, "BMshown");
      return true;
    };
    return c;
  }

  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  store::Store store{files};
  ExamFormSession session{store};
  std::vector<std::string> conversions;
};

// --- The record on screen and stepping --------------------------------------

TEST_F(ExamFormSessionTest, ShowingAnExaminationFindsItsPictureIgnoringCase) {
  Seed(3);
  ASSERT_TRUE(memory.Delete(Picture(2)).ok());
  ASSERT_TRUE(memory.Delete(Picture(3)).ok());
  memory.WriteBytes("C:\\VLN2\\GAZOU\\img2.JPG", "JPEG2");

  const sessions::ShownExamination two = session.ShowExamination(2);
  EXPECT_TRUE(two.read);
  EXPECT_TRUE(two.Silent());
  EXPECT_EQ(two.record.Get(ExamField::Name), "患者2");
  EXPECT_EQ(two.picturePath, "C:\\VLN2\\GAZOU\\img2.JPG");
  EXPECT_EQ(session.ShownRecordNumber(), 2);
  session.StoredPictureShown();
  EXPECT_EQ(session.PictureSource(), Picture(2));

  // A missing picture is a note on the form, not a box to answer.
  const sessions::ShownExamination three = session.ShowExamination(3);
  EXPECT_TRUE(three.Silent());
  EXPECT_EQ(three.missingPicture, "画像：IMG3.jpgはありません。");
  EXPECT_TRUE(two.missingPicture.empty());
  EXPECT_TRUE(three.picturePath.empty());
  EXPECT_EQ(session.PictureSource(), Picture(2));  // the last picture stays the source
}

TEST_F(ExamFormSessionTest, StepsStopAtBothEndsAndTheSliderOnlyMovesToRecords) {
  Seed(3);
  struct Case {
    int shown;
    bool next;
    int record;           // 0: none
    const char* message;  // nullptr: none
  } cases[] = {
      {1, true, 2, nullptr},  {3, true, 0, "データは以上です。"},
      {2, false, 1, nullptr}, {1, false, 0, "データは以上です。"},
      {4, false, 3, nullptr},  // from a new examination back to the last one
  };
  for (const Case& c : cases) {
    if (c.shown > 3) {
      session.StartNewExamination();
    } else {
      ASSERT_TRUE(session.ShowExamination(c.shown).read);
    }
    const FormChange step = c.next ? session.Next() : session.Previous();
    EXPECT_EQ(step.record, c.record) << c.shown << c.next;
    EXPECT_EQ(step.after, c.record ? FormAfter::Examination : FormAfter::Unchanged);
    EXPECT_EQ(Texts(step),
              c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  }
  EXPECT_EQ(session.SliderAt(3).record, 3);
  EXPECT_EQ(session.SliderAt(0).after, FormAfter::Unchanged);
  EXPECT_EQ(session.SliderAt(4).after, FormAfter::Unchanged);
}

TEST_F(ExamFormSessionTest, SteppingWithoutDataSaysSo) {
  Start();
  session.StartNewExamination();
  EXPECT_EQ(Texts(session.Next()), std::vector<std::string>{"データがありません。"});
  EXPECT_EQ(Texts(session.Previous()), std::vector<std::string>{"データがありません。"});
  EXPECT_EQ(session.ShownRecordNumber(), 1);
}

// --- Entry checks -------------------------------------------------------------

TEST_F(ExamFormSessionTest, TheDateFieldIsNormalisedOrRefused) {
  struct Case {
    const char* typed;
    const char* text;  // "": refused
  } cases[] = {{"", "2026/12/08"},        {"2006/2/1", "2006/02/01"}, {"12/31", "2026/12/31"},
               {"H18/2/1", "2006/02/01"}, {"2006/2/30", ""},          {"abc", ""}};
  for (const Case& c : cases) {
    const ExamFormSession::DateCheck check = ExamFormSession::CheckDate(c.typed, kToday);
    EXPECT_EQ(check.text, c.text) << c.typed;
    EXPECT_EQ(static_cast<bool>(check), *c.text == '\0') << c.typed;
    if (check) {
      EXPECT_EQ(Texts(check), std::vector<std::string>{"日付入力データが不正です。"});
    }
  }
}

TEST_F(ExamFormSessionTest, RegistrationChecksTheFieldsInOrder) {
  struct Case {
    void (*blank)(ExamEntry&);
    EntryField field;
    const char* message;
    bool empty;
  } cases[] = {
      {[](ExamEntry& e) { e.examDate.clear(); }, EntryField::ExamDate, "日付データが不正です。",
       true},
      {[](ExamEntry& e) { e.patientId.clear(); }, EntryField::PatientId, "ＩＤデータが不正です。",
       true},
      {[](ExamEntry& e) { e.name.clear(); }, EntryField::Name, "氏名が不正です。", true},
      {[](ExamEntry& e) { e.sex.clear(); }, EntryField::Sex, "性別が未入力です。", false},
      {[](ExamEntry& e) { e.imageNameTrimmed.clear(); }, EntryField::ImageName,
       "登録画像名が入力されていません。", false},
  };
  for (const Case& c : cases) {
    ExamEntry entry = Entry("000001", "a1");
    c.blank(entry);
    const sessions::FieldRefusal refusal = ExamFormSession::CheckEntry(entry);
    EXPECT_EQ(refusal.field, c.field) << c.message;
    EXPECT_EQ(refusal.empty, c.empty) << c.message;
    EXPECT_EQ(Texts(refusal), std::vector<std::string>{c.message});
  }
  for (const char* unsafe : {"../x", "a\\b", "a/b", "c:x", "a*b", "a?b", "a<b", "a|b", "a\"b",
                             "a\tb", "con", "LPT1", "a.", ".", ".a", "x¥y", "é", "😀"}) {
    const sessions::FieldRefusal refusal = ExamFormSession::CheckEntry(Entry("000001", unsafe));
    EXPECT_EQ(refusal.field, EntryField::ImageName) << unsafe;
    EXPECT_TRUE(refusal.empty) << unsafe;
    EXPECT_EQ(Texts(refusal), std::vector<std::string>{"登録画像名が不正です。"}) << unsafe;
  }
  EXPECT_FALSE(ExamFormSession::CheckEntry(Entry("000001", " a1 ")));
}

// --- The ID lookup ------------------------------------------------------------

TEST_F(ExamFormSessionTest, TheIdLookupFillsThePatientAndTakesBackAStaleFill) {
  using Result = PatientLookup::Result;
  memory.WriteBytes(store::kMasterFile,
                    testing_support::FileBytes(std::vector<store::PatientRecord>{
                        testing_support::Patient(45).With(store::PatientField::Department, "内科"),
                        testing_support::Patient(46)}));
  Seed(1);
  session.StartNewExamination();

  const PatientLookup found = session.LookUpPatient("45", "2006/01/01", kToday);
  EXPECT_EQ(found.result, Result::Found);
  EXPECT_EQ(found.id, "000045");
  EXPECT_EQ(found.imageName, std::optional<std::string>("000045"));
  EXPECT_EQ(found.fill.name, "患者000045");
  EXPECT_EQ(found.fill.sex, "M");
  EXPECT_EQ(found.fill.age, "36");  // born 1970, examined 2006
  EXPECT_EQ(found.fill.department, "内科");
  EXPECT_TRUE(found.Silent());

  const PatientLookup missing = session.LookUpPatient("47", "", kToday);
  EXPECT_EQ(missing.result, Result::NotFound);
  ASSERT_TRUE(missing.takeBack);
  EXPECT_EQ(missing.takeBack->name, "患者000045");
  EXPECT_FALSE(session.LookUpPatient("47", "", kToday).takeBack);  // taken back once

  EXPECT_EQ(session.LookUpPatient("abc", "", kToday).result, Result::NotFound);
  EXPECT_EQ(session.LookUpPatient("", "", kToday).result, Result::Empty);
  const PatientLookup tooLong = session.LookUpPatient("1234567", "", kToday);
  EXPECT_EQ(tooLong.result, Result::Refused);
  EXPECT_EQ(Texts(tooLong), std::vector<std::string>{"ＩＤは６桁までの数字で入力して下さい。"});

  // A stored examination keeps the picture it names.
  ASSERT_TRUE(session.ShowExamination(1).read);
  const PatientLookup stored = session.LookUpPatient("46", "", kToday);
  EXPECT_EQ(stored.result, Result::Found);
  EXPECT_FALSE(stored.imageName);
}

// --- Typed work not yet registered ---------------------------------------------

TEST_F(ExamFormSessionTest, LeavingAsksOnlyWhenTheFormDiffersFromWhatIsStored) {
  Seed(2);
  memory.WriteBytes("C:\\scans\\ecg.bmp", "BMscan");
  // What the form hands over for the examination on screen, or for a blank
  // new one, with `change` applied to it.
  auto form = [this](bool stored, const std::function<void(ExamEntry&)>& change) {
    ExamEntry entry;
    if (stored) {
      entry.record = session.Record();
      entry.imageNameTrimmed = entry.record.Get(ExamField::ImageName);
    } else {
      entry.record.Set(ExamField::ExamDate, "2026/12/08");
    }
    change(entry);
    return entry;
  };
  auto none = [](ExamEntry&) {};
  struct Case {
    const char* what;
    bool stored;
    std::function<void(ExamEntry&)> change;
    bool loadPicture;
    bool asks;
  } cases[] = {
      {"stored as shown", true, none, false, false},
      {"stored, name typed", true, [](ExamEntry& e) { e.record.Set(ExamField::Name, "鈴木"); },
       false, true},
      {"stored, comment typed", true,
       [](ExamEntry& e) { e.record.Set(ExamField::Comment, "要再検"); }, false, true},
      {"stored, fifth arrhythmia", true,
       [](ExamEntry& e) { e.record.Set(ExamField::Arrhythmia5, "心房細動"); }, false, true},
      {"stored, image name", true, [](ExamEntry& e) { e.imageNameTrimmed = "other"; }, false, true},
      {"stored, picture loaded", true, none, true, true},
      {"new, blank", false, none, false, false},
      {"new, another date", false,
       [](ExamEntry& e) { e.record.Set(ExamField::ExamDate, "2026/12/07"); }, false, true},
      {"new, ID typed", false, [](ExamEntry& e) { e.record.Set(ExamField::PatientId, "000045"); },
       false, true},
      {"new, picture loaded", false, none, true, true},
  };
  for (const Case& c : cases) {
    if (c.stored) {
      ASSERT_TRUE(session.ShowExamination(2).read);
    } else {
      session.StartNewExamination();
    }
    if (c.loadPicture) session.PictureLoaded("C:\\scans\\ecg.bmp");
    const std::optional<Message> ask = session.AskDiscard(form(c.stored, c.change), kToday);
    EXPECT_EQ(ask.has_value(), c.asks) << c.what;
    if (ask) {
      EXPECT_EQ(*ask,
                (Message{"入力中のデータは登録されていません。破棄しますか？", kNoByDefault}));
    }
  }

  // Once registered, the blank form that follows has nothing to lose.
  session.StartNewExamination();
  session.PictureLoaded("C:\\scans\\ecg.bmp");
  ASSERT_TRUE(session.RegisterNew(Entry("000045", "000045"), Pictures()).ask);
  ASSERT_EQ(session.DeleteSource(false, true).after, FormAfter::NewExamination);
  session.StartNewExamination();
  EXPECT_FALSE(session.AskDiscard(form(false, none), kToday));
}

// --- 登録 -----------------------------------------------------------------------

TEST_F(ExamFormSessionTest, ANewExaminationIsAppendedWithItsPictureAndTheSourceMayGo) {
  Seed(2);
  memory.WriteBytes("C:\\scans\\ecg.bmp", "BMscan");
  for (bool yes : {false, true}) {
    session.StartNewExamination();
    session.PictureLoaded("C:\\scans\\ecg.bmp");
    const std::string name = yes ? "000046" : "000045";
    const FormChange done = session.RegisterNew(Entry(name, " " + name + " "), Pictures());
    ASSERT_TRUE(done.ask);
    EXPECT_EQ(*done.ask, (Message{"元の画像を削除しますか？", kNoByDefault}));
    EXPECT_EQ(memory.ReadBytes("C:\\VLN2\\GAZOU\\" + name + ".jpg"), "JPEG:BMscan");

    const FormChange after = session.DeleteSource(yes, true);
    EXPECT_EQ(after.after, FormAfter::NewExamination);
    EXPECT_EQ(after.filesChanged, yes);
    EXPECT_EQ(memory.Exists("C:\\scans\\ecg.bmp"), !yes);
  }
  const std::vector<ExamRecord> data = Data();
  ASSERT_EQ(data.size(), 4u);
  EXPECT_EQ(data[2].Raw(ExamField::RecordNo), " 3    ");
  EXPECT_EQ(data[2].Raw(ExamField::ImageName), "000045    ");
  EXPECT_EQ(data[3].Get(ExamField::PatientId), "000046");
  EXPECT_EQ(session.RecordCount(), 4);
  session.StartNewExamination();
  EXPECT_EQ(session.ShownRecordNumber(), 5);
}

// A picture stored through Temp.bmp is stored: nothing to say. Only a
// picture that could not be stored is said, and no picture says nothing.
TEST_F(ExamFormSessionTest, OnlyAPictureThatCouldNotBeStoredIsSaidAndNoneIsLost) {
  Seed(1);
  struct Case {
    const char* source;  // "": no picture shown
    bool bitmapWritable;
    std::vector<std::string> messages;
    bool stored;
  } cases[] = {
      {"C:\\scans\\photo.jpg", true, {}, true},  // through Temp.bmp
      {"C:\\VLN2\\GAZOU\\IMG1.jpg", true, {}, true},
      {"C:\\scans\\gone.bmp", true, {"ファイルを開けません。"}, false},
      {"C:\\scans\\photo.png", false, {"ファイルが書き込めません。"}, false},
      {"", true, {}, false},
  };
  memory.WriteBytes("C:\\scans\\photo.jpg", "JPEGphoto");
  memory.WriteBytes("C:\\scans\\photo.png", "PNGphoto");
  int k = 0;
  for (const Case& c : cases) {
    session.StartNewExamination();
    if (*c.source) session.PictureLoaded(c.source);
    const std::string name = "pic" + std::to_string(++k);
    sessions::PictureConversion pictures = Pictures(*c.source != '\0');
    if (!c.bitmapWritable) pictures.writeShownBitmap = [](std::string_view) { return false; };
    FormChange done = session.RegisterNew(Entry("000001", name), pictures);
    EXPECT_EQ(Texts(done), c.messages) << c.source;
    EXPECT_EQ(done.ask.has_value(), c.stored) << c.source;
    EXPECT_EQ(memory.Exists("C:\\VLN2\\GAZOU\\" + name + ".jpg"), c.stored) << c.source;
    if (c.stored) done = session.DeleteSource(true, true);
    EXPECT_EQ(done.after, FormAfter::NewExamination);
    EXPECT_FALSE(memory.Exists("C:\\VLN2\\GAZOU\\Temp.bmp"));
  }
  EXPECT_EQ(memory.ReadBytes("C:\\VLN2\\GAZOU\\pic1.jpg"), "JPEG:BMshown");
  EXPECT_FALSE(memory.Exists("C:\\scans\\photo.jpg"));  // answered Yes
  EXPECT_TRUE(memory.Exists("C:\\scans\\photo.png"));   // not stored: never offered
  EXPECT_EQ(memory.ReadBytes(Picture(1)), "JPEG1");     // inside the image folder: kept
  EXPECT_EQ(Data().size(), 6u);                         // every record stays written
  EXPECT_EQ(conversions.front(), "C:\\scans\\photo.jpg");

  // An overwrite without a picture on screen says nothing about pictures.
  ASSERT_TRUE(session.ShowExamination(1).read);
  EXPECT_TRUE(session.Overwrite(Entry("000001", "IMG1"), Pictures(false)).Silent());
}

TEST_F(ExamFormSessionTest, AnImageNameOfAnotherPictureOrRecordIsRefused) {
  Seed(3);
  ASSERT_TRUE(memory.Delete(Picture(3)).ok());  // record 3 names IMG3 without its file
  session.StartNewExamination();
  for (const char* name : {"img1", "IMG3"}) {
    const FormChange done = session.RegisterNew(Entry("000001", name), Pictures());
    EXPECT_EQ(done.field, EntryField::ImageName) << name;
    EXPECT_TRUE(done.empty);
    EXPECT_EQ(Texts(done), std::vector<std::string>{kTaken});
  }
  EXPECT_EQ(Data().size(), 3u);

  // An overwrite may keep its own name but not take another's.
  ASSERT_TRUE(session.ShowExamination(2).read);
  EXPECT_TRUE(session.CheckOverwrite(Entry("000001", "IMG2")).ask);
  EXPECT_EQ(Texts(session.CheckOverwrite(Entry("000001", "IMG1"))),
            std::vector<std::string>{kTaken});
  EXPECT_TRUE(session.CheckOverwrite(Entry("000001", "fresh")).ask);
}

TEST_F(ExamFormSessionTest, AnOverwriteRewritesItsPositionAndKeepsItsOwnJpeg) {
  Seed(3);
  const std::string before = memory.ReadBytes(store::kDataFile);
  ASSERT_TRUE(session.ShowExamination(2).read);
  session.StoredPictureShown();
  const FormChange check = session.CheckOverwrite(Entry("000777", "IMG2"));
  EXPECT_EQ(*check.ask, (Message{"このデータを上書きしますか？", kNoByDefault}));
  const FormChange done = session.Overwrite(Entry("000777", "IMG2"), Pictures());
  EXPECT_TRUE(done.Silent());
  EXPECT_EQ(done.after, FormAfter::NewExamination);
  EXPECT_TRUE(conversions.empty());
  EXPECT_EQ(memory.ReadBytes(Picture(2)), "JPEG2");
  const std::vector<ExamRecord> data = Data();
  EXPECT_EQ(data[1].Raw(ExamField::RecordNo), " 2    ");
  EXPECT_EQ(data[1].Get(ExamField::PatientId), "000777");
  EXPECT_EQ(memory.ReadBytes(store::kDataFile).substr(2 * store::kExamRecordLength),
            before.substr(2 * store::kExamRecordLength));

  // A picture loaded for the record is converted under its name.
  ASSERT_TRUE(session.ShowExamination(3).read);
  memory.WriteBytes("C:\\scans\\new.bmp", "BMnew");
  session.PictureLoaded("C:\\scans\\new.bmp");
  (void)session.Overwrite(Entry("000003", "IMG3"), Pictures());
  EXPECT_EQ(memory.ReadBytes(Picture(3)), "JPEG:BMnew");
}

// 上書き whose write fails part-way says what the record now holds.
TEST_F(ExamFormSessionTest, AnOverwriteThatFailsPartWaySaysWhatIsOnDisk) {
  const struct {
    int failures;  // the second failing write is the putting back
    const char* says;
    bool unchanged;
  } cases[] = {
      {1, "61：ディスクがいっぱいです。\nデータは変更されていません。", true},
      {2,
       "61：ディスクがいっぱいです。\nファイルＮＯ 2 "
       "のデータは一部だけ書き換わり、壊れている可能性があります。",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failures);
    store.CloseAllFiles();
    Seed(3);
    const std::string before = memory.ReadBytes(store::kDataFile);
    ASSERT_TRUE(session.ShowExamination(2).read);
    files.CountOnlyWritesTo(store::kDataFile);  // not the history's
    files.FailNthWriteShort(1, 100, platform::kDiskFull, c.failures);
    const FormChange done = session.Overwrite(Entry("000777", "IMG2"), Pictures());
    files.Heal();
    EXPECT_EQ(Texts(done), std::vector<std::string>{c.says});
    EXPECT_EQ(memory.ReadBytes(store::kDataFile) == before, c.unchanged);
  }
}

// --- 削除, 全削除 ---------------------------------------------------------------

TEST_F(ExamFormSessionTest, DeletingRenumbersAndRemovesAnUnsharedPicture) {
  Seed(5);
  testing_support::RecordingProgress progress;
  ASSERT_TRUE(session.ShowExamination(3).read);
  EXPECT_FALSE(session.AskDelete(true).ask);  // an empty ID field: nothing happens
  EXPECT_EQ(*session.AskDelete(false).ask, (Message{"このデータを削除しますか？", kNoByDefault}));
  const FormChange done = session.Delete(progress);
  EXPECT_EQ(done.messages, (std::vector<Message>{{"削除終了。", platform::kOkOnly}}));
  EXPECT_EQ(done.after, FormAfter::Examination);
  EXPECT_EQ(done.record, 4);
  EXPECT_TRUE(done.focusDate);
  const std::vector<ExamRecord> data = Data();
  ASSERT_EQ(data.size(), 4u);
  EXPECT_EQ(data[2].Get(ExamField::Name), "患者4");
  EXPECT_EQ(data[2].Raw(ExamField::RecordNo), "000003");
  EXPECT_FALSE(memory.Exists(Picture(3)));
  EXPECT_FALSE(memory.Exists(store::kWorkFile));

  // A picture another examination still names stays.
  store.CloseAllFiles();
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(std::vector<ExamRecord>{
                                          Exam(1), Exam(2).With(ExamField::ImageName, "IMG1")}));
  Start();
  ASSERT_TRUE(session.ShowExamination(2).read);
  EXPECT_EQ(session.Delete(progress).after, FormAfter::Examination);
  EXPECT_TRUE(memory.Exists(Picture(1)));
}

TEST_F(ExamFormSessionTest, AFailedDeleteKeepsTheRecordAndShowsWhatIsStored) {
  Seed(3);
  testing_support::RecordingProgress progress;
  const std::string before = memory.ReadBytes(store::kDataFile);
  ASSERT_TRUE(session.ShowExamination(3).read);
  files.FailRenames(platform::kPermissionDenied);
  const FormChange done = session.Delete(progress);
  files.Heal();
  EXPECT_EQ(Texts(done),
            std::vector<std::string>{platform::ErrorText(platform::kPermissionDenied)});
  EXPECT_EQ(done.after, FormAfter::Examination);
  EXPECT_EQ(done.record, 3);
  EXPECT_FALSE(done.focusDate);
  EXPECT_EQ(memory.ReadBytes(store::kDataFile), before);
  EXPECT_TRUE(memory.Exists(Picture(3)));
}

TEST_F(ExamFormSessionTest, DeleteAllEmptiesTheDataAndThePicturesOrKeepsBoth) {
  Seed(2);
  files.FailDeletes(platform::kPermissionDenied);
  EXPECT_EQ(*session.AskDeleteAll().ask,
            (Message{"保存されているデータを全て削除しますか？", kNoByDefault}));
  FormChange done = session.DeleteAll();
  files.Heal();
  EXPECT_EQ(Texts(done),
            std::vector<std::string>{platform::ErrorText(platform::kPermissionDenied)});
  EXPECT_EQ(done.after, FormAfter::Examination);
  EXPECT_EQ(done.record, 2);
  EXPECT_TRUE(memory.Exists(Picture(1)));

  done = session.DeleteAll();
  EXPECT_EQ(done.messages, (std::vector<Message>{{"削除終了。", platform::kOkOnly}}));
  EXPECT_EQ(done.after, FormAfter::NewExamination);
  EXPECT_TRUE(done.filesChanged);
  EXPECT_TRUE(Data().empty());
  EXPECT_FALSE(memory.Exists(Picture(1)));
  EXPECT_EQ(session.RecordCount(), 0);

  for (const FormChange& refused : {session.AskDelete(false), session.AskDeleteAll()}) {
    EXPECT_FALSE(refused.ask);
    EXPECT_EQ(Texts(refused), std::vector<std::string>{"保存データは０件です。"});
  }
}

// --- 並べ替え ---------------------------------------------------------------------

TEST_F(ExamFormSessionTest, ASortReloadsTheNumberOnScreenAndARefusalLeavesTheForm) {
  memory.WriteBytes(store::kDataFile, testing_support::FileBytes(std::vector<ExamRecord>{
                                          Exam(1).With(ExamField::PatientId, "000300"),
                                          Exam(2).With(ExamField::PatientId, "000100")}));
  Start();
  testing_support::FakeUi ui;
  testing_support::RecordingProgress progress;
  testing_support::ScriptedSort sort;
  ASSERT_TRUE(session.ShowExamination(1).read);

  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerNo);
  EXPECT_EQ(session.Sort(ui, progress, ExamFormSession::SortOrder::ById, sort.Factory()).after,
            FormAfter::Unchanged);

  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  const FormChange done =
      session.Sort(ui, progress, ExamFormSession::SortOrder::ById, sort.Factory());
  EXPECT_EQ(done.messages, (std::vector<Message>{{"終了。", platform::kOkOnly}}));
  EXPECT_EQ(done.after, FormAfter::Examination);
  EXPECT_EQ(done.record, 1);
  EXPECT_EQ(Data()[0].Get(ExamField::PatientId), "000100");
  EXPECT_FALSE(ui.busyCursor);
  EXPECT_TRUE(ui.Unexpected().empty());

  session.StartNewExamination();  // a new one being entered stays as typed
  ui.Expect("データを検査日順に並べ替えます。", platform::kAnswerYes);
  EXPECT_EQ(session.Sort(ui, progress, ExamFormSession::SortOrder::ByDate, sort.Factory()).after,
            FormAfter::Unchanged);
  EXPECT_TRUE(ui.AllAnswered());
}

// Every change of the data file keeps the examination index current, so
// that a search through it finds what testing every stored record finds.
TEST_F(ExamFormSessionTest, AfterEveryChangeTheSearchFindsWhatTheDataFileHolds) {
  Seed(4);
  testing_support::RecordingProgress progress;
  auto searchesAgree = [&](const char* after) {
    SCOPED_TRACE(after);
    EXPECT_EQ(store.ExamsByPatient().Records(), store.RecordCount());
    const std::vector<ExamRecord> data = Data();
    for (const store::SearchCriteria& c : {store::SearchCriteria{.id = "000777"},
                                           {.id = "000778"},
                                           {.id = "000103"},
                                           {.name = "山田"},
                                           {.year = "2026", .month = "12", .day = "08"}}) {
      std::vector<int> expected;
      for (std::size_t i = 0; i < data.size(); ++i) {
        if (store::SearchFilter(c).Matches(data[i])) expected.push_back(static_cast<int>(i + 1));
      }
      ASSERT_TRUE(store.RemoveWorkFile().ok());
      std::int32_t hits = 0;
      ASSERT_TRUE(store::SearchRecords(store, c, progress, hits).ok());
      std::vector<int> found;
      for (const ExamRecord& hit : ExamsOf(memory.ReadBytes(store::kWorkFile))) {
        found.push_back(static_cast<int>(store::NumericValue(hit.Raw(ExamField::RecordNo))));
      }
      EXPECT_EQ(found, expected) << c.id << c.name << c.year;
    }
  };
  memory.WriteBytes("C:\\scans\\ecg.bmp", "BMscan");
  session.StartNewExamination();
  session.PictureLoaded("C:\\scans\\ecg.bmp");
  ASSERT_TRUE(session.RegisterNew(Entry("000777", "000777"), Pictures()).ask);
  (void)session.DeleteSource(false, true);
  searchesAgree("register");

  ASSERT_TRUE(session.ShowExamination(2).read);
  session.StoredPictureShown();
  (void)session.Overwrite(Entry("000778", "IMG2"), Pictures());
  searchesAgree("overwrite");

  ASSERT_TRUE(session.ShowExamination(1).read);
  (void)session.Delete(progress);
  searchesAgree("delete");

  testing_support::FakeUi ui;
  testing_support::ScriptedSort sort;
  ui.Expect("データをＩＤ順に並べ替えます。", platform::kAnswerYes);
  ui.Expect("終了。");
  (void)session.Sort(ui, progress, ExamFormSession::SortOrder::ById, sort.Factory());
  searchesAgree("sort");

  ASSERT_TRUE(session.ShowExamination(1).read);
  (void)session.DeleteAll();
  searchesAgree("delete all");
}

}  // namespace
