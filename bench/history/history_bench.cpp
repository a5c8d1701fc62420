// Times the change history: appending one entry against the floor of one
// write and fsync of the same bytes, and opening the history of one
// examination on a drive with 100,000 examinations and 500,000 entries
// (the first use after the program starts) against one sequential read of
// the log.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/support/floors.h"
#include "store/history.h"
#include "store/records.h"
#include "store/store.h"

namespace {

namespace fs = std::filesystem;
using bench::Check;
using bench::Seconds;

store::ChangeEntry Overwrite(int record, std::mt19937& random) {
  store::ChangeEntry e;
  e.kind = store::ChangeKind::Overwrite;
  e.file = store::kDataFile;
  e.record = record;
  e.countBefore = 100000;
  char id[16];
  std::snprintf(id, sizeof id, "%06d", static_cast<int>(random() % 50000));
  e.patientId = id;
  e.name = "山田 太郎";
  e.before.assign(store::kExamRecordLength, ' ');
  e.after.assign(store::kExamRecordLength, ' ');
  for (std::size_t i = 0; i < 200; ++i) {
    e.before[i] = static_cast<char>('A' + random() % 26);
    e.after[i] = static_cast<char>('A' + random() % 26);
  }
  return e;
}

void BenchAppend(const fs::path& root, int runs) {
  fs::create_directories(root / "VLN2");
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  store::History history(files);
  Check(history.Open().ok(), "open");
  std::mt19937 random(7);
  bench::Runs appends, floors;
  const fs::path floorFile = root / "floor.log";
  const int fd = ::open(floorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  Check(fd >= 0, "open floor");
  for (int i = 0; i < runs; ++i) {
    store::ChangeEntry e = Overwrite(1 + i, random);
    appends.Add(Seconds([&] { Check(history.Append(e).ok(), "append"); }));
    const std::string frame = store::History::Frame(e);
    floors.Add(Seconds([&] {
      Check(::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size()), "write");
      Check(::fsync(fd) == 0, "fsync");
    }));
  }
  ::close(fd);
  bench::PrintRatio("append one entry", appends, floors, "one fsync: ratio near 1");
}

// The log written directly, as `entries` appends would leave it, with no
// index file beside it.
fs::path WriteLog(const fs::path& root, int exams, int entries) {
  const fs::path log = root / "VLN2" / "HISTORY" / "CHANGES.LOG";
  fs::create_directories(log.parent_path());
  std::mt19937 random(11);
  std::string chunk;
  const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Check(fd >= 0, "open log");
  for (int i = 0; i < entries; ++i) {
    store::ChangeEntry e = Overwrite(1 + static_cast<int>(random() % exams), random);
    e.number = static_cast<std::uint64_t>(i + 1);
    e.stamp = {1'796'000'000 + i, 9 * 3600, "tanaka", "clinic-pc"};
    chunk += store::History::Frame(e);
    if (chunk.size() > (8u << 20) || i + 1 == entries) {
      Check(::write(fd, chunk.data(), chunk.size()) == static_cast<ssize_t>(chunk.size()),
            "write log");
      chunk.clear();
    }
  }
  ::close(fd);
  return log;
}

// Opening the history as the first F9 after the program starts does, and
// reading every version of one examination.
void OpenAndRead(platform::FileSystem& files, int record, std::size_t entries) {
  store::History history(files);
  Check(history.Open().ok(), "open");
  Check(history.Heads().size() == entries, "entries");
  for (std::size_t p : history.OfRecord(store::kDataFile, record)) {
    store::ChangeEntry e;
    Check(history.Read(p, e).ok(), "read");
  }
}

void BenchOpen(const fs::path& root, int exams, int entries, int runs) {
  const fs::path log = WriteLog(root, exams, entries);
  const fs::path index = log.parent_path() / "CHANGES.IDX";
  std::printf("\n== %d examinations, %d entries (%.1f MB log)\n", exams, entries,
              static_cast<double>(fs::file_size(log)) / 1e6);
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  const auto count = static_cast<std::size_t>(entries);

  bench::Runs rebuilds, rebuildFloors;
  for (int i = 0; i < runs; ++i) {
    fs::remove(index);
    rebuildFloors.Add(Seconds([&] { bench::RawRead(log); }));
    rebuilds.Add(Seconds([&] { OpenAndRead(files, 1 + (1234 + i) % exams, count); }));
  }
  // A look leaves no index file behind; the next change writes it.
  const auto appendOne = [&](int i) {
    store::History other(files);
    Check(other.Open().ok(), "open other");
    std::mt19937 random(static_cast<unsigned>(i));
    store::ChangeEntry e = Overwrite(1 + i % exams, random);
    Check(other.Append(e).ok(), "append other");
  };
  appendOne(runs);
  const std::size_t indexed = count + 1;
  Check(fs::exists(index), "index file written by a change");
  std::printf("index file: %.1f MB\n", static_cast<double>(fs::file_size(index)) / 1e6);

  bench::Runs opens, floors, tails;
  for (int i = 0; i < runs; ++i) {
    floors.Add(Seconds([&] { bench::RawRead(log); }));
    opens.Add(Seconds([&] { OpenAndRead(files, 1 + (2345 + i) % exams, indexed); }));
  }
  // Another workstation's change since: its entry is only in the log.
  for (int i = 0; i < runs; ++i) {
    appendOne(i);
    const std::uintmax_t length = fs::file_size(index);
    fs::resize_file(index, length - 64);
    tails.Add(Seconds([&] {
      OpenAndRead(files, 1 + (3456 + i) % exams, indexed + 1 + static_cast<std::size_t>(i));
    }));
  }
  bench::PrintRatio("open + one exam, no index file", rebuilds, rebuildFloors,
                    "the index file is built once");
  bench::PrintRatio("open + one exam, index file", opens, floors, "< 100 ms");
  bench::PrintRatio("open + one exam, one entry beyond", tails, floors, "< 100 ms");
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options o = bench::ParseOptions(
      argc, argv,
      "Times appending a history entry against one write + fsync of the same bytes, and\n"
      "opening the history of one examination (100,000 examinations, 500,000 entries;\n"
      "--records sets the examinations, five entries each) against one sequential read\n"
      "of the log: with no index file beside the log, with one, and with one entry\n"
      "written by another workstation beyond it.");
  const int exams = o.Records(100000);
  const fs::path root = bench::FreshFolder(o.parent, "history-bench");
  bench::PrintLoad();
  BenchAppend(root / "append", o.tiny ? 10 : 40 * o.runs);
  BenchOpen(root / "open", exams, 5 * exams, o.runs);
  fs::remove_all(root);
  return 0;
}
