// Times the search and the list views on 100,000 generated examinations
// against floors measured in the same run, and prints ratios:
//   SearchRecords for a selective, a prefix and a broad criterion against one
//   sequential read of the data file plus one write of the hits;
//   一覧 (copy to the working file, count, first page drawn) against a plain
//   copy of the file;
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

#include "bench/generator/generator.h"
#include "bench/support/floors.h"
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
using bench::Best;
using bench::Check;
using bench::RawRead;
using bench::Seconds;
constexpr int kExams = 100000;

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

// The searched fields of the generated drive reshaped to the mix a search is
// timed on: dates over 25 years (one year ~4%), a fifth of the names
// beginning with 山 (others sharing it later on), two thirds of the records
// with 心房細動 or 心房粗動 in one of the five arrhythmia slots.
void Reshape(const fs::path& dataFile) {
  std::string bytes(fs::file_size(dataFile), ' ');
  {
    const int fd = ::open(dataFile.c_str(), O_RDONLY);
    Check(fd >= 0 && ::read(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
          "read data file");
    ::close(fd);
  }
  std::mt19937 random(4);
  const char* yama[] = {"山田　太郎", "山本　花子", "山口　一郎", "山　さくら"};
  const char* others[] = {"小山　太郎", "岡山　花子", "田中　誠",  "佐藤　直子",
                          "鈴木　翔",   "高橋　恵子", "髙山　健太"};
  const char* atrial[] = {"心房細動", "心房粗動"};
  const char* rest[] = {"洞性頻脈", "心室性期外収縮", "Ⅰ度房室ブロック", "WPW症候群"};
  const std::size_t n = bytes.size() / store::kExamRecordLength;
  for (std::size_t i = 0; i < n; ++i) {
    store::ExamRecord r;
    std::copy_n(bytes.data() + i * store::kExamRecordLength, store::kExamRecordLength, r.data());
    const int year = 1990 + static_cast<int>(i * 25 / n);
    r.Set(store::ExamField::ExamDate, store::FormatDate(year, 1 + static_cast<int>(random() % 12),
                                                        1 + static_cast<int>(random() % 28)));
    r.Set(store::ExamField::Name,
          random() % 5 == 0 ? yama[random() % 4] : others[random() % std::size(others)]);
    for (int a = 0; a < 5; ++a) r.Set(store::ArrhythmiaField(a), "");
    const int slot = static_cast<int>(random() % 5);
    r.Set(store::ArrhythmiaField(slot),
          random() % 3 != 0 ? atrial[random() % 2] : rest[random() % std::size(rest)]);
    std::copy_n(r.data(), store::kExamRecordLength, bytes.data() + i * store::kExamRecordLength);
  }
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
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path root = bench::WorkFolder(argc, argv, "velunor-lists-bench");
  bench::GenerateDrive(root, {kExams, 1000, 2006u});
  platform::PosixFileSystem files{platform::DataDrive(root)};
  const fs::path dataFile = files.HostPath(store::kDataFile);
  Reshape(dataFile);
  std::printf("== %d examinations (%.1f MB data file)\n", kExams,
              static_cast<double>(fs::file_size(dataFile)) / 1e6);

  store::Store s(files);
  Check(s.StartUp().ok(), "start-up");
  Check(s.RecordCount() == kExams, "count");
  const fs::path scratch = root / "floor.out";

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
    const double search = Best(5, [&] {
      Check(s.RemoveWorkFile().ok(), "remove working file");
      Check(store::SearchRecords(s, c.criteria, progress, hits).ok(), "search");
    });
    const double floor = Best(5, [&] {
      RawRead(dataFile);
      RawWrite(scratch, static_cast<std::size_t>(hits) * store::kExamRecordLength);
    });
    std::printf(
        "SearchRecords %-16s %6d hits (%4.1f%%)  %8.2f ms   floor %8.2f ms   ratio %5.2f   "
        "(goal <= 2)\n",
        c.what, hits, 100.0 * hits / kExams, search * 1e3, floor * 1e3, search / floor);
  }

  // 一覧: the working file made a copy, counted, the first page drawn.
  SilentUi ui;
  QWidget owner;
  sessions::ExamListSession session(s);
  ListViews lists(session, ui, &owner);
  lists.showWindow = [](QWidget*) {};
  platform::NoProgress none;
  const double list = Best(5, [&] {
    Check(session.OpenListOfAllRecords(none).opening == sessions::ListOpening::Opened, "list");
    lists.ShowFirstPage();
  });
  Check(s.WorkRecordCount() == kExams, "list count");
  const double copyFloor = Best(5, [&] { bench::RawCopy(dataFile, scratch, false); });
  std::printf(
      "一覧 (copy, count, page 1)               %8.2f ms   copy  %8.2f ms   ratio %5.2f   "
      "(goal <= 1.5)\n",
      list * 1e3, copyFloor * 1e3, list / copyFloor);

  // One page step, drawn into both views: next page through the list, and
  // jumps of the slider to pages all over it.
  const int steps = 400;
  const double next = Best(3, [&] {
    session.FirstPage();
    for (int i = 0; i < steps; ++i) lists.NextPage();
  });
  std::mt19937 random(9);
  Form5* view = lists.View1();
  const double jump = Best(3, [&] {
    for (int i = 0; i < steps; ++i) {
      view->Slider1->setValue(
          1 + static_cast<int>(random() % static_cast<unsigned>(session.Pager().PageCount())));
      lists.SliderPage(view->Slider1->value());
    }
  });
  // The same with list view 1 on screen (offscreen), painted after each step.
  view->show();
  QApplication::processEvents();
  const double painted = Best(3, [&] {
    session.FirstPage();
    for (int i = 0; i < steps; ++i) {
      lists.NextPage();
      QApplication::processEvents();
    }
  });
  // The floor of a painted step: the same window repainted whole, with
  // nothing changed.
  const double repaint = Best(3, [&] {
    for (int i = 0; i < steps; ++i) {
      view->update();
      QApplication::processEvents();
    }
  });
  std::printf("page step, next page                     %8.3f ms per step   (goal < 5)\n",
              next * 1e3 / steps);
  std::printf("page step, slider jump                   %8.3f ms per step   (goal < 5)\n",
              jump * 1e3 / steps);
  std::printf("page step, next page, view painted       %8.3f ms per step   (goal < 5)\n",
              painted * 1e3 / steps);
  std::printf(
      "   the window repainted whole, unchanged %8.3f ms per step   step above it %6.3f ms\n",
      repaint * 1e3 / steps, (painted - repaint) * 1e3 / steps);

  s.CloseAllFiles();
  fs::remove_all(root);
  return 0;
}
