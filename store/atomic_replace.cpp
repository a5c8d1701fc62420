#include "store/atomic_replace.h"

#include <memory>

namespace store {

using platform::Status;

ReplaceOutcome ReplaceAtomically(platform::FileSystem& fs, std::string_view staging,
                                 std::string_view live, std::string_view folder,
                                 Durability durability) {
  const bool durable = durability == Durability::Durable;
  auto before = [&]() -> Status {
    // Never an empty file made here in place of the live one.
    if (!fs.Exists(staging)) return Status::Error(platform::kFileNotFound);
    if (durable) {
      std::unique_ptr<platform::RandomFile> file;
      if (Status s = fs.OpenRandom(staging, file); !s.ok()) return s;
      if (Status s = file->Sync(); !s.ok()) return s;
    } else if (fs.Exists(live)) {
      // A file renamed over another has the disk write it out at once (a
      // guard of the file system for files replaced so); a working copy,
      // which a crash may lose, stays in memory when the old one goes
      // first.
      if (Status s = fs.Delete(live); !s.ok()) return s;
    }
    return fs.Rename(staging, live);
  };
  ReplaceOutcome outcome;
  outcome.status = before();
  if (!outcome.status.ok()) {
    if (fs.Exists(staging)) (void)fs.Delete(staging);
    return outcome;
  }
  outcome.renamed = true;
  if (durable) outcome.status = fs.SyncDirectory(folder);
  return outcome;
}

}  // namespace store
