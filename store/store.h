#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/drive_lock.h"
#include "platform/file_system.h"
#include "store/exam_index.h"
#include "store/record_file.h"
#include "store/records.h"

namespace store {

class History;

// Fixed paths, written as the system writes them.
inline constexpr const char* kDataDir = "C:\\VLN2\\";
inline constexpr const char* kImageDir = "C:\\VLN2\\GAZOU\\";
inline constexpr const char* kKariDir = "C:\\VLN2\\KARI\\";
inline constexpr const char* kMasterDir = "C:\\MASTA\\";
inline constexpr const char* kDataFile = "C:\\VLN2\\VLN2.ekg";
inline constexpr const char* kWorkFile = "C:\\VLN2\\TEMP.DATA";
inline constexpr const char* kDepartmentFile = "C:\\VLN2\\SYOZOKU.DATA";
inline constexpr const char* kLeadSiteFile = "C:\\VLN2\\YUDO.DATA";
inline constexpr const char* kFindingFile = "C:\\VLN2\\IJYOU.DATA";
inline constexpr const char* kArrhythmiaFile = "C:\\VLN2\\FUSEI.DATA";
inline constexpr const char* kSortExchangeFile = "C:\\VLN2\\TESTOUT.TXT";
inline constexpr const char* kMasterFile = "C:\\MASTA\\KANJYA.MASTA";
inline constexpr const char* kScratchFile = "C:\\MASTA\\KARIKAN.DATA";

// Entries of each lookup list.
inline constexpr int kDepartmentEntries = 45;
inline constexpr int kLeadSiteEntries = 30;
inline constexpr int kFindingEntries = 45;
inline constexpr int kArrhythmiaEntries = 45;

// The staging file a rebuild writes before it replaces the live file.
enum class Staging {
  WorkFile,     // "TEMP.DATA" replaces "VLN2.ekg"
  ScratchFile,  // "KARIKAN.DATA" replaces "KANJYA.MASTA"
};

// What a rebuild came to.
enum class RebuildOutcome {
  Replaced,            // the live file holds the new records; every file is open
  Unchanged,           // a step failed before the replacement: the live file is as it was
  ReplacedThenFailed,  // the live file holds the new records, but a later step (making
                       // the rename durable, reopening the files) failed
};

struct [[nodiscard]] RebuildResult {
  RebuildOutcome outcome = RebuildOutcome::Replaced;
  Status status;  // the first failure; Ok when Replaced

  bool ok() const { return outcome == RebuildOutcome::Replaced; }
  // The live file holds the new records (whether or not a later step failed).
  bool Changed() const { return outcome != RebuildOutcome::Unchanged; }
  static RebuildResult Done() { return {}; }
  static RebuildResult Unchanged(Status s) { return {RebuildOutcome::Unchanged, s}; }
  static RebuildResult ChangedThenFailed(Status s) {
    return {RebuildOutcome::ReplacedThenFailed, s};
  }
  // The failure as a plain status, for callers that only show it.
  operator Status() const { return status; }
};

// The four lookup lists.
enum class LookupList { Department, LeadSite, Finding, Arrhythmia };

// Why a file or folder of the store cannot be used (fully).
enum class Trouble {
  NoPermission,   // the user may not open it
  ReadOnlyDrive,  // it lies on a read-only drive (readable, or missing and not creatable)
  ReadOnlyFile,   // the file may be read but not written
  NotAFile,       // a folder (or other non-file) stands in the file's place
  NotAFolder,     // a file stands in the folder's place
  Missing,        // a folder that is not there, a file that is not there (read-only run)
  Failed,         // any other failure; see `error`
};

struct FileTrouble {
  std::string path;  // as the system writes it: "C:\VLN2\VLN2.ekg", "C:\MASTA\"
  bool folder = false;
  Trouble trouble = Trouble::Failed;
  int error = platform::kNoError;  // run-time error number of the failure
  bool readable = false;           // opened for reading only
};

// A record file that ends in part of a record: a write that did not end.
struct PartialRecord {
  std::string path;  // as the system writes it
  std::uint64_t bytes = 0;
};

// What the patient lookup for the windows found.
enum class LookupOutcome {
  Done,         // the position is the record number, or 0
  EmptyMaster,  // the master holds no data
  ReadFailed,   // the scan stopped on a read error (LastError)
};

// What a patient lookup found: the master record number (0: none) and, when
// found, the patient.
struct FoundPatient {
  LookupOutcome outcome = LookupOutcome::Done;
  std::int32_t position = 0;
  PatientRecord record;
  Status status;  // a read failure (outcome ReadFailed, or the found record unreadable)

