#include "sessions/history_session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <set>

#include "sessions/drive_follow.h"
#include "store/atomic_replace.h"
#include "store/change_recorder.h"
#include "store/image_files.h"
#include "store/long_operation.h"
#include "store/master_file.h"
#include "store/patients.h"
#include "store/rebuilds.h"
#include "store/text_format.h"

namespace sessions {

using platform::Status;
using store::ChangeEntry;
using store::ChangeKind;
using store::ExamField;

namespace {

constexpr const char* kNothingToUndo = "元に戻せる変更はありません。";
constexpr const char* kCannotUndo = "この変更の後にデータが変わっているため、元に戻せません。";

bool IsExam(std::string_view file) { return file == store::kDataFile; }
bool IsPatient(std::string_view file) { return file == store::kMasterFile; }

store::RecordFile* FileOf(store::Store& store, const std::string& file) {
  if (IsExam(file)) return store.DataFile();
  if (IsPatient(file)) return store.MasterFile();
  return nullptr;
}

// The record number field of `bytes` set to `n`, as a registration sets it.
void Renumber(const std::string& file, std::string& bytes, int n) {
  if (IsExam(file) && bytes.size() == store::kExamRecordLength) {
    store::ExamRecord record;
    std::copy(bytes.begin(), bytes.end(), record.data());
    record.Set(store::ExamField::RecordNo, store::ExamRecordNo(n));
    bytes = record.Bytes();
  } else if (IsPatient(file) && bytes.size() == store::kPatientRecordLength) {
    store::PatientRecord record;
    std::copy(bytes.begin(), bytes.end(), record.data());
    record.Set(store::PatientField::RecordNo, store::MasterRecordNo(n));
    bytes = record.Bytes();
  }
}

template <typename Fields>
std::vector<int> Differences(const Fields& fields, std::string_view a, std::string_view b) {
  std::vector<int> changed;
  for (std::size_t i = 1; i < fields.size(); ++i) {  // the record number is no change
    const store::FieldDef& f = fields[i];
    if (a.size() < f.offset + f.width || b.size() < f.offset + f.width ||
        a.substr(f.offset, f.width) != b.substr(f.offset, f.width)) {
      changed.push_back(static_cast<int>(i));
    }
  }
  return changed;
}

std::vector<int> ChangedFields(const ChangeEntry& e) {
  if (e.before.empty() || e.after.empty()) return {};
  if (IsExam(e.file)) return Differences(store::kExamFields, e.before, e.after);
  if (IsPatient(e.file)) return Differences(store::kPatientFields, e.before, e.after);
  return e.before != e.after ? std::vector<int>{0} : std::vector<int>{};
}

std::string ChangedFieldNames(const ChangeEntry& e) {
  std::string names;
  for (int i : ChangedFields(e)) {
    const std::string_view name = IsExam(e.file)      ? store::kExamFields[i].name
                                  : IsPatient(e.file) ? store::kPatientFields[i].name
                                                      : std::string_view("EntryText");
    if (!names.empty()) names += ' ';
    names += name;
  }
  return names;
}

// A record-level change: the entry has the record's bytes before and/or after.
bool RecordLevel(const ChangeEntry& e) { return e.record > 0; }

std::string Staging(const std::string& file) {
  if (IsExam(file)) return store::kWorkFile;
  if (IsPatient(file)) return store::kScratchFile;
  return file + ".undo";
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// What tells one examination from another whatever its number: its ID, date
// and picture name.
struct ExamIdentity {
  std::string id, date, picture;
  friend bool operator==(const ExamIdentity&, const ExamIdentity&) = default;
};

ExamIdentity IdentityOf(const std::string& bytes) {
  store::ExamRecord record;
  std::copy_n(bytes.begin(), std::min(bytes.size(), store::kExamRecordLength), record.data());
  auto field = [&record](ExamField f) { return std::string(store::TrimBlanks(record.Raw(f))); };
  return {field(ExamField::PatientId), field(ExamField::ExamDate), field(ExamField::ImageName)};
}

// The entry of a change that goes back to (or restores) what `from` recorded.
ChangeEntry Following(const ChangeEntry& from, ChangeKind kind) {
  ChangeEntry change = from;
  change.kind = kind;
  change.target = from.number;
  return change;
}

// Records `change`, then writes record `n`; a write that fails settles the
// entry by what the file holds now.
Status RecordAndWrite(store::Store& store, store::RecordFile& file, int n, const std::string& bytes,
                      ChangeEntry& change, const std::vector<std::string>& pictures = {}) {
  if (Status s = store::RecordChange(store, change, pictures); !s.ok()) return s;
  if (Status s = file.Write(n, std::span<const char>(bytes)); !s.ok()) {
    store::SettleChange(store, change);
    return s;
  }
  return Status::Ok();
}

}  // namespace

HistorySession::HistorySession(store::Store& store) : store_(store) {}

Versions HistorySession::Rows(const std::vector<std::size_t>& positions) {
  Versions versions;
  store::History& history = store_.Changes();
  ChangeEntry oldest;
  for (std::size_t position : positions) {
    ChangeEntry e;
    if (Status s = history.Read(position, e); !s.ok()) {
      versions.SayError(s);
      return versions;
    }
    versions.rows.push_back({position, store::StampTimeText(e.stamp), e.stamp.user, e.stamp.host,
                             std::string(store::ChangeKindText(e.kind)), false});
    oldest = std::move(e);
  }
  // Where the history starts with a change of a record stored before it, the
  // record as it was is the oldest version.
  if (!versions.rows.empty() && !oldest.before.empty() && !oldest.after.empty()) {
    VersionRow first = versions.rows.back();
    first.operation = "変更前";
    first.beforeChange = true;
    versions.rows.push_back(first);
  }
  return versions;
}

Versions HistorySession::OfExamination(int record) {
  if (Status s = store::OpenChanges(store_); !s.ok()) {
    Versions failed;
    failed.SayError(s);
    return failed;
  }
  listedRecord_ = 0;
  listedBytes_.clear();
  listedChain_.clear();
  store::RecordFile* file = store_.DataFile();
  std::string now(store::kExamRecordLength, ' ');
  if (file != nullptr && record >= 1 && record <= file->Count() &&
      file->Read(record, std::span<char>(now)).ok()) {
    listedRecord_ = record;
    listedBytes_ = now;
    listedChain_ = ExaminationChain(now);
  } else if (record >= 1) {
    // No such record any more: the entries of the record number as a last
    // resort (a deleted examination's last entry is its delete).
    listedChain_ = store_.Changes().OfRecord(store::kDataFile, record);
  }
  Versions versions = Rows(listedChain_);
  versions.none = "この検査の変更履歴はありません。";
  return versions;
}

int HistorySession::ListedExaminationNow() {
  if (listedRecord_ <= 0 || listedBytes_.size() != store::kExamRecordLength) return 0;
  store::ExamRecord asListed;
  std::copy(listedBytes_.begin(), listedBytes_.end(), asListed.data());
  return FindExaminationAgain(store_, asListed, listedRecord_);
}

std::vector<std::size_t> HistorySession::ExaminationChain(const std::string& now) {
  store::History& history = store_.Changes();
  const std::vector<store::EntryHead>& heads = history.Heads();
  ExamIdentity wanted = IdentityOf(now);
  std::set<std::string> ids = {wanted.id};
  std::vector<std::size_t> chain;
  for (std::size_t i = heads.size(); i-- > 0;) {
    if (!IsExam(heads[i].file) || heads[i].record <= 0 ||
        ids.count(std::string(store::TrimBlanks(history.PatientIdOf(i)))) == 0) {
      continue;
    }
    ChangeEntry e;
    if (!history.Read(i, e).ok()) break;
    const std::string& stands = e.after.empty() ? e.before : e.after;
    if (stands.empty() || !(IdentityOf(stands) == wanted)) continue;
    chain.push_back(i);
    if (!e.before.empty()) {
      wanted = IdentityOf(e.before);
      ids.insert(wanted.id);
    } else if (e.kind == ChangeKind::Register) {
      break;  // where it began
    }
  }
  return chain;
}

Versions HistorySession::OfPatient(const std::string& patientId) {
  if (Status s = store::OpenChanges(store_); !s.ok()) {
    Versions failed;
    failed.SayError(s);
    return failed;
  }
  std::vector<std::size_t> positions;
  for (std::size_t p : store_.Changes().OfPatient(patientId)) {
    if (IsPatient(store_.Changes().Heads()[p].file)) positions.push_back(p);
  }
  Versions versions = Rows(positions);
  versions.none = "この患者の変更履歴はありません。";
  return versions;
}

Versions HistorySession::OfLastChanged() {
  listedRecord_ = 0;
  listedBytes_.clear();
  listedChain_.clear();
  if (Status s = store::OpenChanges(store_); !s.ok()) {
    Versions failed;
    failed.SayError(s);
    return failed;
  }
  store::History& history = store_.Changes();
  const std::vector<store::EntryHead>& heads = history.Heads();
  for (std::size_t i = heads.size(); i-- > 0;) {
    if (!IsExam(heads[i].file)) continue;
    ChangeEntry last;
    // After a change of the whole file no number names what it was.
    if (heads[i].record <= 0 || !history.Read(i, last).ok()) break;
    if (!last.after.empty()) return OfExamination(last.record);
    listedChain_ = ExaminationChain(last.before);
    break;
  }
  Versions versions = Rows(listedChain_);
  versions.none = "検査の変更履歴はまだありません。";
  return versions;
}

bool HistorySession::VersionBytes(const VersionRow& version, ChangeEntry& entry,
                                  std::string& bytes) {
  if (!store_.Changes().Read(version.position, entry).ok()) return false;
  bytes = version.beforeChange || entry.after.empty() ? entry.before : entry.after;
  return !bytes.empty();
}

ShownVersion HistorySession::Show(const VersionRow& version) {
  ShownVersion shown;
  ChangeEntry entry;
  std::string bytes;
  if (!VersionBytes(version, entry, bytes)) {
    shown.SayError(platform::kBadFileNameOrNumber);
    return shown;
  }
  shown.read = true;
  shown.examination = IsExam(entry.file);
  if (shown.examination && bytes.size() == store::kExamRecordLength) {
    std::copy(bytes.begin(), bytes.end(), shown.exam.data());
  } else if (bytes.size() == store::kPatientRecordLength) {
    std::copy(bytes.begin(), bytes.end(), shown.patient.data());
  }
  shown.deleted = entry.after.empty() && !version.beforeChange;
  if (!version.beforeChange) shown.changed = ChangedFields(entry);
  return shown;
}

HistoryChange HistorySession::WriteBack(const ChangeEntry& from, std::string bytes,
                                        ChangeKind kind) {
  HistoryChange done;
  store::RecordFile* file = FileOf(store_, from.file);
  if (file == nullptr || from.record > file->Count()) {
    done.Say(kCannotUndo);
    return done;
  }
  ChangeEntry change = Following(from, kind);
  change.before.assign(file->RecordLength(), ' ');
  if (Status s = file->Read(from.record, std::span<char>(change.before)); !s.ok()) {
    done.SayError(s);
    return done;
  }
  // An undo puts back the very bytes; a restored version keeps the number
  // the place has.
  if (kind == ChangeKind::Restore) {
    std::copy_n(change.before.begin(),
                IsExam(from.file) ? store::kExamFields[0].width : store::kPatientFields[0].width,
                bytes.begin());
  }
  change.after = bytes;
  change.countBefore = file->Count();
  std::vector<std::string> pictures;
  for (const store::KeptFile& k : from.kept) pictures.push_back(k.live);
  if (Status s = RecordAndWrite(store_, *file, from.record, bytes, change, pictures); !s.ok()) {
    done.SayError(s);
    return done;
  }
  PutBackPictures(from);
  store_.CountRecords();
  done.changed = true;
  done.record = IsExam(from.file) ? from.record : 0;
  return done;
}

HistoryChange HistorySession::Append(const ChangeEntry& from, std::string bytes, ChangeKind kind) {
  HistoryChange done;
  store::RecordFile* file = FileOf(store_, from.file);
  if (file == nullptr) {
    done.SayError(platform::kBadFileNameOrNumber);
    return done;
  }
  const int n = file->Count() + 1;
  Renumber(from.file, bytes, n);
  ChangeEntry change = Following(from, kind);
  change.record = n;
  change.countBefore = n - 1;
  change.before.clear();
  change.after = bytes;
  if (Status s = RecordAndWrite(store_, *file, n, bytes, change); !s.ok()) {
    done.SayError(s);
    return done;
  }
  PutBackPictures(from);
  store_.CountRecords();
  done.changed = true;
  done.record = IsExam(from.file) ? n : 0;
  return done;
}

HistoryChange HistorySession::Remove(const ChangeEntry& from) {
  HistoryChange done;
  store::RecordFile* file = FileOf(store_, from.file);
  std::string now(from.after.size(), ' ');
  if (file == nullptr || from.record > file->Count() ||
      !file->Read(from.record, std::span<char>(now)).ok() || now != from.after) {
    done.Say(kCannotUndo);
    return done;
  }
  store::LongOperation operation(store_);
  if (!operation) return done;
  ChangeEntry change = Following(from, ChangeKind::Undo);
  change.countBefore = file->Count();
  change.before = now;
  change.after.clear();
  std::vector<std::string> kept;
  std::string picture;
  if (IsExam(from.file)) {
    store::ExamRecord record;
    std::copy(now.begin(), now.end(), record.data());
    picture = record.Get(store::ExamField::ImageName);
    if (std::string name = store::FindImageFile(store_.Files(), picture); !name.empty()) {
      kept.push_back(store::ImageFilePath(name));
    }
  }
  if (Status s = store::RecordChange(store_, change, kept); !s.ok()) {
    done.SayError(s);
    return done;
  }
  const store::Staging staging =
      IsExam(from.file) ? store::Staging::WorkFile : store::Staging::ScratchFile;
  const store::RebuildResult rebuilt = store::DeleteAndRenumber(store_, staging, from.record);
  if (!rebuilt.Changed()) {
    store::ChangeNotMade(store_);
    done.SayError(rebuilt.status);
    return done;
  }
  bool deleted = false;
  if (!picture.empty()) (void)store::DeleteUnsharedImage(store_, picture, 0, deleted);
  done.changed = true;
  done.record = IsExam(from.file) ? std::min<int>(from.record, store_.RecordCount()) : 0;
  return done;
}

HistoryChange HistorySession::Insert(const ChangeEntry& from) {
  HistoryChange done;
  store::RecordFile* file = FileOf(store_, from.file);
  if (file == nullptr || from.record > file->Count() + 1) {
    done.Say(kCannotUndo);
    return done;
  }
  store::LongOperation operation(store_);
  if (!operation) return done;
  const int count = file->Count();
  const std::string bytes = from.before;
  ChangeEntry change = Following(from, ChangeKind::Undo);
  change.countBefore = count;
  change.before.clear();
  change.after = bytes;
  // At the end first, then moved to its old place: the records after it
  // take their old numbers again.
  if (Status s = RecordAndWrite(store_, *file, count + 1, bytes, change); !s.ok()) {
    done.SayError(s);
    return done;
  }
  store_.CountRecords();
  if (from.record <= count) {
    std::vector<std::int32_t> positions;
    for (int i = 1; i <= count + 1; ++i) {
      if (i == from.record) positions.push_back(count + 1);
      if (i <= count) positions.push_back(i);
    }
    const store::Staging staging =
        IsExam(from.file) ? store::Staging::WorkFile : store::Staging::ScratchFile;
    if (const store::RebuildResult moved = store::ReorderByPositions(store_, staging, positions);
        !moved.ok()) {
      done.SayRebuilt(moved, "データは戻されました");
    }
  }
  PutBackPictures(from);
  done.changed = true;
  done.record = IsExam(from.file) ? from.record : 0;
  return done;
}

void HistorySession::PutBackPictures(const ChangeEntry& entry) {
  platform::FileSystem& fs = store_.Files();
  for (const store::KeptFile& k : entry.kept) {
    if (k.live == entry.file) continue;
    (void)fs.Copy(store_.Changes().KeptPath(k.name), k.live);
  }
}

HistoryChange HistorySession::UndoWholeFile(const ChangeEntry& entry) {
  HistoryChange done;
  auto old = std::find_if(entry.kept.begin(), entry.kept.end(),
                          [&](const store::KeptFile& k) { return k.live == entry.file; });
  if (old == entry.kept.end()) {
    done.Say(kCannotUndo);
    return done;
  }
  store::LongOperation operation(store_);
  if (!operation) return done;
  ChangeEntry change;
  change.kind = ChangeKind::Undo;
  change.file = entry.file;
  change.target = entry.number;
  change.countBefore = store_.RecordCount();
  if (Status s = store::RecordChange(store_, change, {entry.file}); !s.ok()) {
    done.SayError(s);
    return done;
  }
  platform::FileSystem& fs = store_.Files();
  const std::string staging = Staging(entry.file);
  const std::string keptPath = store_.Changes().KeptPath(old->name);
  store::ReplaceOutcome replaced;
  const Status s = store_.CloseReplaceReopen([&]() -> Status {
    if (fs.Exists(staging)) (void)fs.Delete(staging);
    if (Status copied = fs.Copy(keptPath, staging); !copied.ok()) return copied;
    replaced = store::ReplaceAtomically(fs, staging, entry.file, FolderOf(entry.file));
    return replaced.status;
  });
  if (!replaced.renamed) {
    store::ChangeNotMade(store_);
    done.SayError(s.ok() ? Status::Error(platform::kDeviceIoError) : s);
    return done;
  }
  PutBackPictures(entry);
  if (!s.ok()) done.SayMadeThenFailed("データは戻されました", s);
  done.changed = true;
  done.record = IsExam(entry.file) && store_.RecordCount() > 0 ? 1 : 0;
  return done;
}

// A restore or undo can move any examination: the index by patient is
// built again rather than followed step by step.
HistoryChange HistorySession::Reindexed(HistoryChange done) {
  if (done.changed) (void)store_.ExamsByPatient().Build(store_.DataFile());
  return done;
}

HistoryChange HistorySession::Restore(const VersionRow& version) {
  HistoryChange done;
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, done)) return done;
  return Reindexed(RestoreVersion(version));
}

