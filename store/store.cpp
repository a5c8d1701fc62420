#include "store/store.h"

#include "store/atomic_replace.h"
#include "store/history.h"

#include "platform/process.h"
#include "store/master_file.h"
#include "store/text_format.h"

namespace store {
namespace {

Status FirstFailure(Status current, Status next) { return current.ok() ? next : current; }

bool SameId(double value, float id) { return static_cast<float>(value) == id; }

}  // namespace

Store::Store(platform::FileSystem& fs) : processRunning_(platform::ProcessRunning), fs_(fs) {}

Store::~Store() = default;

History& Store::Changes() {
  if (!changes_) changes_ = std::make_unique<History>(fs_);
  return *changes_;
}

Status Store::StartUp() {
  if (!readOnlySession_) {
    if (!fs_.IsDirectory(kMasterDir) && !fs_.Exists(kMasterDir)) {
      (void)fs_.CreateDirectory(kMasterDir);
    }
    // One that cannot be deleted is reported by the opening below.
    if (fs_.Probe(kScratchFile).kind == platform::PathState::kFile) (void)fs_.Delete(kScratchFile);
    // With another program on the drive, what looks left over may be its
    // work in progress.
    if (driveLock_ == nullptr || !driveLock_->OthersPresent()) RemoveLeftTemporaries();
  }
  Status opened = OpenAllFiles();
  (void)examIndex_.Build(DataFileNo.get());
  partialRecords_.clear();
  for (const auto& [file, path] :
       {std::pair{&DataFileNo, kDataFile}, std::pair{&MasterFileNo, kMasterFile},
        std::pair{&DepartmentFileNo, kDepartmentFile}, std::pair{&LeadSiteFileNo, kLeadSiteFile},
        std::pair{&FindingFileNo, kFindingFile}, std::pair{&ArrhythmiaFileNo, kArrhythmiaFile}}) {
    if (*file && (*file)->PartialTailBytes() > 0) {
      partialRecords_.push_back({path, (*file)->PartialTailBytes()});
    }
  }
  if (!troubles_.empty()) return Status::Error(troubles_.front().error);
  return opened;
}

Status Store::OpenDataFile() {
  for (const char* dir : {"C:\\VLN2\\", "C:\\VLN2\\GAZOU\\", "C:\\VLN2\\KARI\\"}) {
    CheckFolder(dir, !readOnlySession_);
  }
  return OpenStoreFile(kDataFile, kExamRecordLength, DataFileNo);
}

Status Store::OpenAllFiles() {
  troubles_.clear();
  Status result = OpenDataFile();
  CheckFolder(kMasterDir, false);
  struct Target {
    std::unique_ptr<RecordFile>& file;
    const char* path;
    std::size_t length;
  };
  const Target targets[] = {
      {MasterFileNo, kMasterFile, kPatientRecordLength},
      {DepartmentFileNo, kDepartmentFile, kListEntryRecordLength},
      {ArrhythmiaFileNo, kArrhythmiaFile, kListEntryRecordLength},
      {FindingFileNo, kFindingFile, kListEntryRecordLength},
      {LeadSiteFileNo, kLeadSiteFile, kListEntryRecordLength},
      {ScratchFileNo, kScratchFile, kPatientRecordLength},
  };
  for (const Target& t : targets) {
    result = FirstFailure(result, OpenStoreFile(t.path, t.length, t.file));
  }
  CountRecords();
  return result;
}

void Store::CountRecords() {
  recordCount_ = DataFileNo ? DataFileNo->Count() : 0;
  patientCount_ = MasterFileNo ? MasterFileNo->Count() : 0;
  masterOrder_ = MasterOrder::Unknown;
}

Status Store::OpenWorkFile() {
  WorkFileNo.reset();
  return RecordFile::Open(fs_, kWorkFile, kExamRecordLength, WorkFileNo);
}

std::int32_t Store::WorkRecordCount() const { return WorkFileNo ? WorkFileNo->Count() : 0; }

Status Store::RemoveWorkFile() {
  if (!fs_.Exists(kWorkFile)) return Status::Ok();
  return CloseReplaceReopen([this] { return fs_.Delete(kWorkFile); });
}

void Store::CloseAllFiles() {
  DataFileNo.reset();
  MasterFileNo.reset();
  ScratchFileNo.reset();
  DepartmentFileNo.reset();
  LeadSiteFileNo.reset();
  FindingFileNo.reset();
  ArrhythmiaFileNo.reset();
  WorkFileNo.reset();
}

Status Store::ShutDownFiles() {
  CloseAllFiles();
  if (fs_.Exists(kWorkFile)) return fs_.Delete(kWorkFile);
  return Status::Ok();
}

Status Store::CloseReplaceReopen(const std::function<Status()>& replace, bool reopenWorkFile) {
  const bool listOpen = WorkFileNo != nullptr;
  CloseAllFiles();
  Status result = replace();
  result = FirstFailure(result, OpenAllFiles());
  // A list being browsed stays open across the change of another file.
  if (reopenWorkFile || (listOpen && fs_.Exists(kWorkFile))) {
    result = FirstFailure(result, OpenWorkFile());
  }
  return result;
}

RebuildResult Store::Rebuild(Staging staging, const std::function<Status()>& produce) {
  const DriveScope held = Changing(true);
  if (!held) return RebuildResult::Unchanged(held.status());
  const bool work = staging == Staging::WorkFile;
  const char* stagingPath = work ? kWorkFile : kScratchFile;
  const char* livePath = work ? kDataFile : kMasterFile;
  const char* liveDir = work ? kDataDir : kMasterDir;
  // A live file that could not be opened for writing is never replaced: the
  // rename would overwrite what the user may not (or could not) write.
  if (const std::unique_ptr<RecordFile>& live = work ? DataFileNo : MasterFileNo;
      !live || live->ReadOnly()) {
    return RebuildResult::Unchanged(Status::Error(platform::kPermissionDenied));
  }
  auto stagingFile = [&]() -> std::unique_ptr<RecordFile>& {
    return work ? WorkFileNo : ScratchFileNo;
  };
  auto discardStaging = [&] {
    return CloseReplaceReopen(
        [&] { return fs_.Exists(stagingPath) ? fs_.Delete(stagingPath) : Status::Ok(); });
  };
  auto unchanged = [&](Status s) {
    (void)discardStaging();
    return RebuildResult::Unchanged(s);
  };

  // Start from an empty staging file.
  if (Status s = discardStaging(); !s.ok()) return RebuildResult::Unchanged(s);
  if (work) {
    if (Status s = OpenWorkFile(); !s.ok()) return unchanged(s);
  }
  if (!stagingFile()) return unchanged(Status::Error(platform::kBadFileNameOrNumber));

  if (Status s = stagingFile()->SetWriteBehind(true, true); !s.ok()) return unchanged(s);
  Status produced = produce();
  if (produced.ok()) produced = stagingFile()->WriteOut();
  if (!produced.ok()) return unchanged(produced);

  bool renamed = false;
  Status replaced = CloseReplaceReopen([&] {
    const ReplaceOutcome r = ReplaceAtomically(fs_, stagingPath, livePath, liveDir);
    renamed = r.renamed;
    return r.status;
  });
  if (renamed) {
    return replaced.ok() ? RebuildResult::Done() : RebuildResult::ChangedThenFailed(replaced);
  }
  return RebuildResult::Unchanged(replaced);
}

Status Store::ReadExamination(std::int32_t n, ExamRecord& record) {
  const DriveScope held = Reading();
  if (!held) return held.status();
  if (!DataFileNo) return Status::Error(platform::kBadFileNameOrNumber);
  return DataFileNo->Read(n, record);
}

FoundPatient Store::FindPatient(float id) {
  FoundPatient found;
  found.position = FindPatientById(id);
  if (found.position > 0) found.status = MasterFileNo->Read(found.position, found.record);
  return found;
}

FoundPatient Store::LookupPatient(float id) {
  FoundPatient found;
  found.outcome = LookupPatientById(id, found.position);
  if (found.outcome == LookupOutcome::ReadFailed) {
    found.position = 0;
    found.status = Status::Error(platform::kDeviceIoError);
    return found;
  }
  if (found.position > 0) found.status = MasterFileNo->Read(found.position, found.record);
  return found;
}

Status Store::ProbePatient(std::int32_t p, double& value) {
  if (patientProbeLog_ != nullptr) patientProbeLog_->push_back(p);
  value = 0;
  if (!MasterFileNo) return Status::Error(platform::kBadFileNameOrNumber);
  PatientRecord patient;
  if (Status s = MasterFileNo->Read(p, patient); !s.ok()) return s;
  std::string_view id = TrimBlanks(patient.Raw(PatientField::PatientId));
  if (id.empty()) {
    value = -1;  // an empty record never matches
    return Status::Ok();
  }
  value = NumericValue(id);
  return Status::Ok();
}

std::int32_t Store::FindPatientById(float id) {
  if (patientCount_ == 0) return 0;
  std::int32_t position = Bisect(id);
  (void)ScanWhenOutOfOrder(id, position);
  return position;
}

bool Store::ScanWhenOutOfOrder(float id, std::int32_t& position) {
  if (position != 0) return true;
  if (masterOrder_ == MasterOrder::Unknown) {
    bool ordered = true;
    if (!MasterInIdOrder(MasterFileNo.get(), ordered).ok())
      return true;  // the bisection's answer stands
    masterOrder_ = ordered ? MasterOrder::Ordered : MasterOrder::OutOfOrder;
  }
  if (masterOrder_ == MasterOrder::Ordered) return true;
  return ScanPatientsById(id, position).ok();
}

std::int32_t Store::Bisect(float id) {
  std::int32_t high = patientCount_ + 1;
  std::int32_t p = patientCount_ / 2;
  if (p == 0) p = 1;
  double v = 0;

  (void)ProbePatient(p, v);
  if (SameId(v, id)) return p;
  bool downward = v > id;
  for (;;) {
    if (downward) {
      high = p;
      p = p / 2;
      if (p <= 0) return 0;
      (void)ProbePatient(p, v);
      if (SameId(v, id)) return p;
      downward = v > id;
    } else {
      p = (p + high) / 2;
      if (p > high) return 0;
      (void)ProbePatient(p, v);
      if (SameId(v, id)) return p;
      if (p == high - 1) {
        (void)ProbePatient(high, v);
        return SameId(v, id) ? high : 0;
      }
      downward = v > id;
    }
  }
}

LookupOutcome Store::LookupPatientById(float id, std::int32_t& position) {
  position = 0;
  if (patientCount_ == 0) return LookupOutcome::EmptyMaster;
  if (patientCount_ < 11) {
    return ScanPatientsById(id, position).ok() ? LookupOutcome::Done : LookupOutcome::ReadFailed;
  }
  position = Bisect(id);
  return ScanWhenOutOfOrder(id, position) ? LookupOutcome::Done : LookupOutcome::ReadFailed;
}

Status Store::ScanPatientsById(float id, std::int32_t& position) {
  position = 0;
  for (std::int32_t p = 1; p <= patientCount_; ++p) {
    double v = 0;
    if (Status s = ProbePatient(p, v); !s.ok()) return s;
    if (SameId(v, id)) {
      position = p;
      return Status::Ok();
    }
  }
  return Status::Ok();
}

}  // namespace store
