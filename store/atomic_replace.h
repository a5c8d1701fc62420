#pragma once

#include <string_view>

#include "platform/file_system.h"

namespace store {

// Whether a replaced file must survive a power cut.
enum class Durability {
  Durable,      // data files, the master, the vocabularies
  WorkingCopy,  // a list's working copy: a crash may lose it (the next start removes it)
};

struct ReplaceOutcome {
  bool renamed = false;  // the live name holds the staging file's bytes
  platform::Status status;
};

// The one way a file of the store is replaced as a whole: the staging file
// (closed by the caller, every byte written) is forced to the disk, renamed
// over `live` in one atomic step, and the rename made durable by syncing
// `folder`. The live file is always either the old one or the new one. When
// a step before the rename fails, the staging file is removed and the live
// file left as it was; when only the folder sync fails, `renamed` is true
// and the failure is returned with it.
// A working copy skips both syncs, and its old copy is removed before the
// rename: should the rename then fail, there is no working copy.
ReplaceOutcome ReplaceAtomically(platform::FileSystem& fs, std::string_view staging,
                                 std::string_view live, std::string_view folder,
                                 Durability durability = Durability::Durable);

}  // namespace store