HistoryChange HistorySession::RestoreVersion(const VersionRow& version) {
  ChangeEntry entry;
  std::string bytes;
  if (!VersionBytes(version, entry, bytes)) {
    HistoryChange failed;
    failed.SayError(platform::kBadFileNameOrNumber);
    return failed;
  }
  if (IsPatient(entry.file)) return RestorePatient(entry, bytes);
  // A deleted record comes back at the end: the records after it have
  // other numbers now.
  if (entry.after.empty()) return Append(entry, bytes, ChangeKind::Restore);
  // Written where the examination stands now, and only while it is still
  // what the versions were listed for.
  std::string now(store::kExamRecordLength, ' ');
  store::RecordFile* file = store_.DataFile();
  if (listedRecord_ == 0 || file == nullptr || listedRecord_ > file->Count() ||
      !file->Read(listedRecord_, std::span<char>(now)).ok() || now != listedBytes_) {
    HistoryChange refused;
    refused.Say(kCannotUndo);
    return refused;
  }
  entry.record = listedRecord_;
  entry.kept = VersionPicture(version, bytes);
  return WriteBack(entry, bytes, ChangeKind::Restore);
}

std::vector<store::KeptFile> HistorySession::VersionPicture(const VersionRow& version,
                                                            const std::string& bytes) {
  store::ExamRecord record;
  std::copy(bytes.begin(), bytes.end(), record.data());
  const std::string name = record.Get(store::ExamField::ImageName);
  if (name.empty()) return {};
  const std::string path = store::ImagePath(name);
  auto samePath = [&path](const std::string& live) {
    return std::ranges::equal(live, path, [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) ==
             std::tolower(static_cast<unsigned char>(b));
    });
  };
  // The picture as the version left it is what the first change after it
  // kept when it replaced that picture; the state before a change is what
  // that change itself kept.
  store::History& history = store_.Changes();
  const std::vector<std::size_t>& newestFirst = listedChain_;
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
    if (*it < version.position || (*it == version.position && !version.beforeChange)) continue;
    ChangeEntry later;
    if (!history.Read(*it, later).ok()) return {};
    for (const store::KeptFile& k : later.kept) {
      if (samePath(k.live)) return {k};
    }
  }
  return {};
}