  bool found() const { return position > 0 && status.ok(); }
};

// The record store: the open record files and the module state that every
// window shares. One Store is the module state of the whole program; the
// windows read and write its members directly, under the system's names.
class Store {
 public:
  explicit Store(platform::FileSystem& fs);
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;
  ~Store();

  platform::FileSystem& Files() { return fs_; }
  // The change history of the drive (store/history.h), opened on first use.
  History& Changes();

  // Program start: "C:\MASTA\" is created when missing, a left-over
  // "KARIKAN.DATA" is deleted, the program's own temporary files of an earlier
  // run that died are removed (RemoveLeftTemporaries), then OpenAllFiles.
  // A file or folder that cannot be used does not stop the start: every other
  // file is opened, a file that can only be read is opened for reading, and
  // each trouble is kept in Troubles(). Returns the error of the first
  // trouble, Ok when there is none (StartUpMessage() is empty exactly then).
  [[nodiscard]] Status StartUp();

  // The record files that StartUp found ending in part of a record. The
  // part is no record: nothing reads it, and the next rebuild of the file
  // leaves it out.
  const std::vector<PartialRecord>& PartialRecords() const { return partialRecords_; }
  // In Japanese, which files end so and what it means; empty when none does.
  std::string PartialRecordsMessage() const;

  // The troubles found by the last OpenAllFiles (and StartUp's folders).
  const std::vector<FileTrouble>& Troubles() const { return troubles_; }
  // In Japanese, which files or folders cannot be used, why, and what the
  // user cannot do because of it; empty when every file is usable.
  std::string StartUpMessage() const;

  // The data file "VLN2.ekg" is open and can be read. When false, RecordCount
  // is 0 because the file could not be read, not because it holds no data.
  bool DataFileUsable() const { return DataFileNo != nullptr; }
  // The data file is open for writing (not read-only, not a read-only run).
  bool DataFileWritable() const { return DataFileNo != nullptr && !DataFileNo->ReadOnly(); }
  // Empty when the data file can be used as asked (read, or also written);
  // otherwise the Japanese message that says why a command cannot run.
  std::string DataFileRefusal(bool forWriting) const;
  // The same for the patient master "KANJYA.MASTA".
  std::string MasterFileRefusal(bool forWriting) const;

  // Removes the program's own temporary files that a run which died left:
  // "C:\VLN2\GAZOU\Temp.bmp", the JPEG writer's ".<name>.jpg.<pid>.<n>.tmp"
  // in the image folder whose process no longer runs, the staging files of
  // ReplaceListFile, and the working copies of examinations and patient IDs
  // ("TEMP.DATA", "TEMP.DATA.PART", "TESTOUT.TXT", "KARIKAN.DATA.PART").
  // Only these exact names; any other file stays.
  void RemoveLeftTemporaries();

  // Opens the data file (OpenDataFile), the master, the four lists and the
  // scratch file in that order, creating missing files, then CountRecords.
  // Every file is opened even when one fails; the first failure is returned.
  [[nodiscard]] Status OpenAllFiles();
  // Creates "C:\VLN2", "C:\VLN2\GAZOU", "C:\VLN2\KARI" (an existing directory
  // is no error) and opens "VLN2.ekg".
  [[nodiscard]] Status OpenDataFile();
  void CountRecords();
  // Opens "TEMP.DATA" (creating it empty when missing).
  [[nodiscard]] Status OpenWorkFile();
  // The records of the working file; 0 when it is not open.
  std::int32_t WorkRecordCount() const;
  // When "TEMP.DATA" exists: closes every file, deletes it, OpenAllFiles.
  [[nodiscard]] Status RemoveWorkFile();
  void CloseAllFiles();
  // The file part of ShutDown: every file closed, "TEMP.DATA" deleted.
  [[nodiscard]] Status ShutDownFiles();

