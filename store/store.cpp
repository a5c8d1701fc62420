#include "store/store.h"

#include "platform/process.h"
#include "store/patients.h"
#include "store/text_format.h"

namespace store {
namespace {

Status FirstFailure(Status current, Status next) { return current.ok() ? next : current; }

bool SameId(double value, float id) { return static_cast<float>(value) == id; }

}  // namespace

Store::Store(platform::FileSystem& fs) : ProcessRunning(platform::ProcessRunning), fs_(fs) {}

Status Store::StartUp() {
  if (!ReadOnlySession) {
    if (!fs_.IsDirectory(kMasterDir) && !fs_.Exists(kMasterDir)) {
      (void)fs_.CreateDirectory(kMasterDir);
    }
    // One that cannot be deleted is reported by the opening below.
    if (fs_.Probe(kScratchFile).kind == platform::PathState::kFile) (void)fs_.Delete(kScratchFile);
    RemoveLeftTemporaries();
  }
  Status opened = OpenAllFiles();
  if (!troubles_.empty()) return Status::Error(troubles_.front().error);
  return opened;
}

Status Store::OpenDataFile() {
  for (const char* dir : {"C:\\VLN2\\", "C:\\VLN2\\GAZOU\\", "C:\\VLN2\\KARI\\"}) {
    CheckFolder(dir, !ReadOnlySession);
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
  RecordCount = DataFileNo ? DataFileNo->Count() : 0;
  PatientCount = MasterFileNo ? MasterFileNo->Count() : 0;
  DepartmentCount = static_cast<std::int16_t>(DepartmentFileNo ? DepartmentFileNo->Count() : 0);
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
  CloseAllFiles();
  Status result = replace();
  result = FirstFailure(result, OpenAllFiles());
  if (reopenWorkFile) result = FirstFailure(result, OpenWorkFile());
  return result;
}

RebuildResult Store::Rebuild(Staging staging, const std::function<Status()>& produce) {
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

  if (Status s = stagingFile()->SetWriteBehind(true); !s.ok()) return unchanged(s);
  Status produced = produce();
  if (produced.ok()) produced = stagingFile()->Flush();
  if (!produced.ok()) return unchanged(produced);

  bool renamed = false;
  Status replaced = CloseReplaceReopen([&] {
    if (Status s = fs_.Rename(stagingPath, livePath); !s.ok()) return s;
    renamed = true;
    return fs_.SyncDirectory(liveDir);
  });
  if (renamed) {
    return replaced.ok() ? RebuildResult::Done() : RebuildResult::ChangedThenFailed(replaced);
  }
  if (fs_.Exists(stagingPath)) (void)discardStaging();
  return RebuildResult::Unchanged(replaced);
}

Status Store::ReadExamination(std::int32_t n, ExamRecord& record) {
  if (!DataFileNo) return Status::Error(platform::kBadFileNameOrNumber);
  return DataFileNo->Read(n, record);
}

FoundPatient Store::FindPatient(float id) {
  FoundPatient found;
  FindPatientById(id);
  found.position = static_cast<std::int32_t>(FoundPatientNo);
  if (found.position > 0) found.status = MasterFileNo->Read(found.position, found.record);
  return found;
}

FoundPatient Store::LookupPatient(float id) {
  FoundPatient found;
  found.outcome = LookupPatientById(id);
  if (found.outcome == LookupOutcome::ReadFailed) {
    found.status = Status::Error(platform::kDeviceIoError);
    return found;
  }
  if (found.outcome == LookupOutcome::EmptyMaster) return found;
  found.position = static_cast<std::int32_t>(FoundPatientNo);
  if (found.position > 0) found.status = MasterFileNo->Read(found.position, found.record);
  return found;
}

Status Store::ReadCurrentRecord(std::int32_t n) {
  if (!DataFileNo) return Status::Error(platform::kBadFileNameOrNumber);
  return DataFileNo->Read(n, CurrentRecord);
}

void Store::CopyToWorkRecord() {
  for (std::size_t i = 1; i < ExamRecord::FieldCountValue; ++i) {
    WorkRecord.CopyField(static_cast<ExamField>(i), CurrentRecord);
  }
}

void Store::CopyToScratchBuffer() {
  for (std::size_t i = 1; i < PatientRecord::FieldCountValue; ++i) {
    ScratchBuffer.CopyField(static_cast<PatientField>(i), PatientBuffer);
  }
}

Status Store::ProbePatient(std::int32_t p, double& value) {
  if (PatientProbeLog != nullptr) PatientProbeLog->push_back(p);
  value = 0;
  if (!MasterFileNo) return Status::Error(platform::kBadFileNameOrNumber);
  if (Status s = MasterFileNo->Read(p, PatientBuffer); !s.ok()) return s;
  std::string_view id = TrimBlanks(PatientBuffer.Raw(PatientField::PatientId));
  if (id.empty()) {
    value = -1;  // an empty record never matches
    return Status::Ok();
  }
  value = NumericValue(id);
  return Status::Ok();
}

void Store::FindPatientById(float id) {
  if (PatientCount == 0) {
    FoundPatientNo = 0;
    return;
  }
  Bisect(id);
  (void)ScanWhenOutOfOrder(id);
}

bool Store::ScanWhenOutOfOrder(float id) {
  if (FoundPatientNo != 0) return true;
  if (masterOrder_ == MasterOrder::Unknown) {
    bool ordered = true;
    if (!MasterInIdOrder(*this, ordered).ok()) return true;  // the bisection's answer stands
    masterOrder_ = ordered ? MasterOrder::Ordered : MasterOrder::OutOfOrder;
  }
  if (masterOrder_ == MasterOrder::Ordered) return true;
  return ScanPatientsById(id).ok();
}

void Store::Bisect(float id) {
  std::int32_t high = PatientCount + 1;
  std::int32_t p = PatientCount / 2;
  if (p == 0) p = 1;
  double v = 0;
  auto found = [&](std::int32_t at) { FoundPatientNo = static_cast<float>(at); };

  (void)ProbePatient(p, v);
  if (SameId(v, id)) return found(p);
  bool downward = v > id;
  for (;;) {
    if (downward) {
      high = p;
      p = p / 2;
      if (p <= 0) return found(0);
      (void)ProbePatient(p, v);
      if (SameId(v, id)) return found(p);
      downward = v > id;
    } else {
      p = (p + high) / 2;
      if (p > high) return found(0);
      (void)ProbePatient(p, v);
      if (SameId(v, id)) return found(p);
      if (p == high - 1) {
        (void)ProbePatient(high, v);
        return found(SameId(v, id) ? high : 0);
      }
      downward = v > id;
    }
  }
}

LookupOutcome Store::LookupPatientById(float id) {
  if (PatientCount == 0) return LookupOutcome::EmptyMaster;
  if (PatientCount < 11) {
    return ScanPatientsById(id).ok() ? LookupOutcome::Done : LookupOutcome::ReadFailed;
  }
  Bisect(id);
  return ScanWhenOutOfOrder(id) ? LookupOutcome::Done : LookupOutcome::ReadFailed;
}

Status Store::ScanPatientsById(float id) {
  FoundPatientNo = 0;
  for (std::int32_t p = 1; p <= PatientCount; ++p) {
    double v = 0;
    if (Status s = ProbePatient(p, v); !s.ok()) return s;
    if (SameId(v, id)) {
      FoundPatientNo = static_cast<float>(p);
      return Status::Ok();
    }
  }
  return Status::Ok();
}

}  // namespace store
