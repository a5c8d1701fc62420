// Saving a lookup list as a whole through a staging file.
#include "store/store.h"

#include "store/atomic_replace.h"

namespace store {

namespace {

// The file and the size of each lookup list, in the order of LookupList.
struct ListFacts {
  const char* path;
  int entries;
};
constexpr ListFacts kLists[] = {{kDepartmentFile, kDepartmentEntries},
                                {kLeadSiteFile, kLeadSiteEntries},
                                {kFindingFile, kFindingEntries},
                                {kArrhythmiaFile, kArrhythmiaEntries}};

const ListFacts& FactsOf(LookupList which) { return kLists[static_cast<int>(which)]; }

}  // namespace

const char* Store::ListPath(LookupList which) { return FactsOf(which).path; }

int Store::ListEntries(LookupList which) { return FactsOf(which).entries; }

std::unique_ptr<RecordFile>& Store::ListFile(LookupList which) {
  std::unique_ptr<RecordFile>* const files[] = {&DepartmentFileNo, &LeadSiteFileNo, &FindingFileNo,
                                                &ArrhythmiaFileNo};
  return *files[static_cast<int>(which)];
}

Status Store::EmptyScratchFile() {
  // Only the scratch file's handle is closed: no other file is replaced.
  ScratchFileNo.reset();
  Status deleted = fs_.Exists(kScratchFile) ? fs_.Delete(kScratchFile) : Status::Ok();
  Status opened =
      readOnlySession_
          ? RecordFile::OpenReadOnly(fs_, kScratchFile, kPatientRecordLength, ScratchFileNo)
          : RecordFile::Open(fs_, kScratchFile, kPatientRecordLength, ScratchFileNo);
  return deleted.ok() ? opened : deleted;
}

RecordFile* Store::ListFileOf(LookupList which) const {
  return const_cast<Store*>(this)->ListFile(which).get();
}

Status Store::ReplaceListFile(LookupList which, const std::vector<std::string>& entries) {
  const DriveScope held = Changing();
  if (!held) return held.status();
  std::unique_ptr<RecordFile>& live = ListFile(which);
  // One that could not be opened is not replaced: it may be what was meant
  // to be kept (a folder, a file the user may not read).
  if (!live) return Status::Error(platform::kPathFileAccessError);
  if (live->ReadOnly()) return Status::Error(platform::kPermissionDenied);
  const std::string livePath = ListPath(which);
  const std::string stagingPath = ListStagingPath(which);
  ListEntryRecord entry;

  // A staging file left by an earlier try is started afresh.
  if (fs_.Exists(stagingPath)) {
    if (Status s = fs_.Delete(stagingPath); !s.ok()) return s;
  }
  Status written = Status::Ok();
  {
    std::unique_ptr<RecordFile> staging;
    written = RecordFile::Open(fs_, stagingPath, kListEntryRecordLength, staging);
    for (std::size_t i = 0; written.ok() && i < entries.size(); ++i) {
      entry.Set(ListEntryField::EntryText, entries[i]);
      written = staging->Write(static_cast<std::int32_t>(i + 1), entry);
    }
  }
  if (written.ok()) {
    live.reset();
    const ReplaceOutcome replaced = ReplaceAtomically(fs_, stagingPath, livePath, kDataDir);
    const Status reopened = OpenStoreFile(livePath.c_str(), kListEntryRecordLength, live);
    CountRecords();
    // Once renamed the new list is in place; a folder that cannot be synced
    // only delays its durability.
    written = replaced.renamed ? reopened : replaced.status;
  }
  if (!written.ok() && fs_.Exists(stagingPath)) (void)fs_.Delete(stagingPath);
  return written;
}

}  // namespace store

namespace store {

Status Store::ReadListEntries(LookupList which, std::vector<std::string>& entries) {
  const DriveScope held = Reading();
  if (!held) return held.status();
  const int count = ListEntries(which);
  entries.assign(static_cast<std::size_t>(count), std::string());
  RecordFile* file = ListFile(which).get();
  if (file == nullptr) return Status::Error(platform::kBadFileNameOrNumber);
  ListEntryRecord entry;
  for (int i = 1; i <= count; ++i) {
    entry.Clear();
    if (Status s = file->Read(i, entry); !s.ok()) return s;
    entries[static_cast<std::size_t>(i - 1)] = entry.Get(ListEntryField::EntryText);
  }
  return Status::Ok();
}

}  // namespace store