  // Close-replace-reopen: closes every file, runs `replace`, reopens every
  // file, and the working file when `reopenWorkFile` or when it was open and
  // `replace` left it (a patient change keeps the examination list being
  // browsed). All files are reopened whatever `replace` answers; its failure
  // is returned.
  [[nodiscard]] Status CloseReplaceReopen(const std::function<Status()>& replace,
                                          bool reopenWorkFile = false);

  // A rebuild through a staging file. The staging file is started empty and
  // open (WorkFileNo or ScratchFileNo), `produce` writes the new records into
  // it while the live file is still open for reading; then the staging file
  // is flushed to disk, every file closed, the staging file renamed over the
  // live file in one atomic step, the rename made durable and every file
  // reopened and counted.
  // When a step before the rename fails (or `produce` fails), the outcome is
  // Unchanged: the live file is left whole, the staging file is removed and
  // every file reopened. When the rename was done but making it durable or
  // reopening failed, the outcome is ReplacedThenFailed: the live file holds
  // the new records, and the failure is returned with it.
  RebuildResult Rebuild(Staging staging, const std::function<Status()>& produce);

  // Replaces a lookup list file as a whole: `entries` (UTF-8, one per record,
  // blank ones included) are written into a staging file beside it, which is
  // forced to the disk and renamed over the list file in one atomic step; the
  // list is then reopened and counted. The file is always either the old list
  // or the new one: on any failure it is left as it was, the staging file is
  // removed and the failure returned. A list file that is open for reading
  // only is refused with "permission denied", one that could not be opened
  // at all with "path/file access error".
  [[nodiscard]] Status ReplaceListFile(LookupList which, const std::vector<std::string>& entries);
  // "C:\VLN2\.SYOZOKU.DATA.new" and the like: the staging file of a list.
  static std::string ListStagingPath(LookupList which);
  static const char* ListPath(LookupList which);

  // Reads examination n (1 ... RecordCount) of the data file into `record`.
  [[nodiscard]] Status ReadExamination(std::int32_t n, ExamRecord& record);

  // The entries of a lookup list (UTF-8, blanks included, one per record of
  // its fixed size). A file that is not open reads as blank entries and
  // answers "bad file name or number"; a read failure ends the reading there.
  [[nodiscard]] Status ReadListEntries(LookupList which, std::vector<std::string>& entries);
  static int ListEntries(LookupList which);

  // The patient of ID `id` by FindPatientById (the main window's lookup) or
  // by LookupPatientById (the patient windows'), with the record read.
  FoundPatient FindPatient(float id);
  FoundPatient LookupPatient(float id);

  // When set, every patient record the lookups read is appended here.
  void SetPatientProbeLog(std::vector<std::int32_t>* log) { patientProbeLog_ = log; }

  // --- The open files and their counts ----------------------------------
  // Each is null when the file is not open (it could not be opened, or a
  // replacement closed it). A file is opened by OpenAllFiles (the working
  // file by OpenWorkFile) and closed only by a replacement or ShutDownFiles.
  RecordFile* DataFile() const { return DataFileNo.get(); }
  RecordFile* MasterFile() const { return MasterFileNo.get(); }
  RecordFile* ScratchFile() const { return ScratchFileNo.get(); }
  RecordFile* WorkFile() const { return WorkFileNo.get(); }
  RecordFile* ListFileOf(LookupList which) const;
  // Closes the working file (it stays on the drive).
  void CloseWorkFile() { WorkFileNo.reset(); }
  // The patient scratch file emptied: closed, deleted and opened again
  // (for reading only in a read-only run); no other file is touched.
  [[nodiscard]] Status EmptyScratchFile();

