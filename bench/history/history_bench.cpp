// Times the change history: appending one entry against the floor of one
// write and fsync of the same bytes, and opening the history of one
// examination on a drive with 100,000 examinations and 500,000 entries
// against one sequential read of the log.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/support/floors.h"
#include "store/history.h"
#include "store/records.h"
#include "store/store.h"

namespace {

namespace fs = std::filesystem;
using bench::Check;
using bench::Seconds;

struct Times {
  double min = 0, median = 0;
};

Times Summary(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  return {t.front(), t[t.size() / 2]};
}

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

void Print(const char* what, const Times& t, const Times& floor, int runs) {
  std::printf(
      "%-34s min %9.1f us  median %9.1f us   floor median %9.1f us   ratio %5.2f  (%d runs)\n",
      what, t.min * 1e6, t.median * 1e6, floor.median * 1e6, t.median / floor.median, runs);
}

void BenchAppend(const fs::path& root) {
  fs::create_directories(root / "VLN2");
  platform::PosixFileSystem files{platform::DataDrive(root)};
  store::History history(files);
  Check(history.Open().ok(), "open");
  std::mt19937 random(7);
  const int runs = 200;
  std::vector<double> appends, floors;
  const fs::path floorFile = root / "floor.log";
  const int fd = ::open(floorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  Check(fd >= 0, "open floor");
  for (int i = 0; i < runs; ++i) {
    store::ChangeEntry e = Overwrite(1 + i, random);
    appends.push_back(Seconds([&] { Check(history.Append(e).ok(), "append"); }));
    const std::string frame = store::History::Frame(e);
    floors.push_back(Seconds([&] {
      Check(::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size()), "write");
      Check(::fsync(fd) == 0, "fsync");
    }));
  }
  ::close(fd);
  Print("append one entry", Summary(appends), Summary(floors), runs);
}

void BenchOpen(const fs::path& root, int exams, int entries) {
  // The log written directly, as 500,000 appends would leave it.
  const fs::path log = root / "VLN2" / "HISTORY" / "CHANGES.LOG";
  fs::create_directories(log.parent_path());
  {
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
  }
  std::printf("\n== %d examinations, %d entries (%.1f MB log)\n", exams, entries,
              static_cast<double>(fs::file_size(log)) / 1e6);

  const int runs = 5;
  std::vector<double> opens, lookups, floors;
  platform::PosixFileSystem files{platform::DataDrive(root)};
  for (int i = 0; i < runs; ++i) {
    floors.push_back(Seconds([&] { bench::RawRead(log); }));
    store::History history(files);
    opens.push_back(Seconds([&] { Check(history.Open().ok(), "open"); }));
    Check(history.Heads().size() == static_cast<std::size_t>(entries), "entries");
    // The versions of one examination: found by the index, each read whole.
    lookups.push_back(Seconds([&] {
      for (std::size_t p : history.OfRecord(store::kDataFile, 1234 + i)) {
        store::ChangeEntry e;
        Check(history.Read(p, e).ok(), "read");
      }
    }));
  }
  Print("open: index built from the log", Summary(opens), Summary(floors), runs);
  Print("then one examination's versions", Summary(lookups), Summary(floors), runs);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "usage: history_bench [FOLDER]\n"
        "Times appending a history entry against one write + fsync, and opening the\n"
        "history of one examination (100,000 examinations, 500,000 entries) against one\n"
        "sequential read of the log. Works in a fresh folder under FOLDER (default: the\n"
        "temporary folder) and deletes only that.\n");
    return 0;
  }
  const fs::path root = bench::WorkFolder(argc, argv, "history-bench");
  BenchAppend(root / "append");
  BenchOpen(root / "open", 100000, 500000);
  fs::remove_all(root);
  return 0;
}
