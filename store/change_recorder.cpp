#include "store/change_recorder.h"

#include "store/image_files.h"

namespace store {

namespace {

RecordFile* FileOf(Store& store, std::string_view path) {
  if (path == kDataFile) return store.DataFile();
  if (path == kMasterFile) return store.MasterFile();
  for (LookupList list : {LookupList::Department, LookupList::LeadSite, LookupList::Finding,
                          LookupList::Arrhythmia}) {
    if (path == Store::ListPath(list)) return store.ListFileOf(list);
  }
  return nullptr;
}

std::string_view FileName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string KeptSuffix(std::string_view live, bool many) {
  if (many) return "-" + std::string(FileName(live));
  const std::string_view name = FileName(live);
  const std::size_t dot = name.find_last_of('.');
  std::string suffix = dot == std::string_view::npos ? ".DATA" : std::string(name.substr(dot));
  for (char& c : suffix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return suffix;
}

Status SyncFile(platform::FileSystem& fs, const std::string& path) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandom(path, file); !s.ok()) return s;
  return file->Sync();
}

}  // namespace

bool ChangeMade(Store& store, const ChangeEntry& entry) {
  platform::FileSystem& fs = store.Files();
  if (entry.record == 0) {
    // A whole file replaced: made when the live file is no longer the copy
    // kept of it.
    History& history = store.Changes();
    for (const KeptFile& k : entry.kept) {
      if (k.live != entry.file) continue;
      std::string live, kept;
      if (!fs.ReadFile(k.live, live).ok()) return true;
      if (!fs.ReadFile(history.KeptPath(k.name), kept).ok()) return true;
      return live != kept;
    }
    return true;
  }
  RecordFile* file = FileOf(store, entry.file);
  if (file == nullptr) return true;
  if (entry.after.empty()) return file->Count() == entry.countBefore - 1;
  if (entry.record > file->Count()) return false;
  std::string bytes(file->RecordLength(), ' ');
  if (!file->Read(entry.record, std::span<char>(bytes)).ok()) return true;
  return bytes == entry.after;
}

Status OpenChanges(Store& store) {
  History& history = store.Changes();
  if (history.IsOpen()) return Status::Ok();
  if (Status s = history.Open(); !s.ok()) return s;
  if (history.Heads().empty()) return Status::Ok();
  ChangeEntry last;
  if (Status s = history.Read(history.Heads().size() - 1, last); !s.ok()) return s;
  if (!ChangeMade(store, last)) return history.TakeBackLast();
  return Status::Ok();
}

Status RecordChange(Store& store, ChangeEntry& entry, const std::vector<std::string>& keep) {
  if (Status s = OpenChanges(store); !s.ok()) return s;
  // A change of one examination is filed under the patient it leaves the
  // record with (or took away): an undo or restore names the one it writes.
  const std::string& stands = entry.after.empty() ? entry.before : entry.after;
  if (entry.file == kDataFile && entry.record > 0 && stands.size() == kExamRecordLength) {
    ExamRecord record;
    std::copy(stands.begin(), stands.end(), record.data());
    entry.patientId = record.Get(ExamField::PatientId);
    entry.name = record.Get(ExamField::Name);
  }
  History& history = store.Changes();
  platform::FileSystem& fs = store.Files();
  const std::uint64_t number = history.NextNumber();
  entry.kept.clear();
  Status s = Status::Ok();
  for (const std::string& live : keep) {
    if (!fs.Exists(live)) continue;
    KeptFile k{History::KeptName(number, KeptSuffix(live, keep.size() > 2)), live};
    s = fs.Copy(live, history.KeptPath(k.name));
    if (s.ok()) s = SyncFile(fs, history.KeptPath(k.name));
    entry.kept.push_back(std::move(k));
    if (!s.ok()) break;
  }
  // The kept files are on the disk, under their names, before the entry
  // that names them.
  if (s.ok() && !entry.kept.empty()) s = fs.SyncDirectory(kHistoryDir);
  if (s.ok()) s = history.Append(entry);
  if (!s.ok()) {
    for (const KeptFile& k : entry.kept) (void)fs.Delete(history.KeptPath(k.name));
    entry.kept.clear();
  }
  return s;
}

void ChangeNotMade(Store& store) { (void)store.Changes().TakeBackLast(); }

void SettleChange(Store& store, const ChangeEntry& entry) {
  if (!ChangeMade(store, entry)) ChangeNotMade(store);
}

}  // namespace store