  // The records of the data file and of the master, as counted by the last
  // CountRecords.
  std::int32_t RecordCount() const { return recordCount_; }
  std::int32_t PatientCount() const { return patientCount_; }

  // The examinations by patient, built by StartUp and kept current by the
  // commands that change the data file.
  ExamIndex& ExamsByPatient() { return examIndex_; }

  // Whether this run may not write the drive (see SetReadOnlySession).
  bool ReadOnlySession() const { return readOnlySession_ || driveUnreachable_; }
  // Set before StartUp when this run may not write the drive (the drive lock
  // could not be taken): every file is opened for reading only, nothing is
  // created, deleted or cleaned up, and files that are read-only because of
  // it are not reported as troubles.
  void SetReadOnlySession(bool readOnly) { readOnlySession_ = readOnly; }
  // Whether a process id belongs to a running process; replaceable for tests.
  void SetProcessRunning(std::function<bool(long)> running) {
    processRunning_ = std::move(running);
  }

  // --- Several programs on one drive (store/shared_drive.cpp) ----------
  // The lock file of the drive; none (tests of one program) takes no lock.
  void SetDriveLock(platform::DriveLock* lock);
  // Asked while a lock waits for another program (see DriveLock::Lock*).
  void SetLockWait(platform::DriveLock::WaitFunction wait) { lockWait_ = std::move(wait); }

  // A held lock on the drive for one command. Scopes nest: an inner scope
  // takes nothing the outer one holds; a change inside a read lets go of
  // the read and takes the exclusive lock. Taking a lock first looks at the
  // drive's generation and, when another program changed the drive, reopens
  // and counts every file (Reloads() goes up). The outermost change raises
  // the generation when it ends.
  class [[nodiscard]] DriveScope {
   public:
    DriveScope(DriveScope&& other) noexcept;
    DriveScope(const DriveScope&) = delete;
    DriveScope& operator=(const DriveScope&) = delete;
    ~DriveScope();
    // False when the lock could not be taken (the wait was cancelled): the
    // command must not touch the files.
    explicit operator bool() const { return status_.ok(); }
    Status status() const { return status_; }

   private:
    friend class Store;
    DriveScope(Store* store, int before, Status status);
    Store* store_;
    int before_;  // the hold before this scope (DriveHold)
    Status status_;
  };
  DriveScope Reading();
  // `rebuild`: the change rebuilds a whole file; the other programs say so
  // while they wait.
  DriveScope Changing(bool rebuild = false);
  // Whether another program changed the drive since this one last looked
  // (a plain read of the counter, no lock).
  bool DriveChanged() const;
  // Whether the drive's lock file can be reached (always, without one).
  bool DriveReachable() const { return driveLock_ == nullptr || driveLock_->Reachable(); }
  // Looks whether the drive can be reached, reconnecting to it when it can
  // again. While it cannot, this run is read-only (ReadOnlySession, the
  // refusals for writing) and no change begins; once it can, every file is
  // reopened before the next command reads. True when that state switched.
  bool FollowDriveReachability();
  bool DriveUnreachable() const { return driveUnreachable_; }
  // Called by every window command before it runs: brings what the windows
  // show up to date with the other programs' changes.
  void SetBeforeCommand(std::function<void()> before) { beforeCommand_ = std::move(before); }
  void BeforeCommand() {
    if (beforeCommand_) beforeCommand_();
  }
  // Whether another program is rebuilding a whole file now (never while
  // this one holds the drive for its own change).
  bool DriveBeingRebuilt() const;
  // How often the files were reopened because another program changed them.
  std::uint64_t Reloads() const { return reloads_; }
  // The generation this program last saw (after its own change: that change's).
  std::uint64_t SeenGeneration() const { return seenGeneration_; }

