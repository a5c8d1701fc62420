#pragma once

namespace platform {

// True when a process with this id runs (whoever owns it).
bool ProcessRunning(long pid);

}  // namespace platform
