// Sorts a generated 100,000-examination data file by ID and by date, and a
// 100,000-patient master by ID, through the sort component, end to end,
// against the floor of the same run: two sequential reads and one flushed
// write of the same file.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/generator/generator.h"
#include "platform/ui.h"
#include "store/sort_file.h"
#include "store/store.h"
#include "widgets/progress_window.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Answers Yes to the question and counts the other boxes.
class BenchUi : public platform::Ui {
 public:
  int MsgBox(std::string_view prompt, int, std::string_view) override {
    if (prompt != "終了。" && prompt.find("並べ替えます") == std::string_view::npos) {
      std::fprintf(stderr, "unexpected box: %.*s\n", static_cast<int>(prompt.size()),
                   prompt.data());
      std::exit(1);
    }
    marks.push_back(Clock::now());
    return platform::kAnswerYes;
  }
  void DoEvents() override {
    marks.push_back(Clock::now());
    QApplication::processEvents();
  }
  std::vector<Clock::time_point> marks;  // the start of each phase
  void SetBusyCursor(bool) override {}
};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

double Floor(const fs::path& file, const fs::path& scratch) {
  const auto start = Clock::now();
  std::vector<char> buffer(64 * 1024);
  for (int pass = 0; pass < 2; ++pass) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
  }
  const int in = ::open(file.c_str(), O_RDONLY);
  const int out = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (ssize_t got; (got = ::read(in, buffer.data(), buffer.size())) > 0;) {
    if (::write(out, buffer.data(), static_cast<std::size_t>(got)) != got) std::exit(1);
  }
  ::fsync(out);
  ::close(in);
  ::close(out);
  const double seconds = Seconds(start);
  fs::remove(scratch);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path root = fs::temp_directory_path() / "velunor-sort-bench";
  fs::remove_all(root);
  bench::GenerateDrive(root, {100000, 100000, 4242u});

  platform::PosixFileSystem files{platform::DataDrive(root)};
  store::Store store(files);
  if (!store.StartUp().ok()) return 1;
  BenchUi ui;
  Dialog2 progress;
  const fs::path dataFile = files.HostPath(store::kDataFile);

  std::printf("sorting %d examinations (%.1f MB)\n", store.RecordCount(),
              static_cast<double>(fs::file_size(dataFile)) / 1e6);
  for (auto [key, name] :
       {std::pair{&store::kExamsById, "by ID  "}, std::pair{&store::kExamsByDate, "by date"}}) {
    const double floor = Floor(dataFile, root / "floor.ekg");
    ui.marks.clear();
    const auto start = Clock::now();
    if (store::SortFile(store, ui, progress, *key) != store::SortOutcome::Sorted) {
      std::fprintf(stderr, "sort failed\n");
      return 1;
    }
    const double sort = Seconds(start);
    std::printf("%s  %8.1f ms   floor %8.1f ms   ratio %5.2f   (goal <= 3)\n", name, sort * 1e3,
                floor * 1e3, sort / floor);
    // marks: question, read phase, write phase, "終了。"
    if (ui.marks.size() == 4) {
      auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
      };
      std::printf("         read + component %7.1f ms, write phase %7.1f ms\n",
                  ms(ui.marks[1], ui.marks[2]), ms(ui.marks[2], ui.marks[3]));
    }
  }

  // The patient master, through the same caller: sixteen-character lines.
  const fs::path masterFile = files.HostPath(store::kMasterFile);
  store::SortKey masterKey = store::kPatientsById;
  masterKey.question = "患者マスタを並べ替えます";
  const double masterFloor = Floor(masterFile, root / "floor.masta");
  const auto start = Clock::now();
  if (store::SortFile(store, ui, progress, masterKey) != store::SortOutcome::Sorted) {
    std::fprintf(stderr, "master sort failed\n");
    return 1;
  }
  const double masterSort = Seconds(start);
  std::printf("master   %8.1f ms   floor %8.1f ms   ratio %5.2f   (%d patients)\n",
              masterSort * 1e3, masterFloor * 1e3, masterSort / masterFloor, store.PatientCount());
  store.CloseAllFiles();
  fs::remove_all(root);
  return 0;
}