  // True while a long operation runs (see store/long_operation.h); commands
  // that read or write the store do nothing meanwhile.
  bool LongOperationRunning() const { return longOperationRunning_; }
  // Told when the first long operation begins (true) and when it ends (false).
  void SetOnLongOperation(std::function<void(bool running)> told) {
    onLongOperation_ = std::move(told);
  }

 private:
  friend class LongOperation;
  enum DriveHold { kNoHold, kSharedHold, kExclusiveHold };
  platform::DriveLock* driveLock_ = nullptr;
  platform::DriveLock::WaitFunction lockWait_;
  int driveHold_ = kNoHold;
  std::uint64_t seenGeneration_ = 0;
  std::uint64_t reloads_ = 0;
  bool driveUnreachable_ = false;
  std::function<void()> beforeCommand_;
  // Under a lock: reopens every file when the generation moved.
  void CatchUpWithDrive();
  void EndDriveScope(int before);
  bool longOperationRunning_ = false;
  std::function<void(bool running)> onLongOperation_;
  bool readOnlySession_ = false;
  std::function<bool(long)> processRunning_;

  // The module state: the open files and the counts, under the system's names.
  std::unique_ptr<RecordFile> DataFileNo;
  std::unique_ptr<RecordFile> MasterFileNo;
  std::unique_ptr<RecordFile> ScratchFileNo;
  std::unique_ptr<RecordFile> DepartmentFileNo;
  std::unique_ptr<RecordFile> LeadSiteFileNo;
  std::unique_ptr<RecordFile> FindingFileNo;
  std::unique_ptr<RecordFile> ArrhythmiaFileNo;
  std::unique_ptr<RecordFile> WorkFileNo;
  std::int32_t recordCount_ = 0;
  std::int32_t patientCount_ = 0;
  ExamIndex examIndex_;

  // The bisection over the master (ascending numeric PatientId): the record
  // whose ID has the value `id`, or 0. A master that is out of ID order (new
  // patients appended by the bulk registration without the re-sort) is
  // scanned when the bisection finds nothing, so that every ID it holds is
  // found; its order is checked once after each count of the records.
  std::int32_t FindPatientById(float id);
  // The lookup of the patient windows: the scan for fewer than 11 patients,
  // else the bisection (with the scan of a master out of order, as above).
  LookupOutcome LookupPatientById(float id, std::int32_t& position);
  // Linear scan of the master; stops at the first match (position 0: none).
  Status ScanPatientsById(float id, std::int32_t& position);
  // Reads patient record p; the numeric value of its ID.
  Status ProbePatient(std::int32_t p, double& value);
  std::int32_t Bisect(float id);
  // After a bisection that found nothing (`position` 0): the scan, when the
  // master is out of ID order. False when that scan failed to read.
  bool ScanWhenOutOfOrder(float id, std::int32_t& position);
  std::vector<std::int32_t>* patientProbeLog_ = nullptr;
  // Whether the master is in ID order: unknown until checked after CountRecords.
  enum class MasterOrder { Unknown, Ordered, OutOfOrder };
  MasterOrder masterOrder_ = MasterOrder::Unknown;

  // Opens one record file of OpenAllFiles: for read and write, else (when it
  // exists) for reading only; a failure is diagnosed into troubles_.
  Status OpenStoreFile(const char* path, std::size_t length, std::unique_ptr<RecordFile>& file);
  // Checks (and, when `create`, makes) a folder of the store.
  void CheckFolder(const char* path, bool create);
  // Deletes the files of `folder` named exactly as one of `own`.
  void RemoveOwnFiles(const char* folder, const std::vector<std::string>& own);
  void Diagnose(const char* path, bool folder, int error, bool readable);
  bool FolderInTrouble(std::string_view filePath) const;
  std::unique_ptr<RecordFile>& ListFile(LookupList which);

  std::vector<FileTrouble> troubles_;
  std::vector<PartialRecord> partialRecords_;
  platform::FileSystem& fs_;
  std::unique_ptr<History> changes_;
};

}  // namespace store