HistoryChange HistorySession::RestorePatient(const ChangeEntry& from, const std::string& bytes) {
  HistoryChange done;
  store::PatientRecord patient;
  std::copy(bytes.begin(), bytes.end(), patient.data());
  store::LongOperation operation(store_);
  if (!operation) return done;
  ChangeEntry change;
  change.kind = ChangeKind::Restore;
  change.file = from.file;
  change.target = from.number;
  change.countBefore = store_.PatientCount();
  change.patientId = from.patientId;
  change.name = patient.Get(store::PatientField::Name);
  change.after = bytes;
  if (Status s = store::RecordChange(store_, change, {from.file}); !s.ok()) {
    done.SayError(s);
    return done;
  }
  // Registered again: over the patient of that ID, or in ID order.
  const store::PatientRegistration registered = store::RegisterPatient(store_, patient);
  store::SettleChange(store_, change);
  if (!registered.result.Changed()) {
    done.SayError(registered.result.status);
    return done;
  }
  if (!registered.result.ok())
    done.SayMadeThenFailed("患者データは戻されました", registered.result);
  store_.CountRecords();
  done.changed = true;
  return done;
}

std::optional<std::size_t> HistorySession::LastUndoable() {
  if (!store::OpenChanges(store_).ok()) return std::nullopt;
  const std::vector<store::EntryHead>& heads = store_.Changes().Heads();
  std::set<std::uint64_t> undone;
  for (std::size_t i = heads.size(); i-- > 0;) {
    if (heads[i].kind == ChangeKind::Undo) {
      undone.insert(heads[i].target);
    } else if (!undone.contains(heads[i].number)) {
      return i;
    }
  }
  return std::nullopt;
}

