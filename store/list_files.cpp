// Saving a lookup list as a whole through a staging file.
#include "store/store.h"

namespace store {

std::unique_ptr<RecordFile>& Store::ListFile(LookupList which) {
  switch (which) {
    case LookupList::Department:
      return DepartmentFileNo;
    case LookupList::LeadSite:
      return LeadSiteFileNo;
    case LookupList::Finding:
      return FindingFileNo;
    case LookupList::Arrhythmia:
      break;
  }
  return ArrhythmiaFileNo;
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
    if (written.ok()) written = staging->Flush();
  }
  if (written.ok()) {
    live.reset();
    const Status renamed = fs_.Rename(stagingPath, livePath);
    // Once renamed the new list is in place; a folder that cannot be synced
    // only delays its durability.
    if (renamed.ok()) (void)fs_.SyncDirectory(kDataDir);
    const Status reopened = OpenStoreFile(livePath.c_str(), kListEntryRecordLength, live);
    CountRecords();
    written = renamed.ok() ? reopened : renamed;
  }
  if (!written.ok() && fs_.Exists(stagingPath)) (void)fs_.Delete(stagingPath);
  return written;
}

}  // namespace store

namespace store {

int Store::ListEntries(LookupList which) {
  switch (which) {
    case LookupList::Department:
      return kDepartmentEntries;
    case LookupList::LeadSite:
      return kLeadSiteEntries;
    case LookupList::Finding:
      return kFindingEntries;
    case LookupList::Arrhythmia:
      break;
  }
  return kArrhythmiaEntries;
}

Status Store::ReadListEntries(LookupList which, std::vector<std::string>& entries) {
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
