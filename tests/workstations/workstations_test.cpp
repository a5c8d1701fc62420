// Programs on one data drive at the same time, each a process of its own
// with its own working copies: they register, overwrite, delete and sort in
// an order drawn from a seed. Afterwards every registered examination is in
// the file exactly once, every overwrite either stands, was overwritten
// later or was refused, and each program's view equals the file. A program
// killed on the way leaves the file whole and the others go on.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/drive.h"
#include "platform/drive_lock.h"
#include "platform/file_system.h"
#include "sessions/exam_form_session.h"
#include "store/rebuilds.h"
#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/exam_entries.h"
#include "tests/support/records.h"
#include "tests/support/temp_drive.h"

namespace {

using store::ExamField;
using store::ExamRecord;
namespace fs = std::filesystem;

constexpr const char* kOriginalComment = "最初";

unsigned Seed() {
  const char* text = std::getenv("VELUNOR_SEED");
  return text != nullptr ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 26u;
}

// One line per command that took effect, written in one piece so that a
// killed program leaves whole lines: "R id", "D id", "O id token generation",
// and "X" for an overwrite or delete refused because another program was first.
class Log {
 public:
  explicit Log(const fs::path& path)
      : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)) {}
  ~Log() { ::close(fd_); }
  void Line(const std::string& line) {
    const std::string whole = line + "\n";
    (void)!::write(fd_, whole.data(), whole.size());
  }

 private:
  int fd_;
};

std::string SixDigits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", n);
  return text;
}

using testing_support::EntryOf;