HistorySession::UndoQuestion HistorySession::AskUndoLast() {
  UndoQuestion question;
  const std::optional<std::size_t> last = LastUndoable();
  ChangeEntry e;
  if (!last || !store_.Changes().Read(*last, e).ok()) {
    question.Say(kNothingToUndo);
    return question;
  }
  std::string text =
      store::StampTimeText(e.stamp, false) + " " + std::string(store::ChangeKindText(e.kind));
  if (RecordLevel(e)) text += " ファイルNO " + std::to_string(e.record);
  if (!e.name.empty()) text += " " + e.name;
  question.ask =
      Message{text + " を元に戻しますか？", platform::kYesNo | platform::kDefaultButton2};
  return question;
}

HistoryChange HistorySession::UndoLast() {
  HistoryChange done;
  const store::Store::DriveScope held = store_.Changing(true);
  if (!Held(held, done)) return done;
  return Reindexed(UndoLastChange());
}

HistoryChange HistorySession::UndoLastChange() {
  const std::optional<std::size_t> last = LastUndoable();
  ChangeEntry e;
  if (!last || !store_.Changes().Read(*last, e).ok()) {
    HistoryChange nothing;
    nothing.Say(kNothingToUndo);
    return nothing;
  }
  // Every later change is undone already: the files are as this change
  // left them, so a whole file can go back too.
  if (!RecordLevel(e)) {
    return UndoWholeFile(e);
  }
  if (e.before.empty()) return Remove(e);
  if (e.after.empty()) return Insert(e);
  return WriteBack(e, e.before, ChangeKind::Undo);
}

