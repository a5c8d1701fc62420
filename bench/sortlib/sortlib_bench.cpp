// bench_sortlib: the component's whole job (OPEN, PUT, MAIN, GET, CLOSE) on
// the program's sort lines, against std::stable_sort of the same lines with
// the same comparison and against GNU sort -s with the same keys on the same
// lines in a file. Prints times and ratios, and the memory of the ordering
// arrays against 4 x (3n + 4 x 65536) bytes.

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/support/floors.h"
#include "sortlib/zuvasortmem.h"

extern char** environ;

namespace {

struct Key {
  int start;
  int length;
  bool ascending;
};

struct Shape {
  const char* name;
  const char* param;
  std::vector<Key> keys;
  std::vector<std::string> gnuKeys;
  bool dates;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

constexpr const char* kAbout =
    "Times the sort component's whole job on the program's sort lines against\n"
    "std::stable_sort of the same lines and GNU sort -s with the same keys.";

std::vector<std::string> Lines(bool dates, int n, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> lines;
  lines.reserve(n);
  char text[32];
  for (int i = 1; i <= n; ++i) {
    if (dates) {
      // Ten years of examination days: about 36 records share a date.
      std::snprintf(
          text, sizeof text, "%04u/%02u/%02u%06d", 2015 + static_cast<unsigned>(random() % 10),
          1 + static_cast<unsigned>(random() % 12), 1 + static_cast<unsigned>(random() % 28), i);
    } else {
      // Patients with several examinations each.
      std::snprintf(text, sizeof text, "%06u%06d",
                    1 + static_cast<unsigned>(random() % (n / 4 + 1)), i);
    }
    lines.emplace_back(text);
  }
  return lines;
}

std::uint16_t Digit(char16_t c) { return static_cast<std::uint16_t>((c >> 8) | ((c & 0xFF) << 8)); }

struct KeyLess {
  const std::vector<Key>* keys;
  bool operator()(const std::u16string& a, const std::u16string& b) const {
    for (const Key& k : *keys) {
      for (int c = k.start - 1; c < k.start - 1 + k.length; ++c) {
        const std::uint16_t da = Digit(a[c]);
        const std::uint16_t db = Digit(b[c]);
        if (da != db) return k.ascending ? da < db : da > db;
      }
    }
    return false;
  }
};

int RunGnuSort(const std::vector<std::string>& keys, const std::string& in,
               const std::string& out) {
  std::vector<std::string> args = {"sort", "-s", "-t", "|"};
  args.insert(args.end(), keys.begin(), keys.end());
  args.insert(args.end(), {"-o", out, in});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = {"LC_ALL=C"};
  for (char** e = environ; *e; ++e) {
    if (std::string_view(*e).substr(0, 3) != "LC_" &&
        std::string_view(*e).substr(0, 5) != "LANG=") {
      env.emplace_back(*e);
    }
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, "sort", nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv, kAbout);
  const std::filesystem::path work = bench::FreshFolder(options.parent, "velunor-sortlib-bench");
  bench::PrintLoad();
  setenv("VELUNOR_COMPONENT_REGISTRY", (work / "components.ini").c_str(), 1);
  if (!platform::RegisterComponent(zuvasort::kZuvaSortMemClassId,
                                   {std::string(zuvasort::kProgId), ZUVASORTMEM2_PATH,
                                    std::string(zuvasort::kTypeLibraryName)})
           .ok()) {
    std::fprintf(stderr, "cannot write the benchmark's registry\n");
    return 1;
  }

  const std::vector<Shape> shapes = {
      {"ID lines (12 chars)", "1,6,A", {{1, 6, true}}, {"-k1.1,1.6"}, false},
      {"date lines (16 chars)", "1,10,A", {{1, 10, true}}, {"-k1.1,1.10"}, true},
      {"date lines, three keys",
       "1,4,A:6,2,D:9,2,A",
       {{1, 4, true}, {6, 2, false}, {9, 2, true}},
       {"-k1.1,1.4", "-k1.6,1.7r", "-k1.9,1.10"},
       true},
  };
  const int runs = options.runs;
  const std::vector<int> sizes = options.tiny || options.records > 0
                                     ? std::vector<int>{options.Records(0)}
                                     : std::vector<int>{10000, 100000};
  struct Summary {
    std::string what;
    bench::Runs job, gnu;
  };
  std::vector<Summary> summaries;
  bool allSame = true;
  std::printf("%-24s %7s %9s %8s %8s %9s %8s %10s %8s %9s %16s\n", "shape", "n", "create ms",
              "job ms", "MAIN ms", "stable ms", "GNU ms", "job/stable", "GNU/job", "GNU/MAIN",
              "order KiB/limit");
  for (int n : sizes) {
    for (const Shape& shape : shapes) {
      const std::vector<std::string> lines = Lines(shape.dates, n, 1234u + n);

      // std::stable_sort of the same lines with the byte-exchanged comparison.
      std::vector<std::u16string> wide;
      for (const std::string& l : lines) wide.push_back(platform::Utf16FromUtf8(l));
      std::vector<std::u16string> sorted;
      const double stableTime =
          bench::Time(runs, [&] {
            sorted = wide;
            std::stable_sort(sorted.begin(), sorted.end(), KeyLess{&shape.keys});
          }).Min();
      std::vector<std::u16string> copyOnly;
      const double copyTime = bench::Time(runs, [&] { copyOnly = wide; }).Min();

      std::vector<std::string> stableOut;
      for (const auto& w : sorted) stableOut.push_back(platform::Utf8FromUtf16(w));

      // The component: the whole job as the program runs it.
      std::size_t jobMismatches = 0;
      std::int64_t orderingBytes = 0;
      double createTime = 1e9;
      double jobTime = 1e9;
      double mainTime = 1e9;
      bench::Runs jobRuns;
      for (int run = 0; run < runs; ++run) {
        zuvasort::SortJob job;
        const auto t0 = std::chrono::steady_clock::now();
        if (!job.Create().status.ok()) std::abort();
        const auto t1 = std::chrono::steady_clock::now();
        job.SetParam(shape.param);
        if (job.Open() != 0) std::abort();
        for (const std::string& l : lines) {
          if (job.Put(l) != 0) std::abort();
        }
        const auto m0 = std::chrono::steady_clock::now();
        if (job.Main() != 0) std::abort();
        mainTime = std::min(mainTime, Seconds(std::chrono::steady_clock::now() - m0));
        // Each line is checked against the reference as it comes.
        std::string line;
        std::size_t k = 0;
        while (job.Get(line) == 0) {
          jobMismatches += k >= stableOut.size() || line != stableOut[k];
          ++k;
        }
        jobMismatches += k != stableOut.size();
        if (job.Close() != 0) std::abort();
        const auto t2 = std::chrono::steady_clock::now();
        job.Host()->get_OrderingBytes(&orderingBytes);
        createTime = std::min(createTime, Seconds(t1 - t0));
        jobTime = std::min(jobTime, Seconds(t2 - t1));
        jobRuns.Add(Seconds(t2 - t1));
      }

      // GNU sort on the same lines in a file.
      const std::string in = (work / "in.txt").string();
      const std::string out = (work / "out.txt").string();
      {
        std::ofstream file(in);
        for (const std::string& l : lines) file << l << '\n';
      }
      const bench::Runs gnuRuns = bench::Time(runs, [&] {
        if (RunGnuSort(shape.gnuKeys, in, out) != 0) std::abort();
      });
      const double gnuTime = gnuRuns.Min();
      summaries.push_back({std::string(shape.name) + ", " + std::to_string(n), jobRuns, gnuRuns});

      const bool same = jobMismatches == 0 && stableOut == ReadLines(out);
      allSame = allSame && same;

      const double limit = 4.0 * (3.0 * n + 4.0 * 65536);
      std::printf("%-24s %7d %9.2f %8.2f %8.2f %9.2f %8.2f %10.2f %8.1f %9.1f %8.0f/%-7.0f%s\n",
                  shape.name, n, createTime * 1e3, jobTime * 1e3, mainTime * 1e3,
                  (stableTime - copyTime) * 1e3, gnuTime * 1e3, jobTime / (stableTime - copyTime),
                  gnuTime / jobTime, gnuTime / mainTime, static_cast<double>(orderingBytes) / 1024,
                  limit / 1024, same ? "" : "  ORDER DIFFERS");
    }
  }
  std::printf(
      "\ncreate = creating the object by class identity (loading the library)\n"
      "job = OPEN, PUT and DATA per line, MAIN, GET and DATA per line, CLOSE (UTF-8 lines); "
      "MAIN = the ordering alone\n"
      "stable = std::stable_sort of the UTF-16 lines (copy time subtracted); "
      "GNU = LC_ALL=C sort -s with the same keys, file to file\n"
      "best of %d runs; job/stable below 1 and GNU/job above 5 meet the goals\n\n",
      runs);
  std::printf("The job against GNU sort (a ratio below 0.2 meets the goal):\n");
  for (const Summary& s : summaries) bench::PrintRatio(s.what.c_str(), s.job, s.gnu, "<= 0.2");
  bench::PrintLoad();
  std::error_code ec;
  std::filesystem::remove_all(work, ec);  // the fresh folder made above
  return allSame ? 0 : 1;
}
