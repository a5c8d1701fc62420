// The history log on its own: entries read back as written, a damaged tail
// ignored and written over, the index, the archive.

#include "store/history.h"

#include "store/store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"

namespace {

using store::ChangeEntry;
using store::ChangeKind;
using store::History;

store::ChangeStamp FixedStamp(std::int64_t time) { return {time, 9 * 3600, "tanaka", "clinic-pc"}; }

ChangeEntry Entry(ChangeKind kind, int record, std::string id, std::string before = "",
                  std::string after = "") {
  ChangeEntry e;
  e.kind = kind;
  e.file = store::kDataFile;
  e.record = record;
  e.patientId = std::move(id);
  e.before = std::move(before);
  e.after = std::move(after);
  return e;
}

class HistoryTest : public ::testing::Test {
 protected:
  History& Fresh() {
    log.reset();
    log = std::make_unique<History>(files);
    log->SetStamp([this] { return FixedStamp(clock++); });
    return *log;
  }
  void Append(ChangeEntry e) { ASSERT_TRUE(log->Append(e).ok()); }
  std::string Bytes() { return memory.ReadBytes(store::kHistoryFile); }

  testing_support::MemoryFileSystem memory;
  testing_support::FaultyFileSystem files{memory};
  std::unique_ptr<History> log;
  std::int64_t clock = 1'796'000'000;
};

TEST_F(HistoryTest, EntriesReadBackWholeAfterReopening) {
  Fresh();
  ChangeEntry written =
      Entry(ChangeKind::Overwrite, 7, "000045", std::string(579, 'a'), std::string(579, 'b'));
  written.name = "山田 太郎";
  written.countBefore = 12;
  written.kept = {{"E000001.JPG", "C:\\VLN2\\GAZOU\\A.jpg"}};
  Append(written);
  Append(Entry(ChangeKind::Sort, 0, ""));

  History& again = Fresh();
  ASSERT_TRUE(again.Open().ok());
  ASSERT_EQ(again.Heads().size(), 2u);
  ChangeEntry read;
  ASSERT_TRUE(again.Read(0, read).ok());
  EXPECT_EQ(read.number, 1u);
  EXPECT_EQ(read.stamp.user, "tanaka");
  EXPECT_EQ(read.stamp.host, "clinic-pc");
  EXPECT_EQ(read.stamp.offset, 9 * 3600);
  EXPECT_EQ(read.name, "山田 太郎");
  EXPECT_EQ(read.countBefore, 12);
  EXPECT_EQ(read.before, written.before);
  EXPECT_EQ(read.after, written.after);
  EXPECT_EQ(read.kept, written.kept);
  EXPECT_EQ(again.Heads()[1].number, 2u);
  EXPECT_EQ(again.Heads()[1].kind, ChangeKind::Sort);
  EXPECT_EQ(again.NextNumber(), 3u);
}

TEST_F(HistoryTest, ADamagedTailIsIgnoredAndWrittenOver) {
  struct Case {
    const char* what;
    std::function<std::string(const std::string& log, std::size_t lastFrame)> damage;
  } cases[] = {
      {"cut inside the last frame",
       [](const std::string& l, std::size_t last) { return l.substr(0, last + 20); }},
      {"cut inside the checksum",
       [](const std::string& l, std::size_t) { return l.substr(0, l.size() - 2); }},
      {"a flipped byte in the body",
       [](const std::string& l, std::size_t last) {
         std::string d = l;
         d[last + 30] ^= 0x40;
         return d;
       }},
      {"zeros where the frame was",
       [](const std::string& l, std::size_t last) {
         return l.substr(0, last) + std::string(l.size() - last, '\0');
       }},
      {"a frame length far past the end",
       [](const std::string& l, std::size_t last) {
         std::string d = l;
         d[last + 7] = '\x7f';
         return d;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memory.WriteBytes(store::kHistoryFile, "");
    Fresh();
    Append(Entry(ChangeKind::Register, 1, "000001", "", "one"));
    const std::size_t last = Bytes().size();
    Append(Entry(ChangeKind::Overwrite, 1, "000001", "one", "two"));
    memory.WriteBytes(store::kHistoryFile, c.damage(Bytes(), last));

    History& reopened = Fresh();
    ASSERT_TRUE(reopened.Open().ok());
    EXPECT_EQ(reopened.Heads().size(), 1u);
    EXPECT_GT(reopened.TornBytes(), 0u);
    // The next entry goes where the torn one began.
    Append(Entry(ChangeKind::Overwrite, 1, "000001", "one", "three"));
    History& third = Fresh();
    ASSERT_TRUE(third.Open().ok());
    ASSERT_EQ(third.Heads().size(), 2u);
    ChangeEntry e;
    ASSERT_TRUE(third.Read(1, e).ok());
    EXPECT_EQ(e.after, "three");
    EXPECT_EQ(third.TornBytes(), 0u);
  }
}

TEST_F(HistoryTest, AFailedAppendLeavesNothingReadable) {
  struct Case {
    const char* what;
    std::function<void()> arm;
  } cases[] = {
      {"the write", [this] { files.FailNthWrite(1); }},
      {"a short write", [this] { files.FailNthWriteShort(1, 10); }},
      {"the sync", [this] { files.FailNthSync(1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memory.WriteBytes(store::kHistoryFile, "");
    History& h = Fresh();
    Append(Entry(ChangeKind::Register, 1, "000001", "", "one"));
    const std::string before = Bytes();
    c.arm();
    ChangeEntry e = Entry(ChangeKind::Delete, 1, "000001", "one", "");
    EXPECT_FALSE(h.Append(e).ok());
    files.Heal();
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(h.Heads().size(), 1u);
  }
}

TEST_F(HistoryTest, TheIndexFindsARecordsAndAPatientsEntriesNewestFirst) {
  History& h = Fresh();
  Append(Entry(ChangeKind::Register, 1, "000045"));
  Append(Entry(ChangeKind::Register, 2, "000046"));
  Append(Entry(ChangeKind::Overwrite, 1, "000045"));
  ChangeEntry patient = Entry(ChangeKind::PatientRegister, 3, "000045");
  patient.file = store::kMasterFile;
  Append(patient);
  Append(Entry(ChangeKind::Sort, 0, ""));

  for (History* index : {&h, &Fresh()}) {
    ASSERT_TRUE(index->Open().ok());
    EXPECT_EQ(index->OfRecord(store::kDataFile, 1), (std::vector<std::size_t>{2, 0}));
    EXPECT_EQ(index->OfRecord(store::kDataFile, 2), (std::vector<std::size_t>{1}));
    EXPECT_EQ(index->OfRecord(store::kMasterFile, 3), (std::vector<std::size_t>{3}));
    EXPECT_TRUE(index->OfRecord(store::kDataFile, 3).empty());
    EXPECT_EQ(index->OfPatient("000045"), (std::vector<std::size_t>{3, 2, 0}));
  }
  ASSERT_TRUE(log->TakeBackLast().ok());
  ASSERT_TRUE(log->TakeBackLast().ok());
  EXPECT_TRUE(log->OfPatient("000045") == (std::vector<std::size_t>{2, 0}));
  EXPECT_EQ(Fresh().Open().ok(), true);
  EXPECT_EQ(log->Heads().size(), 3u);
}

TEST_F(HistoryTest, ArchivingMovesOldEntriesAndTheirFilesAndKeepsTheRest) {
  History& h = Fresh();
  ChangeEntry old = Entry(ChangeKind::Delete, 1, "000001", "gone", "");
  memory.WriteBytes(h.KeptPath("E000001.JPG"), "JPEG1");
  old.kept = {{"E000001.JPG", "C:\\VLN2\\GAZOU\\A.jpg"}};
  Append(old);                                       // time clock
  Append(Entry(ChangeKind::Register, 2, "000002"));  // clock + 1
  Append(Entry(ChangeKind::Register, 3, "000003"));  // clock + 2
  std::size_t archived = 0;
  ASSERT_TRUE(h.Archive(clock - 1, "20261209", archived).ok());
  EXPECT_EQ(archived, 2u);
  ASSERT_EQ(h.Heads().size(), 1u);
  EXPECT_EQ(h.Heads()[0].number, 3u);
  EXPECT_FALSE(memory.Exists(h.KeptPath("E000001.JPG")));
  EXPECT_EQ(memory.ReadBytes("C:\\VLN2\\HISTORY\\ARCHIVE\\E000001.JPG"), "JPEG1");

  // The archive is a log of the same frames, appended to by a later archive.
  History archive(files, "C:\\VLN2\\HISTORY\\ARCHIVE-READ\\");
  memory.WriteBytes("C:\\VLN2\\HISTORY\\ARCHIVE-READ\\CHANGES.LOG",
                    memory.ReadBytes("C:\\VLN2\\HISTORY\\CHANGES-20261209.LOG"));
  ASSERT_TRUE(archive.Open().ok());
  ASSERT_EQ(archive.Heads().size(), 2u);
  ChangeEntry first;
  ASSERT_TRUE(archive.Read(0, first).ok());
  EXPECT_EQ(first.before, "gone");

  ASSERT_TRUE(h.Archive(clock + 10, "20261209", archived).ok());
  EXPECT_EQ(archived, 1u);
  EXPECT_TRUE(h.Heads().empty());
  memory.WriteBytes("C:\\VLN2\\HISTORY\\ARCHIVE-READ\\CHANGES.LOG",
                    memory.ReadBytes("C:\\VLN2\\HISTORY\\CHANGES-20261209.LOG"));
  History appended(files, "C:\\VLN2\\HISTORY\\ARCHIVE-READ\\");
  ASSERT_TRUE(appended.Open().ok());
  EXPECT_EQ(appended.Heads().size(), 3u);
}

TEST_F(HistoryTest, StampsReadAsTheWallClockWhereTheChangeWasMade) {
  const struct {
    store::ChangeStamp stamp;
    const char* full;
    const char* minutes;
  } cases[] = {
      {{1'796'778'845, 9 * 3600, "", ""}, "2026/12/09 10:14:05 +09:00", "2026/12/09 10:14"},
      {{1'796'778'845, -5 * 3600 - 1800, "", ""}, "2026/12/08 19:44:05 -05:30", "2026/12/08 19:44"},
      {{1'796'778'845, 0, "", ""}, "2026/12/09 01:14:05 +00:00", "2026/12/09 01:14"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(store::StampTimeText(c.stamp), c.full);
    EXPECT_EQ(store::StampTimeText(c.stamp, false), c.minutes);
  }
}

TEST_F(HistoryTest, TheChecksumIsTheStandardCrc32) {
  const struct {
    std::string bytes;
    std::uint32_t crc;
  } cases[] = {
      {"", 0},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
      {std::string(1000, '\0'), 0x060B1780u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(History::Crc32(c.bytes), c.crc) << c.bytes.size();
    // In pieces, carried on from the last.
    const std::size_t half = c.bytes.size() / 2 + 3 > c.bytes.size() ? 0 : c.bytes.size() / 2 + 3;
    EXPECT_EQ(History::Crc32(std::string_view(c.bytes).substr(half),
                             History::Crc32(std::string_view(c.bytes).substr(0, half))),
              c.crc);
  }
}

}  // namespace
