// Sorts a generated 100,000-examination data file by ID and by date, and a
// 100,000-patient master by ID (as the bulk registration re-sorts it: a few
// patients out of order at the end), through the sort component, end to end,
// against the floor of the same round: two sequential reads and one durable
// write of the same file. Every round runs in a fresh process, so that each
// round's first sort is the first sort of a program run.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "platform/ui.h"
#include "store/sort_file.h"
#include "store/store.h"
#include "widgets/progress_window.h"

namespace {

namespace fs = std::filesystem;
using bench::Check;

constexpr const char* kAbout =
    "Times the sorts of the examination file (by ID, by date) and of the patient master\n"
    "through the sort component against two reads and one durable write of the same file.";

// Answers Yes to the question and accepts the closing box; any other box
// ends the run.
class BenchUi : public platform::Ui {
 public:
  int MsgBox(std::string_view prompt, int, std::string_view) override {
    if (prompt != "終了。" && prompt.find("並べ替え") == std::string_view::npos) {
      std::fprintf(stderr, "unexpected box: %.*s\n", static_cast<int>(prompt.size()),
                   prompt.data());
      std::exit(1);
    }
    return platform::kAnswerYes;
  }
  void DoEvents() override { QApplication::processEvents(); }
  void SetBusyCursor(bool) override {}
};

// Two reads of `file` and a durable write of it to a scratch file of its
// own, removed after the timing.
double Floor(const fs::path& file, const fs::path& scratch) {
  const double seconds = bench::Seconds([&] {
    bench::RawRead(file);
    bench::RawCopy(file, scratch, true);
  });
  fs::remove(scratch);
  return seconds;
}

// Moves every 9,973rd patient (at most ten) to the end of the master, out of
// ID order, as a bulk registration leaves them before its re-sort.
void UnsortMaster(const fs::path& master) {
  std::string bytes(fs::file_size(master), ' ');
  const int in = ::open(master.c_str(), O_RDONLY);
  Check(in >= 0 && ::read(in, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
        "read master");
  ::close(in);
  std::string kept, moved;
  const std::size_t length = store::kPatientRecordLength;
  for (std::size_t k = 0; k < bytes.size() / length; ++k) {
    ((k + 1) % 9973 == 0 && moved.size() < 10 * length ? moved : kept)
        .append(bytes, k * length, length);
  }
  bytes = kept + moved;
  const int out = ::open(master.c_str(), O_WRONLY | O_TRUNC);
  Check(out >= 0 && ::write(out, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
        "write master");
  ::close(out);
}

// One round in this process: each sort and its floor, printed as
// "name sort-seconds floor-seconds" lines.
int Round(const fs::path& root, int round) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "sort_data_file_bench";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  const fs::path dataFile = files.HostPath(store::kDataFile);
  const fs::path masterFile = files.HostPath(store::kMasterFile);
  UnsortMaster(masterFile);
  store::Store store(files);
  Check(store.StartUp().ok(), "start-up");
  BenchUi ui;
  Dialog2 progress;
  store::SortKey masterKey = store::kPatientsById;
  const std::pair<const store::SortKey*, const char*> sorts[] = {
      {round % 2 == 0 ? &store::kExamsById : &store::kExamsByDate, "first"},
      {round % 2 == 0 ? &store::kExamsByDate : &store::kExamsById, "second"},
      {&masterKey, "master"}};
  for (const auto& [key, what] : sorts) {
    const bool exams = key != &masterKey;
    const fs::path& file = exams ? dataFile : masterFile;
    const double floor = Floor(file, root / ("floor-" + std::string(what)));
    store::SortOutcome outcome{};
    const double sort =
        bench::Seconds([&] { outcome = store::SortFile(store, ui, progress, *key); });
    Check(outcome == store::SortOutcome::Sorted, "sort");
    std::printf("%s %s %.6f %.6f\n", what, key == &store::kExamsById ? "id" : "date", sort, floor);
  }
  store.CloseAllFiles();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--round") return Round(argv[2], std::atoi(argv[3]));
  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  const int records = std::min(options.Records(100000), 100000);
  const fs::path root = bench::FreshFolder(options.parent, "velunor-sort-bench");
  bench::GenerateDrive(root, {records, records, 4242u});
  std::printf("== %d examinations (%.1f MB), %d patients; every round in a fresh process\n",
              records, static_cast<double>(fs::file_size(root / "VLN2" / "VLN2.ekg")) / 1e6,
              records);
  bench::PrintLoad();

  std::map<std::string, std::pair<bench::Runs, bench::Runs>> times;
  for (int round = 0; round < options.runs; ++round) {
    const std::string command =
        "'" + std::string(argv[0]) + "' --round '" + root.string() + "' " + std::to_string(round);
    FILE* pipe = ::popen(command.c_str(), "r");
    Check(pipe != nullptr, "start a round");
    char what[16], key[8];
    double sort = 0, floor = 0;
    while (std::fscanf(pipe, "%15s %7s %lf %lf", what, key, &sort, &floor) == 4) {
      const bool master = std::string(what) == "master";
      const std::string name = master ? "master (bulk re-sort)" : std::string("exams by ") + key;
      times[name].first.Add(sort);
      times[name].second.Add(floor);
      if (std::string(what) == "first") {
        times["exams, first sort of a run"].first.Add(sort);
        times["exams, first sort of a run"].second.Add(floor);
      }
    }
    Check(::pclose(pipe) == 0, "round");
  }
  for (const auto& [name, runs] : times) {
    bench::PrintRatio(name.c_str(), runs.first, runs.second, "<= 2.5");
  }
  bench::PrintLoad();
  fs::remove_all(root);  // the fresh folder made above
  return 0;
}
