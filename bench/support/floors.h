#pragma once
// What every benchmark measures with: wall times, a failed step ending the
// run, and the floors a ratio is taken against (a plain read and a plain
// copy of a file, with nothing of the program in them).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// A fresh folder of the benchmark's own under `parent` (made when missing),
// "parent/stem-XXXXXX": a benchmark works and deletes only in what it made,
// never in a folder it was given.
inline std::filesystem::path FreshFolder(const std::filesystem::path& parent, const char* stem) {
  std::error_code ec;
  std::filesystem::create_directories(parent, ec);
  std::string pattern = (parent / (std::string(stem) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror(pattern.c_str());
    std::exit(1);
  }
  return pattern;
}

// The folder a benchmark works in: a fresh one under argv[1] when given,
// else under the temporary folder.
inline std::filesystem::path WorkFolder(int argc, char** argv, const char* stem) {
  return FreshFolder(
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path(), stem);
}

// The wall time of one run of `body`, in seconds.
inline double Seconds(const std::function<void()>& body) {
  const auto start = Clock::now();
  body();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of `runs` wall times, in seconds.
inline double Best(int runs, const std::function<void()>& body) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) best = std::min(best, Seconds(body));
  return best;
}

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "failed: %s\n", what);
    std::exit(1);
  }
}

// The floor of a sequential read: the file in 64 KiB reads, nothing else.
inline std::size_t RawRead(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  Check(fd >= 0, "open");
  std::vector<char> buffer(64 * 1024);
  std::size_t total = 0;
  for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;) {
    total += static_cast<std::size_t>(got);
  }
  ::close(fd);
  return total;
}

// The floor of a copy: the file in 64 KiB pieces; `durable` forces it to
// the disk as a rebuild's staging file is.
inline void RawCopy(const std::filesystem::path& from, const std::filesystem::path& to,
                    bool durable) {
  const int in = ::open(from.c_str(), O_RDONLY);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Check(in >= 0 && out >= 0, "open for copy");
  std::vector<char> buffer(64 * 1024);
  for (ssize_t got; (got = ::read(in, buffer.data(), buffer.size())) > 0;) {
    Check(::write(out, buffer.data(), static_cast<std::size_t>(got)) == got, "write");
  }
  if (durable) Check(::fsync(out) == 0, "fsync");
  ::close(in);
  ::close(out);
}

// The command line every benchmark takes:
//   NAME [--tiny] [--runs N] [--records N] [PARENT]
// --tiny: a few hundred records and two runs, to show the benchmark still
// works (ctest runs it so); PARENT: where its fresh folder is made.
struct Options {
  std::filesystem::path parent = std::filesystem::temp_directory_path();
  bool tiny = false;
  int runs = 5;
  int records = 0;  // 0: the benchmark's own size
  // The size to run at: `full`, or `records` when given, or a few hundred
  // under --tiny.
  int Records(int full) const { return records > 0 ? records : tiny ? 300 : full; }
};

// Parses the command line; --help prints `about` and the usage and exits 0,
// anything unknown prints the usage and exits 2.
inline Options ParseOptions(int argc, char** argv, const char* about) {
  Options o;
  auto usage = [&](FILE* to) {
    std::fprintf(to,
                 "%s\n\nusage: %s [--tiny] [--runs N] [--records N] [PARENT]\n"
                 "  --tiny       a tiny data set and two runs (a check that it still works)\n"
                 "  --runs N     runs of each measurement (default 5)\n"
                 "  --records N  records to generate instead of the default\n"
                 "  PARENT       where its own fresh folder is made (default: the temporary\n"
                 "               folder); nothing else there is touched or deleted\n",
                 about, argv[0]);
  };
  bool parentGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      usage(stdout);
      std::exit(0);
    } else if (a == "--tiny") {
      o.tiny = true;
      o.runs = 2;
    } else if ((a == "--runs" || a == "--records") && i + 1 < argc) {
      const int n = std::atoi(argv[++i]);
      if (n < 1) {
        usage(stderr);
        std::exit(2);
      }
      (a == "--runs" ? o.runs : o.records) = n;
    } else if (!a.starts_with("-") && !parentGiven) {
      o.parent = a;
      parentGiven = true;
    } else {
      usage(stderr);
      std::exit(2);
    }
  }
  return o;
}

// Wall times of repeated runs, in seconds.
class Runs {
 public:
  void Add(double seconds) { seconds_.push_back(seconds); }
  std::size_t Count() const { return seconds_.size(); }
  double Min() const { return *std::min_element(seconds_.begin(), seconds_.end()); }
  double Median() const {
    std::vector<double> s = seconds_;
    std::sort(s.begin(), s.end());
    const std::size_t n = s.size();
    return n % 2 == 1 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
  }
  const std::vector<double>& All() const { return seconds_; }

 private:
  std::vector<double> seconds_;
};

// `runs` wall times of `body`.
inline Runs Time(int runs, const std::function<void()>& body) {
  Runs r;
  for (int i = 0; i < runs; ++i) r.Add(Seconds(body));
  return r;
}

// One line: the measured and the floor times (min / median, ms) and their
// ratio, each run against the floor of the same round, over the runs.
inline void PrintRatio(const char* what, const Runs& measured, const Runs& floor,
                       const char* goal) {
  Runs ratios;
  for (std::size_t i = 0; i < std::min(measured.Count(), floor.Count()); ++i) {
    ratios.Add(measured.All()[i] / floor.All()[i]);
  }
  std::printf(
      "%-34s %9.2f / %9.2f ms   floor %9.2f / %9.2f ms   ratio %5.2f / %5.2f  (min / median, "
      "%zu runs; goal %s)\n",
      what, measured.Min() * 1e3, measured.Median() * 1e3, floor.Min() * 1e3, floor.Median() * 1e3,
      ratios.Min(), ratios.Median(), ratios.Count(), goal);
  // VELUNOR_BENCH_EACH=1: every run's pair too, in the order they ran.
  if (const char* each = std::getenv("VELUNOR_BENCH_EACH"); each != nullptr && *each == '1') {
    for (std::size_t i = 0; i < ratios.Count(); ++i) {
      std::printf("    run %zu: %.2f ms, floor %.2f ms, ratio %.2f\n", i + 1,
                  measured.All()[i] * 1e3, floor.All()[i] * 1e3, ratios.All()[i]);
    }
  }
}

// One line of a time without a floor (min / median, ms).
inline void PrintTime(const char* what, const Runs& measured, double scale, const char* unit,
                      const char* goal) {
  std::printf("%-34s %9.3f / %9.3f %s  (min / median, %zu runs; goal %s)\n", what,
              measured.Min() * scale, measured.Median() * scale, unit, measured.Count(), goal);
}

// The machine's load average over the last minute, printed with the figures.
inline void PrintLoad() {
  double load[3] = {0, 0, 0};
  if (::getloadavg(load, 3) > 0) {
    std::printf("load average %.2f %.2f %.2f\n", load[0], load[1], load[2]);
  }
}

}  // namespace bench
