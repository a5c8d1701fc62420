#include "store/health_check.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <string_view>

#include "platform/cp932.h"
#include "store/backup.h"
#include "store/image_files.h"
#include "store/records.h"
#include "store/store.h"
#include "store/text_format.h"

namespace store {
namespace {

using Kind = Finding::Kind;

constexpr int kMostPerKindAndFile = 100;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The value of a field of ASCII digits only (at most 18 of them), else -1.
long long Number(std::string_view text) {
  if (text.empty() || text.size() > 18) return -1;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IdLess(const std::string& a, const std::string& b) {
  const long long x = Number(a);
  const long long y = Number(b);
  return x >= 0 && y >= 0 ? x < y : a < b;
}

// A whole file's bytes: mapped in place where the file system can, else read
// into memory.
class FileBytes {
 public:
  platform::Status Load(platform::FileSystem& fs, const char* path) {
    std::unique_ptr<platform::RandomFile> file;
    std::uint64_t length = 0;
    if (fs.OpenRandomReadOnly(path, file).ok() && file->Length(length).ok() && length > 0) {
      mapped_ = file->Map(length);
      if (mapped_ != nullptr) return platform::Status::Ok();
    }
    return fs.ReadFile(path, read_);
  }

  std::string_view View() const {
    if (mapped_ == nullptr) return read_;
    return {mapped_->Bytes().data(), mapped_->Bytes().size()};
  }

 private:
  std::unique_ptr<platform::MappedBytes> mapped_;
  std::string read_;
};

class Checker {
 public:
  Checker(platform::FileSystem& fs, bool workingCopyIsLeftover)
      : fs_(fs), workingCopyIsLeftover_(workingCopyIsLeftover) {}

  std::vector<Finding> findings;

  // The file's bytes, in place where the file system can map them, or
  // nothing (reported) when it cannot be read. A missing file is no finding:
  // the program makes it at start-up.
  bool Read(const char* path, FileBytes& bytes) {
    if (!fs_.Exists(path)) return false;
    if (platform::Status s = bytes.Load(fs_, path); !s.ok()) {
      Add(Kind::kUnreadable, path, 0, "読み込めません（" + std::to_string(s.error) + "）。",
          "起動時に知らせます。ファイルの権限とドライブを確かめてください。");
      return false;
    }
    return true;
  }

  // True when no more findings of `kind` in `file` are kept: the caller need
  // not put the words of one together.
  bool Full(Kind kind, std::string_view file) const {
    auto it = counts_.find(Key{static_cast<int>(kind), file});
    return it != counts_.end() && it->second >= kMostPerKindAndFile;
  }

  void Add(Kind kind, std::string_view file, int record, std::string what, std::string action) {
    auto it = counts_.find(Key{static_cast<int>(kind), file});
    if (it == counts_.end())
      it = counts_.emplace(KindInFile{static_cast<int>(kind), std::string(file)}, 0).first;
    if (++it->second > kMostPerKindAndFile) return;
    findings.push_back({kind, std::string(file), record, std::move(what), std::move(action)});
  }

  // Length, part record and undecodable fields of a record file; returns the
  // number of whole records.
  template <std::size_t N>
  std::size_t CheckRecords(const char* path, std::string_view bytes, std::size_t length,
                           const std::array<FieldDef, N>& fields) {
    const std::size_t whole = bytes.size() / length;
    if (bytes.size() % length != 0) {
      Add(Kind::kPartRecord, path, static_cast<int>(whole) + 1,
          "最後のレコードが途中で切れています（" + std::to_string(bytes.size() % length) +
              " バイト）。",
          "この部分は読みません。次の並べ替え・削除で取り除きます。");
    }
    const std::unique_ptr<bool[]> starts(new bool[length]());
    for (const FieldDef& f : fields) starts[f.offset] = true;
    for (std::size_t i = 0; i < whole && !Full(Kind::kUndecodable, path); ++i) {
      const std::size_t at = platform::FirstUndecodableCp932(
          bytes.substr(i * length, length), std::span<const bool>(starts.get(), length));
      if (at == length) continue;
      const FieldDef& f = *std::find_if(fields.rbegin(), fields.rend(),
                                        [at](const FieldDef& d) { return d.offset <= at; });
      Add(Kind::kUndecodable, path, static_cast<int>(i) + 1,
          std::string(f.name) + " に Shift_JIS として読めないバイトがあります。",
          "読めない文字は「\xEF\xBF\xBD」と表示します。データはそのまま残します。");
    }
    return whole;
  }

  // `field`: the number's bytes as they stand in the record.
  void CheckNumber(const char* path, std::string_view field, std::size_t index) {
    const std::string_view digits = TrimBlanks(field);
    if (Number(digits) != static_cast<long long>(index + 1) && !Full(Kind::kRecordNumber, path)) {
      Add(Kind::kRecordNumber, path, static_cast<int>(index) + 1,
          "番号「" + platform::FromCp932(digits) + "」が順番（" + std::to_string(index + 1) +
              "）と合いません。",
          "次の削除・並べ替えで番号を付け直します。");
    }
  }

 private:
  platform::FileSystem& fs_;
  bool workingCopyIsLeftover_;
  using Key = std::pair<int, std::string_view>;
  struct KindInFile {
    int kind;
    std::string file;
  };
  // Looks a key up without making a string of its file.
  struct KindInFileLess {
    using is_transparent = void;
    static Key Of(const KindInFile& k) { return {k.kind, k.file}; }
    static Key Of(const Key& k) { return k; }
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
      return Of(a) < Of(b);
    }
  };
  std::map<KindInFile, int, KindInFileLess> counts_;

 public:
  bool WorkingCopyIsLeftover() const { return workingCopyIsLeftover_; }
};

// The picture files by their names in lower case, listed once: looking each
// examination's picture up in the folder would read the folder every time.
struct Picture {
  std::string name;    // as stored
  bool named = false;  // an examination names it
};
using Pictures = std::map<std::string, Picture>;

Pictures ListPictures(platform::FileSystem& fs) {
  std::vector<std::string> names;
  Pictures pictures;
  if (fs.ListFiles(kImageDir, names).ok()) {
    for (std::string& name : names) {
      std::string lower = Lower(name);
      pictures.emplace(std::move(lower), Picture{std::move(name)});
    }
  }
  return pictures;
}

// The picture file of `imageName` (as the field holds it, trimmed), found as
// FindImageFile finds it; null when there is none.
Picture* PictureOf(Pictures& pictures, std::string_view imageName) {
  const std::string name = platform::FromCp932(imageName);
  if (!IsStorableImageName(name)) return nullptr;
  auto it = pictures.find(Lower(StoredImageName(name) + ".jpg"));
  return it == pictures.end() ? nullptr : &it->second;
}

void CheckExaminations(Pictures& pictures, Checker& c) {
  FileBytes file;
  if (!c.Read(kDataFile, file)) return;
  const std::string_view bytes = file.View();
  const std::size_t whole = c.CheckRecords(kDataFile, bytes, kExamRecordLength, kExamFields);
  const FieldDef& no = kExamFields[static_cast<int>(ExamField::RecordNo)];
  const FieldDef& image = kExamFields[static_cast<int>(ExamField::ImageName)];
  for (std::size_t i = 0; i < whole; ++i) {
    const std::string_view record = bytes.substr(i * kExamRecordLength, kExamRecordLength);
    c.CheckNumber(kDataFile, record.substr(no.offset, no.width), i);
    const std::string_view name = TrimBlanks(record.substr(image.offset, image.width));
    if (name.empty()) continue;
    if (Picture* picture = PictureOf(pictures, name)) {
      picture->named = true;
    } else if (!c.Full(Kind::kMissingPicture, kDataFile)) {
      const std::string text = platform::FromCp932(name);
      c.Add(Kind::kMissingPicture, kDataFile, static_cast<int>(i) + 1,
            "画像「" + text + "」のファイル " + ImagePath(text) + " がありません。",
            "画像は表示されません。画像を取り込み直してください。");
    }
  }
}

// Reads every picture through one buffer.
void CheckPictures(platform::FileSystem& fs, const Pictures& pictures, Checker& c) {
  std::vector<std::string> names;
  names.reserve(pictures.size());
  for (const auto& [lower, picture] : pictures) names.push_back(picture.name);
  std::vector<platform::Status> read(names.size());
  std::string bytes;
  fs.ReadEachFile(kImageDir, names, bytes,
                  [&read](std::size_t i, platform::Status s) { read[i] = s; });
  std::size_t i = 0;
  for (const auto& [lower, picture] : pictures) {
    if (const platform::Status& s = read[i++]; !s.ok()) {
      c.Add(Kind::kUnreadable, ImageFilePath(picture.name), 0,
            "読み込めません（" + std::to_string(s.error) + "）。",
            "画像は表示されません。ファイルの権限とドライブを確かめてください。");
    }
    if (picture.named) continue;
    const bool jpeg = lower.ends_with(".jpg");
    c.Add(jpeg ? Kind::kOrphanPicture : Kind::kLeftover, ImageFilePath(picture.name), 0,
          jpeg ? "どの検査からも使われていない画像です。" : "画像フォルダの作業ファイルです。",
          jpeg ? "そのまま残します。不要なら削除してください。" : "次の起動時に削除します。");
  }
}

void CheckMaster(Checker& c) {
  FileBytes file;
  if (!c.Read(kMasterFile, file)) return;
  const std::string_view bytes = file.View();
  const std::size_t whole =
      c.CheckRecords(kMasterFile, bytes, kPatientRecordLength, kPatientFields);
  const FieldDef& no = kPatientFields[static_cast<int>(PatientField::RecordNo)];
  const FieldDef& id = kPatientFields[static_cast<int>(PatientField::PatientId)];
  std::set<std::string> seen;
  std::string previous;
  for (std::size_t i = 0; i < whole; ++i) {
    const std::string_view record = bytes.substr(i * kPatientRecordLength, kPatientRecordLength);
    c.CheckNumber(kMasterFile, record.substr(no.offset, no.width), i);
    const std::string patientId = ReadField(record.data() + id.offset, id.width);
    if (!seen.insert(patientId).second) {
      c.Add(Kind::kDuplicateId, kMasterFile, static_cast<int>(i) + 1,
            "ID「" + patientId + "」が重複しています。",
            "ID の検索は先の患者を表示します。どちらかを削除してください。");
    } else if (i > 0 && IdLess(patientId, previous)) {
      c.Add(Kind::kMasterOrder, kMasterFile, static_cast<int>(i) + 1,
            "ID「" + patientId + "」が前の ID「" + previous + "」より小さく、ID 順ではありません。",
            "ID の検索が見つけ損なうことがあります。患者の一括登録の並べ替えで直ります。");
    }
    previous = patientId;
  }
}

void CheckLists(Checker& c) {
  for (LookupList list : {LookupList::Department, LookupList::LeadSite, LookupList::Finding,
                          LookupList::Arrhythmia}) {
    FileBytes file;
    const char* path = Store::ListPath(list);
    if (c.Read(path, file)) {
      c.CheckRecords(path, file.View(), kListEntryRecordLength, kListEntryFields);
    }
  }
}

void CheckLeftovers(platform::FileSystem& fs, Checker& c, const std::filesystem::path& root) {
  for (const char* folder : {kDataDir, kMasterDir}) {
    std::vector<std::string> names;
    if (!fs.ListFiles(folder, names).ok()) continue;
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string relative = std::string(folder == kDataDir ? "VLN2/" : "MASTA/") + name;
      // The working copies a running program keeps open.
      const bool workingCopy = platform::EqualsIgnoringAsciiCase(name, "TEMP.DATA") ||
                               platform::EqualsIgnoringAsciiCase(name, "KARIKAN.DATA");
      if (!IsTransientFile(relative) || (workingCopy && !c.WorkingCopyIsLeftover())) continue;
      c.Add(Kind::kLeftover, folder + name, 0, "途中で終わった操作の作業ファイルです。",
            "次の起動時に削除します。");
    }
  }
  for (const std::filesystem::path& beside :
       {RestoreStagingFolder(root), PreviousDriveFolder(root)}) {
    if (fs.IsDirectory(beside.string())) {
      c.Add(Kind::kLeftover, beside.string(), 0, "途中で終わった復元のフォルダです。",
            "そのまま残します。次の復元の前に削除します。");
    }
  }
}

}  // namespace

std::vector<Finding> CheckDrive(platform::FileSystem& fs, const std::filesystem::path& driveRoot,
                                bool workingCopyIsLeftover, platform::Progress& progress) {
  Checker c(fs, workingCopyIsLeftover);
  progress.BeginPhase("データを点検しています", 5);
  Pictures pictures = ListPictures(fs);
  CheckExaminations(pictures, c);
  progress.Advance(1);
  CheckPictures(fs, pictures, c);
  progress.Advance(2);
  CheckMaster(c);
  progress.Advance(3);
  CheckLists(c);
  progress.Advance(4);
  CheckLeftovers(fs, c, driveRoot);
  progress.Advance(5);
  return c.findings;
}

std::string FindingLine(const Finding& f) {
  std::string line = f.file;
  if (f.record > 0) line += " レコード " + std::to_string(f.record);
  return line + "：" + f.what + " → " + f.action;
}

}  // namespace store
