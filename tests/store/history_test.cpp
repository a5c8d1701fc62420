// The history log on its own: entries read back as written, a damaged tail
// ignored and written over, the index and its file, the archive.

#include "store/history.h"

#include "store/store.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
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

namespace {

// What an open history knows of each entry, to compare two opens by.
std::vector<std::string> HeadsOf(const History& h) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < h.Heads().size(); ++i) {
    const store::EntryHead& e = h.Heads()[i];
    out.push_back(std::to_string(e.number) + "@" + std::to_string(e.offset) + " " +
                  std::to_string(e.time) + " " + std::string(store::ChangeKindText(e.kind)) + " " +
                  std::string(e.file) + " " + std::to_string(e.record) + " " +
                  std::string(h.PatientIdOf(i)) + " ->" + std::to_string(e.target));
  }
  return out;
}

}  // namespace

TEST_F(HistoryTest, TheIndexFileAgreesWithTheLogWhateverBecameOfIt) {
  struct Case {
    const char* what;
    // Changes the index file (given the log) after the last append.
    std::function<void(testing_support::MemoryFileSystem&, const std::string& index)> damage;
    std::size_t fromIndexFile;  // of the 40 entries, when the history opens again
  } cases[] = {
      {"left as written", [](auto&, const std::string&) {}, 40},
      {"deleted",
       [](auto& m, const std::string&) { ASSERT_TRUE(m.Delete(store::kHistoryIndexFile).ok()); },
       0},
      {"a torn last entry",
       [](auto& m, const std::string& i) {
         m.WriteBytes(store::kHistoryIndexFile, i.substr(0, i.size() - 9));
       },
       39},
      {"a flipped byte in entry 30",
       [](auto& m, const std::string& i) {
         std::string d = i;
         d[29 * 64 + 20] ^= 0x01;
         m.WriteBytes(store::kHistoryIndexFile, d);
       },
       29},
      {"older than the log (25 entries)",
       [](auto& m, const std::string& i) {
         m.WriteBytes(store::kHistoryIndexFile, i.substr(0, 25 * 64));
       },
       25},
      {"garbage after its entries",
       [](auto& m, const std::string& i) {
         m.WriteBytes(store::kHistoryIndexFile, i + std::string(200, 'x'));
       },
       40},
      {"from another log (entries shifted by one)",
       [](auto& m, const std::string& i) {
         // Right checksums, wrong offsets: the first entry no longer starts
         // the log.
         m.WriteBytes(store::kHistoryIndexFile, i.substr(64));
       },
       0},
      {"newer than the log (its last frame since taken back)",
       [](auto& m, const std::string&) {
         std::string log = m.ReadBytes(store::kHistoryFile);
         History other(m);
         ASSERT_TRUE(other.Open().ok());
         const std::uint64_t last = other.Heads().back().offset;
         m.WriteBytes(store::kHistoryFile, log.substr(0, last));
       },
       39},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memory.WriteBytes(store::kHistoryFile, "");
    memory.WriteBytes(store::kHistoryIndexFile, "");
    Fresh();
    // Random appends, some with kept files and long bytes, some taken back.
    std::mt19937 random(5);
    while (log->Heads().size() < 40) {
      ChangeEntry e = Entry(static_cast<ChangeKind>(1 + random() % 12), 1 + random() % 9,
                            std::to_string(100000 + random() % 5), std::string(random() % 900, 'b'),
                            std::string(random() % 900, 'a'));
      if (random() % 4 == 0) e.file = store::kMasterFile;
      if (random() % 5 == 0) e.kept = {{History::KeptName(log->NextNumber(), ".JPG"), "C:\\X.jpg"}};
      Append(e);
      if (random() % 7 == 0) {
        ASSERT_TRUE(log->TakeBackLast().ok());
      }
    }
    const std::vector<std::string> written = HeadsOf(*log);
    const std::string index = memory.ReadBytes(store::kHistoryIndexFile);
    ASSERT_EQ(index.size(), 40u * 64);
    c.damage(memory, index);
    ASSERT_TRUE(Fresh().Open().ok());
    EXPECT_EQ(log->EntriesFromIndexFile(), c.fromIndexFile);
    // What it knows equals a rebuild from the log alone, and the index file
    // was brought up to date as such a rebuild writes it.
    const std::vector<std::string> opened = HeadsOf(*log);
    // A look at the history does not make a missing index file.
    const bool indexFile = memory.Exists(store::kHistoryIndexFile);
    EXPECT_EQ(indexFile, std::string(c.what) != "deleted");
    const std::string repaired = memory.ReadBytes(store::kHistoryIndexFile);
    memory.WriteBytes(store::kHistoryIndexFile, "");
    History rebuilt(files);
    ASSERT_TRUE(rebuilt.Open().ok());
    EXPECT_EQ(rebuilt.EntriesFromIndexFile(), 0u);
    EXPECT_EQ(opened, HeadsOf(rebuilt));
    if (indexFile) {
      EXPECT_EQ(repaired, memory.ReadBytes(store::kHistoryIndexFile));
    }
    EXPECT_EQ(log->OfRecord(store::kDataFile, 3), rebuilt.OfRecord(store::kDataFile, 3));
    EXPECT_EQ(log->OfPatient("100002"), rebuilt.OfPatient("100002"));
    if (c.fromIndexFile == 40) {
      EXPECT_EQ(opened, written);
    }
  }
}
