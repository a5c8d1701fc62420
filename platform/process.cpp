#include "platform/process.h"

#include <signal.h>

#include <cerrno>

namespace platform {

bool ProcessRunning(long pid) {
  if (pid <= 0) return false;
  if (::kill(static_cast<pid_t>(pid), 0) == 0) return true;
  return errno == EPERM;
}

}  // namespace platform
