// Times the search and the list views on generated examinations against
// floors measured in the same round, and prints ratios (min and median):
//   SearchRecords for a selective, a prefix and a broad criterion on 100,000
//   examinations against one sequential read of the data file plus one write
//   of the hits;
//   一覧 (copy to the working file over the one a previous list left, count,
//   first page drawn) on 999,999 examinations against a plain copy of the
//   file to a new file;
//   one page step of the list views, drawn into both views.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSlider>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "bench/support/search_mix.h"
#include "forms/list_pages.h"
#include "platform/progress.h"
#include "platform/ui.h"
#include "store/list_pages.h"
#include "store/search.h"
#include "store/store.h"
#include "store/text_format.h"
#include "views/list_view1.h"
#include "views/list_views.h"

namespace {

namespace fs = std::filesystem;
using bench::Check;
using bench::RawRead;
using bench::Seconds;

constexpr const char* kAbout =
    "Times the search, 一覧 and the page step of the list views against floors of the same run.";

// One write of `bytes` bytes in 1 MiB pieces, as a file of hits would be.
void RawWrite(const fs::path& path, std::size_t bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Check(fd >= 0, "open for write");
  std::vector<char> buffer(1024 * 1024, ' ');
  for (std::size_t done = 0; done < bytes;) {
    const std::size_t n = std::min(buffer.size(), bytes - done);
    Check(::write(fd, buffer.data(), n) == static_cast<ssize_t>(n), "write");
    done += n;
  }
  ::close(fd);
}

// The data file reshaped to the mix a search is timed on.
void Reshape(const fs::path& dataFile) {
  std::string bytes(fs::file_size(dataFile), ' ');
  {
    const int fd = ::open(dataFile.c_str(), O_RDONLY);
    Check(fd >= 0 && ::read(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
          "read data file");
    ::close(fd);
  }
  bench::ReshapeForSearch(bytes, false);
  const int fd = ::open(dataFile.c_str(), O_WRONLY | O_TRUNC);
  Check(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
        "write data file");
  ::close(fd);
}

// A progress that costs what the window's costs between two redraws.
class CountingProgress : public platform::Progress {
 public:
  void BeginPhase(std::string_view, int maximum) override { maximum_ = maximum; }
  void Advance(int value) override { last_ = value; }
  void Hide() override {}
  int last_ = 0, maximum_ = 0;
};

class SilentUi : public platform::Ui {
 public:
  int MsgBox(std::string_view, int, std::string_view) override { return platform::kAnswerOk; }
  void DoEvents() override {}
  void SetBusyCursor(bool) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path root = bench::FreshFolder(options.parent, "velunor-lists-bench");
  const int kExams = options.Records(100000);
  bench::GenerateDrive(root / "search", {kExams, 1000, 2006u});
  platform::PosixFileSystem files{bench::ProgramDrive(root / "search")};
  const fs::path dataFile = files.HostPath(store::kDataFile);
  Reshape(dataFile);
  std::printf("== %d examinations (%.1f MB data file)\n", kExams,
              static_cast<double>(fs::file_size(dataFile)) / 1e6);
  bench::PrintLoad();

  store::Store s(files);
  Check(s.StartUp().ok(), "start-up");
  Check(s.RecordCount() == kExams, "count");
  // Every floor writes a new file of its own, removed after its timing.
  int scratchFiles = 0;
  auto scratch = [&] { return root / ("floor-" + std::to_string(++scratchFiles) + ".out"); };

  struct Case {
    const char* what;
    store::SearchCriteria criteria;
  };
  const Case cases[] = {
      {"year 2004", {.year = "2004"}},
      {"name 山", {.name = "山"}},
      {"arrhythmia 心房", {.arrhythmia = "心房"}},
  };
  for (const Case& c : cases) {
    std::int32_t hits = 0;
    CountingProgress progress;
    bench::Runs search, floor;
    for (int run = 0; run < options.runs; ++run) {
      search.Add(Seconds([&] {
        Check(s.RemoveWorkFile().ok(), "remove working file");
        Check(store::SearchRecords(s, c.criteria, progress, hits).ok(), "search");
      }));
      const fs::path out = scratch();
      floor.Add(Seconds([&] {
        RawRead(dataFile);
        RawWrite(out, static_cast<std::size_t>(hits) * store::kExamRecordLength);
      }));
      fs::remove(out);
    }
    const std::string what =
        std::string("SearchRecords ") + c.what + " (" + std::to_string(hits) + " hits)";
    bench::PrintRatio(what.c_str(), search, floor, "<= 2");
  }

  // 一覧 at 999,999 examinations, over the working copy the previous round
  // left (the usual case after a search): the working file made a copy,
  // counted, the first page drawn.
  SilentUi ui;
  QWidget owner;
  {
    const int big = options.Records(999999);
    bench::GenerateDrive(root / "list", {big, 1000, 2007u});
    platform::PosixFileSystem bigFiles{bench::ProgramDrive(root / "list")};
    const fs::path bigData = bigFiles.HostPath(store::kDataFile);
    store::Store bigStore(bigFiles);
    Check(bigStore.StartUp().ok(), "start-up");
    sessions::ExamListSession bigSession(bigStore);
    ListViews bigLists(bigSession, ui, &owner);
    bigLists.showWindow = [](QWidget*) {};
    platform::NoProgress none;
    auto list = [&] {
      Check(bigSession.OpenListOfAllRecords(none).opening == sessions::ListOpening::Opened, "list");
      bigLists.ShowFirstPage();
    };
    list();  // the working copy a previous list leaves
    bench::Runs listed, copied;
    for (int run = 0; run < options.runs; ++run) {
      const fs::path out = scratch();
      copied.Add(Seconds([&] { bench::RawCopy(bigData, out, false); }));
      fs::remove(out);
      listed.Add(Seconds(list));
      Check(bigStore.WorkRecordCount() == big, "list count");
    }
    const std::string what = "一覧 at " + std::to_string(big) + " (copy, count, page 1)";
    bench::PrintRatio(what.c_str(), listed, copied, "<= 1.5");
    bigStore.CloseAllFiles();
  }

  sessions::ExamListSession session(s);
  ListViews lists(session, ui, &owner);
  lists.showWindow = [](QWidget*) {};
  {
    platform::NoProgress none;
    Check(session.OpenListOfAllRecords(none).opening == sessions::ListOpening::Opened, "list");
    lists.ShowFirstPage();
  }

  // One page step, drawn into both views: next page through the list, and
  // jumps of the slider to pages all over it.
  const int steps = options.tiny ? 20 : 400;
  const double perStep = 1.0 / steps;
  const bench::Runs next = bench::Time(options.runs, [&] {
    session.FirstPage();
    for (int i = 0; i < steps; ++i) lists.NextPage();
  });
  std::mt19937 random(9);
  Form5* view = lists.View1();
  const bench::Runs jump = bench::Time(options.runs, [&] {
    for (int i = 0; i < steps; ++i) {
      view->Slider1->setValue(
          1 + static_cast<int>(random() % static_cast<unsigned>(session.Pager().PageCount())));
      lists.SliderPage(view->Slider1->value());
    }
  });
  // The same with list view 1 on screen (offscreen), painted after each step.
  view->show();
  QApplication::processEvents();
  const bench::Runs painted = bench::Time(options.runs, [&] {
    session.FirstPage();
    for (int i = 0; i < steps; ++i) {
      lists.NextPage();
      QApplication::processEvents();
    }
  });
  // The floor of a painted step: the same window repainted whole, with
  // nothing changed.
  const bench::Runs repaint = bench::Time(options.runs, [&] {
    for (int i = 0; i < steps; ++i) {
      view->update();
      QApplication::processEvents();
    }
  });
  bench::PrintTime("page step, next page", next, 1e3 * perStep, "ms per step", "< 4");
  bench::PrintTime("page step, slider jump", jump, 1e3 * perStep, "ms per step", "< 4");
  bench::PrintTime("page step, next page, view painted", painted, 1e3 * perStep, "ms per step",
                   "< 4");
  bench::PrintRatio("  painted step against a repaint", painted, repaint, "none");
  bench::PrintLoad();

  s.CloseAllFiles();
  fs::remove_all(root);  // the fresh folder made above
  return 0;
}
