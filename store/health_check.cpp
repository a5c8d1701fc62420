#include "store/health_check.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string_view>

#include "platform/cp932.h"
#include "store/backup.h"
#include "store/image_files.h"
#include "store/records.h"
#include "store/store.h"

namespace store {
namespace {

using Kind = Finding::Kind;

constexpr int kMostPerKindAndFile = 100;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool Undecodable(std::string_view bytes) { return !platform::IsDecodableCp932(bytes); }

long Number(const std::string& text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), ::isdigit)) return -1;
  return std::stol(text);
}

bool IdLess(const std::string& a, const std::string& b) {
  const long x = Number(a);
  const long y = Number(b);
  return x >= 0 && y >= 0 ? x < y : a < b;
}

class Checker {
 public:
  Checker(platform::FileSystem& fs, bool workingCopyIsLeftover)
      : fs_(fs), workingCopyIsLeftover_(workingCopyIsLeftover) {}

  std::vector<Finding> findings;

  // The file's bytes, or nothing (reported) when it cannot be read. A missing
  // file is no finding: the program makes it at start-up.
  bool Read(const char* path, std::string& bytes) {
    if (!fs_.Exists(path)) return false;
    if (platform::Status s = fs_.ReadFile(path, bytes); !s.ok()) {
      Add(Kind::kUnreadable, path, 0, "読み込めません（" + std::to_string(s.error) + "）。",
          "起動時に知らせます。ファイルの権限とドライブを確かめてください。");
      return false;
    }
    return true;
  }

  void Add(Kind kind, const std::string& file, int record, std::string what, std::string action) {
    int& count = counts_[{static_cast<int>(kind), file}];
    if (++count > kMostPerKindAndFile) return;
    findings.push_back({kind, file, record, std::move(what), std::move(action)});
  }

  // Length, part record and undecodable fields of a record file; returns the
  // number of whole records.
  template <std::size_t N>
  std::size_t CheckRecords(const char* path, const std::string& bytes, std::size_t length,
                           const std::array<FieldDef, N>& fields) {
    const std::size_t whole = bytes.size() / length;
    if (bytes.size() % length != 0) {
      Add(Kind::kPartRecord, path, static_cast<int>(whole) + 1,
          "最後のレコードが途中で切れています（" + std::to_string(bytes.size() % length) +
              " バイト）。",
          "この部分は読みません。次の並べ替え・削除で取り除きます。");
    }
    for (std::size_t i = 0; i < whole; ++i) {
      for (const FieldDef& f : fields) {
        if (Undecodable(std::string_view(bytes).substr(i * length + f.offset, f.width))) {
          Add(Kind::kUndecodable, path, static_cast<int>(i) + 1,
              std::string(f.name) + " に Shift_JIS として読めないバイトがあります。",
              "読めない文字は「\xEF\xBF\xBD」と表示します。データはそのまま残します。");
          break;
        }
      }
    }
    return whole;
  }

  void CheckNumber(const char* path, const std::string& field, std::size_t index) {
    if (Number(field) != static_cast<long>(index + 1)) {
      Add(Kind::kRecordNumber, path, static_cast<int>(index) + 1,
          "番号「" + field + "」が順番（" + std::to_string(index + 1) + "）と合いません。",
          "次の削除・並べ替えで番号を付け直します。");
    }
  }

 private:
  platform::FileSystem& fs_;
  bool workingCopyIsLeftover_;
  std::map<std::pair<int, std::string>, int> counts_;

 public:
  bool WorkingCopyIsLeftover() const { return workingCopyIsLeftover_; }
};

// The picture files by their names in lower case: listed once, as looking
// each examination's picture up in the folder would read it every time.
using Pictures = std::map<std::string, std::string>;

Pictures ListPictures(platform::FileSystem& fs) {
  std::vector<std::string> names;
  Pictures pictures;
  if (fs.ListFiles(kImageDir, names).ok()) {
    for (const std::string& name : names) pictures.emplace(Lower(name), name);
  }
  return pictures;
}

