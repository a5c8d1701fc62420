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

}  // namespace bench
