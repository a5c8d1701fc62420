// SIGTERM ends the program as 終了 does: the working copy of a list is gone.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/drive.h"
#include "tests/support/temp_drive.h"

namespace {

TEST(Termination, SigtermAndSighupShutDownAsTheExitCommandDoes) {
  for (int signal : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    testing_support::TempDrive t;
    t.WriteBytes("C:\\VLN2\\VLN2.ekg", "");
    const pid_t child = ::fork();
    if (child == 0) {
      ::setenv("VELUNOR_DRIVE_C", t.Root().c_str(), 1);
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      ::execl(VELUNOR_PROGRAM, VELUNOR_PROGRAM, static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Running once the drive's folders are there; then a list is "open".
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(t.Root() / "MASTA" / "KANJYA.MASTA") &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The working copy of this workstation (this test's desktop session).
    const std::filesystem::path workingCopy =
        platform::DataDrive::WorkstationFolder(t.Root()) / "TEMP.DATA";
    std::filesystem::create_directories(workingCopy.parent_path());
    t.WriteBytes(workingCopy.string(), "copies of examinations");
    ASSERT_EQ(::kill(child, signal), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_FALSE(std::filesystem::exists(workingCopy));
  }
}

}  // namespace