std::string HistorySession::SizeText() {
  if (!store::OpenChanges(store_).ok()) return "";
  const double bytes = static_cast<double>(store_.Changes().SizeOnDrive());
  char text[64];
  if (bytes >= 1024.0 * 1024.0) {
    std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
  } else {
    std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
  }
  return std::string(text) + "（" + std::to_string(store_.Changes().Heads().size()) + " 件）";
}

Outcome HistorySession::ArchiveBefore(const std::string& day) {
  Outcome done;
  std::tm t{};
  if (std::sscanf(day.c_str(), "%d/%d/%d", &t.tm_year, &t.tm_mon, &t.tm_mday) != 3) {
    done.Say("日付を yyyy/mm/dd で入力して下さい。");
    return done;
  }
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  t.tm_isdst = -1;
  const std::time_t before = std::mktime(&t);
  const std::time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d", today.tm_year + 1900, today.tm_mon + 1,
                today.tm_mday);
  std::size_t archived = 0;
  if (Status s = store::OpenChanges(store_); !s.ok()) {
    done.SayError(s);
  } else if (Status a = store_.Changes().Archive(before, stamp, archived); !a.ok()) {
    done.SayError(a);
  } else {
    done.Say(std::to_string(archived) + " 件の履歴を CHANGES-" + stamp + ".LOG に移しました。",
             platform::kInformation);
  }
  return done;
}