// The stored name of the picture file of `imageName`, found as
// FindImageFile finds it; empty when there is none.
std::string PictureOf(const Pictures& pictures, const std::string& imageName) {
  if (!IsStorableImageName(imageName)) return {};
  auto it = pictures.find(Lower(StoredImageName(imageName) + ".jpg"));
  return it == pictures.end() ? std::string() : it->second;
}

void CheckExaminations(const Pictures& pictures, Checker& c, std::set<std::string>& named) {
  std::string bytes;
  if (!c.Read(kDataFile, bytes)) return;
  const std::size_t whole = c.CheckRecords(kDataFile, bytes, kExamRecordLength, kExamFields);
  const FieldDef& no = kExamFields[static_cast<int>(ExamField::RecordNo)];
  const FieldDef& image = kExamFields[static_cast<int>(ExamField::ImageName)];
  for (std::size_t i = 0; i < whole; ++i) {
    const char* record = bytes.data() + i * kExamRecordLength;
    c.CheckNumber(kDataFile, ReadField(record + no.offset, no.width), i);
    const std::string name = ReadField(record + image.offset, image.width);
    if (name.empty()) continue;
    const std::string file = PictureOf(pictures, name);
    if (file.empty()) {
      c.Add(Kind::kMissingPicture, kDataFile, static_cast<int>(i) + 1,
            "画像「" + name + "」のファイル " + ImagePath(name) + " がありません。",
            "画像は表示されません。画像を取り込み直してください。");
    } else {
      named.insert(Lower(file));
    }
  }
}

void CheckPictures(platform::FileSystem& fs, const Pictures& pictures, Checker& c,
                   const std::set<std::string>& named) {
  for (const auto& [lower, name] : pictures) {
    std::string bytes;
    if (platform::Status s = fs.ReadFile(ImageFilePath(name), bytes); !s.ok()) {
      c.Add(Kind::kUnreadable, ImageFilePath(name), 0,
            "読み込めません（" + std::to_string(s.error) + "）。",
            "画像は表示されません。ファイルの権限とドライブを確かめてください。");
    }
    if (named.count(lower)) continue;
    const bool picture = lower.ends_with(".jpg");
    c.Add(picture ? Kind::kOrphanPicture : Kind::kLeftover, ImageFilePath(name), 0,
          picture ? "どの検査からも使われていない画像です。" : "画像フォルダの作業ファイルです。",
          picture ? "そのまま残します。不要なら削除してください。" : "次の起動時に削除します。");
  }
}

void CheckMaster(Checker& c) {
  std::string bytes;
  if (!c.Read(kMasterFile, bytes)) return;
  const std::size_t whole =
      c.CheckRecords(kMasterFile, bytes, kPatientRecordLength, kPatientFields);
  const FieldDef& no = kPatientFields[static_cast<int>(PatientField::RecordNo)];
  const FieldDef& id = kPatientFields[static_cast<int>(PatientField::PatientId)];
  std::set<std::string> seen;
  std::string previous;
  for (std::size_t i = 0; i < whole; ++i) {
    const char* record = bytes.data() + i * kPatientRecordLength;
    c.CheckNumber(kMasterFile, ReadField(record + no.offset, no.width), i);
    const std::string patientId = ReadField(record + id.offset, id.width);
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
    std::string bytes;
    const char* path = Store::ListPath(list);
    if (c.Read(path, bytes)) {
      c.CheckRecords(path, bytes, kListEntryRecordLength, kListEntryFields);
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
  std::set<std::string> named;
  progress.BeginPhase("データを点検しています", 5);
  const Pictures pictures = ListPictures(fs);
  CheckExaminations(pictures, c, named);
  progress.Advance(1);
  CheckPictures(fs, pictures, c, named);
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