std::vector<ExamRecord> FileRecords(const fs::path& root) {
  std::ifstream in(root / "VLN2" / "VLN2.ekg", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return testing_support::ExamsOf(bytes.str());
}

// The program of one workstation: `ops` commands, then (told by the parent
// that every other program is done) a last look whose view must equal the
// file. Exits 0 when it did.
[[noreturn]] void RunWorkstation(const fs::path& root, int index, int ops, unsigned seed,
                                 int doneFd, int goFd) {
  platform::DataDrive drive(root);
  drive.SetWorkingCopyFolder(root / ".velunor2-workstations" / std::to_string(index));
  fs::create_directories(drive.WorkingCopyFolder());
  platform::PosixFileSystem files(drive);
  platform::DriveLock lock;
  if (lock.Acquire(root) != platform::LockOutcome::kHeld) ::_exit(2);
  store::Store store(files);
  store.SetDriveLock(&lock);
  if (platform::Status s = store.StartUp(); !s.ok()) {
    std::fprintf(stderr, "program %d could not start (%d): %s\n", index, s.error,
                 store.StartUpMessage().c_str());
    ::_exit(3);
  }
  sessions::ExamFormSession form(store);
  Log log(root / ("log" + std::to_string(index)));
  std::mt19937 random(seed * 7919u + static_cast<unsigned>(index));
  platform::NoProgress progress;

  for (int i = 0; i < ops; ++i) {
    (void)form.Refresh(false);  // the idle look of the window
    const int count = form.RecordCount();
    const unsigned kind = random() % 10;
    if (kind < 4 || count == 0) {
      const std::string id = SixDigits(100000 + index * 10000 + i);
      form.StartNewExamination();
      ExamRecord record = testing_support::Exam(1)
                              .With(ExamField::PatientId, id)
                              .With(ExamField::ImageName, "W" + id)
                              .With(ExamField::Comment, kOriginalComment);
      if (form.RegisterNew(EntryOf(record), {}).after == sessions::FormAfter::NewExamination) {
        log.Line("R " + id);
      }
    } else if (kind < 9) {
      const int n = 1 + static_cast<int>(random() % static_cast<unsigned>(count));
      const sessions::ShownExamination shown = form.ShowExamination(n);
      if (!shown.read) continue;
      const std::string id(store::TrimBlanks(shown.record.Get(ExamField::PatientId)));
      if (kind < 7) {
        const std::string token = "W" + std::to_string(index) + "-" + std::to_string(i);
        ExamRecord changed = shown.record;
        changed.Set(ExamField::Comment, token);
        const sessions::FormChange done = form.Overwrite(EntryOf(changed), {});
        log.Line(done.Silent()
                     ? "O " + id + " " + token + " " + std::to_string(store.SeenGeneration())
                     : "X");
      } else {
        log.Line("d " + id);  // a program killed now may or may not have deleted it
        const sessions::FormChange done = form.Delete(progress);
        const bool deleted = !done.messages.empty() && done.messages[0].text == "削除終了。";
        log.Line(deleted ? "D " + id : "X");
      }
    } else {
      // A rebuild of the whole file: the examinations in ID order.
      const store::Store::DriveScope held = store.Changing(true);
      std::vector<std::pair<std::string, std::int32_t>> ids;
      ExamRecord record;
      for (std::int32_t n = 1; n <= store.RecordCount(); ++n) {
        if (!store.ReadExamination(n, record).ok()) ::_exit(4);
        ids.emplace_back(record.Get(ExamField::PatientId), n);
      }
      std::sort(ids.begin(), ids.end());
      std::vector<std::int32_t> positions;
      for (const auto& [id, n] : ids) positions.push_back(n);
      if (!store::ReorderByPositions(store, store::Staging::WorkFile, positions).ok()) ::_exit(5);
    }
  }
  const char done = static_cast<char>('0' + index);
  (void)!::write(doneFd, &done, 1);
  char go = 0;
  if (::read(goFd, &go, 1) != 1) ::_exit(6);
  (void)form.Refresh(false);
  const std::vector<ExamRecord> file = FileRecords(root);
  if (form.RecordCount() != static_cast<int>(file.size())) ::_exit(7);
  ExamRecord seen;
  for (std::int32_t n = 1; n <= form.RecordCount(); ++n) {
    if (!store.ReadExamination(n, seen).ok() || seen.Bytes() != file[n - 1].Bytes()) {
      std::fprintf(stderr,
                   "program %d sees record %d of %d (generation %llu, drive %llu) as\n[%s]\n"
                   "but the file holds\n[%s]\n",
                   index, n, form.RecordCount(),
                   static_cast<unsigned long long>(store.SeenGeneration()),
                   static_cast<unsigned long long>(lock.Generation()),
                   std::string(seen.Bytes().substr(0, 120)).c_str(),
                   std::string(file[n - 1].Bytes().substr(0, 120)).c_str());
      ::_exit(8);
    }
  }
  ::_exit(0);
}

struct Overwrite {
  std::string token;
  unsigned long long generation = 0;
};

struct Logged {
  std::multiset<std::string> registered, deleted, deleting;
  std::map<std::string, std::vector<Overwrite>> overwrites;
  int refused = 0;
};

void ReadLog(const fs::path& path, Logged& into) {
  std::ifstream in(path);
  std::string kind;
  while (in >> kind) {
    if (kind == "X") {
      ++into.refused;
      continue;
    }
    std::string id;
    in >> id;
    if (kind == "R") into.registered.insert(id);
    if (kind == "D") into.deleted.insert(id);
    if (kind == "d") into.deleting.insert(id);
    if (kind == "O") {
      Overwrite o;
      in >> o.token >> o.generation;
      into.overwrites[id].push_back(o);
    }
  }
}

struct Run {
  int programs;
  int ops;
  bool killOne;
};

// Runs the programs and checks the file; `killed` is the index of the one
// killed, or -1.
void RunAndCheck(const Run& run) {
  testing_support::TempDrive drive;
  const fs::path root = drive.Root();
  fs::create_directories(root / "VLN2");
  {
    // Five examinations of an earlier day to start from.
    std::vector<ExamRecord> seed;
    for (int n = 1; n <= 5; ++n) {
      seed.push_back(testing_support::Exam(n).With(ExamField::Comment, kOriginalComment));
    }
    std::ofstream(root / "VLN2" / "VLN2.ekg", std::ios::binary) << testing_support::FileBytes(seed);
  }
  const unsigned seed = Seed();
  std::mt19937 random(seed);
  int done[2];
  ASSERT_EQ(::pipe(done), 0);
  std::vector<int> go(run.programs);
  std::vector<pid_t> pids;
  for (int i = 0; i < run.programs; ++i) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) RunWorkstation(root, i, run.ops, seed, done[1], pipeFds[0]);
    ::close(pipeFds[0]);
    go[i] = pipeFds[1];
    pids.push_back(pid);
  }
  // Only the programs keep the write end: one that ends early makes the read
  // below see the end of the pipe instead of waiting for ever.
  ::close(done[1]);
  int killed = -1;
  if (run.killOne) {
    killed = static_cast<int>(random() % static_cast<unsigned>(run.programs));
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 200));
    ::kill(pids[killed], SIGKILL);
    int status = 0;
    ::waitpid(pids[killed], &status, 0);
  }
  // Every program but the killed one says it is done (the killed one may
  // have said so too before it was killed).
  std::set<int> working;
  for (int i = 0; i < run.programs; ++i) {
    if (i != killed) working.insert(i);
  }
  std::map<int, int> endedEarly;  // program → wait status
  while (!working.empty()) {
    pollfd ready{done[0], POLLIN, 0};
    if (::poll(&ready, 1, 100) == 1) {
      char d = 0;
      if (::read(done[0], &d, 1) == 1) working.erase(d - '0');
      continue;
    }
    for (auto i = working.begin(); i != working.end();) {
      int status = 0;
      if (::waitpid(pids[*i], &status, WNOHANG) == pids[*i]) {
        endedEarly[*i] = status;
        i = working.erase(i);
      } else {
        ++i;
      }
    }
  }
  for (const auto& [i, status] : endedEarly) {
    ADD_FAILURE() << "program " << i << " (seed " << seed << ") ended before it was done with "
                  << status;
  }
  std::signal(SIGPIPE, SIG_IGN);  // a program that ended early is seen below
  for (int i = 0; i < run.programs; ++i) {
    if (i != killed) (void)!::write(go[i], "g", 1);
    ::close(go[i]);
  }
  for (int i = 0; i < run.programs; ++i) {
    if (i == killed || endedEarly.count(i) != 0) continue;
    int status = 0;
    ::waitpid(pids[i], &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "program " << i << " (seed " << seed << ") ended with " << status;
  }
  ::close(done[0]);

  // The file is whole: whole records, numbered in order.
  const std::uintmax_t bytes = fs::file_size(root / "VLN2" / "VLN2.ekg");
  EXPECT_EQ(bytes % store::kExamRecordLength, 0u);
  const std::vector<ExamRecord> file = FileRecords(root);
  std::map<std::string, int> present;
  std::map<std::string, std::string> comments;
  for (std::size_t n = 0; n < file.size(); ++n) {
    EXPECT_EQ(std::stoi(file[n].Get(ExamField::RecordNo)), static_cast<int>(n + 1));
    const std::string id(store::TrimBlanks(file[n].Get(ExamField::PatientId)));
    ++present[id];
    comments[id] = file[n].Get(ExamField::Comment);
  }
  for (const auto& [id, times] : present) EXPECT_EQ(times, 1) << id << " (seed " << seed << ")";

  Logged logged, ofKilled;
  for (int i = 0; i < run.programs; ++i) {
    ReadLog(root / ("log" + std::to_string(i)), i == killed ? ofKilled : logged);
  }
  // What the killed program logged took effect; a delete it had begun may
  // have taken effect without its line.
  logged.registered.insert(ofKilled.registered.begin(), ofKilled.registered.end());
  logged.deleted.insert(ofKilled.deleted.begin(), ofKilled.deleted.end());
  for (auto& [id, list] : ofKilled.overwrites) {
    logged.overwrites[id].insert(logged.overwrites[id].end(), list.begin(), list.end());
  }
  logged.refused += ofKilled.refused;
  const std::string killedMark = "W" + std::to_string(killed) + "-";
  int registered = 0, overwritten = 0;
  for (const std::string& id : logged.registered) {
    ++registered;
    if (logged.deleted.count(id) == 0 && ofKilled.deleting.count(id) != 0) continue;
    EXPECT_EQ(present.count(id), logged.deleted.count(id) == 0 ? 1u : 0u) << id;
  }
  for (const std::string& id : logged.deleted) {
    EXPECT_EQ(logged.deleted.count(id), 1u) << id << " deleted twice";
    EXPECT_EQ(present.count(id), 0u) << id;
  }
  for (const auto& [id, list] : logged.overwrites) {
    overwritten += static_cast<int>(list.size());
    if (present.count(id) == 0) continue;
    const auto last = std::max_element(
        list.begin(), list.end(),
        [](const Overwrite& a, const Overwrite& b) { return a.generation < b.generation; });
    // The last overwrite stands, unless the killed program changed it after
    // logging its last line.
    if (comments[id] != last->token) {
      EXPECT_TRUE(killed >= 0 && comments[id].starts_with(killedMark))
          << id << ": " << comments[id] << " instead of " << last->token << " (seed " << seed
          << ")";
    }
  }
  std::printf(
      "%d programs%s: %d registered, %d overwritten, %zu deleted, %d refused as changed "
      "elsewhere, %zu in the file\n",
      run.programs, killed >= 0 ? " (one killed)" : "", registered, overwritten,
      logged.deleted.size(), logged.refused, file.size());
}

TEST(Workstations, TwoProgramsOnOneDriveLoseNothing) { RunAndCheck({2, 60, false}); }

TEST(Workstations, FourProgramsOnOneDriveLoseNothing) { RunAndCheck({4, 40, false}); }

TEST(Workstations, AKilledProgramLeavesTheFileWholeAndTheOthersGoOn) { RunAndCheck({4, 40, true}); }

}  // namespace
