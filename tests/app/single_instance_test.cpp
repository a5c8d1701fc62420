// One program per data drive and desktop session: a second start on the same
// drive brings the first to the front and ends.
#include "app/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "tests/support/temp_drive.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TEST(SingleInstance, TheSocketIsNamedAfterTheDriveInTheRuntimeFolder) {
  struct Case {
    const char* runtime;  // XDG_RUNTIME_DIR, nullptr for unset
    fs::path a;
    fs::path b;
    bool same;
  };
  const Case cases[] = {
      {"/run/user/1000", "/srv/drive", "/srv/drive", true},
      {"/run/user/1000", "/srv/drive", "/srv/x/../drive/", true},
      {"/run/user/1000", "/srv/drive", "/srv/other", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.b.string());
    setenv("XDG_RUNTIME_DIR", c.runtime, 1);
    const QString a = app::SingleInstance(c.a).SocketPath();
    EXPECT_TRUE(a.startsWith(QStringLiteral("/run/user/1000/velunor2-")));
    EXPECT_EQ(a == app::SingleInstance(c.b).SocketPath(), c.same);
  }
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_TRUE(app::SingleInstance("/srv/drive").SocketPath().isEmpty());
  EXPECT_FALSE(app::SingleInstance("/srv/drive").AskRunningToRaise(100));
}

pid_t Start(const fs::path& drive, const fs::path& runtime, const fs::path& errFile) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("VELUNOR_DRIVE_C", drive.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (runtime / "config").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) ::dup2(fd, 2);
    ::execl(VELUNOR_PROGRAM, VELUNOR_PROGRAM, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return child;
}

// The exit code of `child` once it ended within `seconds`.
std::optional<int> WaitFor(pid_t child, int seconds) {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < deadline) {
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SingleInstance, ASecondStartOnTheDriveRaisesTheFirstAndEnds) {
  testing_support::TempDrive drive;
  testing_support::TempDrive runtime;
  drive.WriteBytes("C:\\VLN2\\VLN2.ekg", "");
  const pid_t first = Start(drive.Root(), runtime.Root(), runtime.Root() / "first.err");
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  auto listening = [&] {
    for (const auto& entry : fs::directory_iterator(runtime.Root())) {
      if (entry.path().filename().string().starts_with("velunor2-")) return true;
    }
    return false;
  };
  while (!listening() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(listening());

  const pid_t second = Start(drive.Root(), runtime.Root(), runtime.Root() / "second.err");
  const std::optional<int> secondEnded = WaitFor(second, 10);
  if (!secondEnded) ::kill(second, SIGKILL);
  EXPECT_EQ(secondEnded, std::optional<int>(0));
  EXPECT_NE(Read(runtime.Root() / "first.err").find("前面に表示します"), std::string::npos);
  EXPECT_EQ(WaitFor(first, 0), std::nullopt) << "the first program is still running";

  ::kill(first, SIGTERM);
  EXPECT_EQ(WaitFor(first, 20), std::optional<int>(0));
}

}  // namespace