Outcome HistorySession::ExportCsv(const std::string& path, const std::string& from,
                                  const std::string& to) {
  Outcome done;
  if (Status s = WriteHistoryCsv(store_, path, from, to); !s.ok()) {
    done.SayError(s);
  } else {
    done.Say("変更履歴を " + path + " に書き出しました。", platform::kInformation);
  }
  return done;
}

Status HistoryCsv(store::History& history, const std::string& from, const std::string& to,
                  std::string& csv) {
  csv = store::CsvLine(
      {"日時", "ユーザー", "ホスト", "操作", "ファイル", "レコード番号", "患者ID", "変更項目"});
  for (std::size_t i = 0; i < history.Heads().size(); ++i) {
    ChangeEntry e;
    if (Status s = history.Read(i, e); !s.ok()) return s;
    const std::string time = store::StampTimeText(e.stamp);
    const std::string day = time.substr(0, 10);
    if ((!from.empty() && day < from) || (!to.empty() && day > to)) continue;
    csv += store::CsvLine(
        {time, e.stamp.user, e.stamp.host, std::string(store::ChangeKindText(e.kind)), e.file,
         e.record > 0 ? std::to_string(e.record) : "", e.patientId, ChangedFieldNames(e)});
  }
  return Status::Ok();
}

Status WriteHistoryCsv(store::Store& store, const std::string& path, const std::string& from,
                       const std::string& to, store::CsvEncoding encoding) {
  if (Status s = store::OpenChanges(store); !s.ok()) return s;
  return WriteHistoryCsv(store.Files(), store.Changes(), path, from, to, encoding);
}

Status WriteHistoryCsv(platform::FileSystem& fs, store::History& history, const std::string& path,
                       const std::string& from, const std::string& to,
                       store::CsvEncoding encoding) {
  if (Status s = history.Open(); !s.ok()) return s;
  std::string csv;
  if (Status s = HistoryCsv(history, from, to, csv); !s.ok()) return s;
  return store::WriteWholeFile(fs, path, store::EncodeCsv(csv, encoding));
}

}  // namespace sessions
