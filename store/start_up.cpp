// Opening the store's files at start-up: what cannot be used, why, and the
// clean-up of temporary files a run that died left behind.
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "platform/error_text.h"
#include "store/store.h"

namespace store {
namespace {

using platform::PathState;

std::string Quoted(std::string_view path) { return "「" + std::string(path) + "」"; }

// Why one file or folder cannot be used, as one sentence.
std::string Sentence(const FileTrouble& t) {
  const std::string name = Quoted(t.path);
  switch (t.trouble) {
    case Trouble::NoPermission:
      if (t.folder) return "フォルダー" + name + "を作成する権限がありません。";
      return name + (t.readable ? "に書き込む権限がありません。読み取りだけできます。"
                                : "を開く権限がありません。");
    case Trouble::ReadOnlyDrive:
      if (t.readable) return name + "は読み取り専用のドライブにあります。読み取りだけできます。";
      if (t.folder)
        return "フォルダー" + name + "がありません。読み取り専用のドライブのため作成できません。";
      return name + "がありません。読み取り専用のドライブのため作成できません。";
    case Trouble::ReadOnlyFile:
      return name + "は読み取り専用のファイルです。読み取りだけできます。";
    case Trouble::NotAFile:
      return name + "はファイルではありません（同じ名前のフォルダーがあります）。";
    case Trouble::NotAFolder:
      return name + "はフォルダーではありません（同じ名前のファイルがあります）。";
    case Trouble::Missing:
      return (t.folder ? "フォルダー" : std::string()) + name + "がありません。";
    case Trouble::Failed:
      break;
  }
  return name + "を" + (t.readable ? "書き込み用に" : "") + "開けません（エラー番号 " +
         platform::ErrorText(t.error) + "）。" + (t.readable ? "読み取りだけできます。" : "");
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  text.remove_prefix(text.size() - tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != tail[i]) return false;
  }
  return true;
}

// The process id in a JPEG writer's temporary name ".<name>.jpg.<pid>.<n>.tmp",
// or 0 when `name` is not such a name.
long JpegTemporaryPid(std::string_view name) {
  constexpr std::string_view kTail = ".tmp";
  if (name.size() < 2 || name.front() != '.' || !name.ends_with(kTail)) return 0;
  name.remove_prefix(1);
  name.remove_suffix(kTail.size());
  const std::size_t counterDot = name.rfind('.');
  if (counterDot == std::string_view::npos || !AllDigits(name.substr(counterDot + 1))) return 0;
  name = name.substr(0, counterDot);
  const std::size_t pidDot = name.rfind('.');
  if (pidDot == std::string_view::npos) return 0;
  const std::string_view pid = name.substr(pidDot + 1);
  if (!AllDigits(pid) || pid.size() > 9) return 0;
  name = name.substr(0, pidDot);
  // The picture's own name: something before ".jpg".
  if (name.size() <= 4 || !EndsWithIgnoringCase(name, ".jpg")) return 0;
  return std::stol(std::string(pid));
}

}  // namespace

std::string Store::ListStagingPath(LookupList which) {
  const std::string_view path = ListPath(which);
  const std::size_t slash = path.rfind('\\');
  return std::string(path.substr(0, slash + 1)) + "." + std::string(path.substr(slash + 1)) +
         ".new";
}

Status Store::OpenStoreFile(const char* path, std::size_t length,
                            std::unique_ptr<RecordFile>& file) {
  file.reset();
  if (readOnlySession_) {
    Status s = RecordFile::OpenReadOnly(fs_, path, length, file);
    if (s.ok()) return s;
    // A list or scratch file that was never made reads as empty.
    const bool needed =
        std::string_view(path) == kDataFile || std::string_view(path) == kMasterFile;
    if (!needed && fs_.Probe(path).kind == PathState::kMissing) return Status::Ok();
    Diagnose(path, false, s.error, false);
    return s;
  }
  Status s = RecordFile::Open(fs_, path, length, file);
  if (s.ok()) return s;
  if (RecordFile::OpenReadOnly(fs_, path, length, file).ok()) {
    Diagnose(path, false, s.error, true);
    return Status::Ok();
  }
  file.reset();
  Diagnose(path, false, s.error, false);
  return s;
}

void Store::CheckFolder(const char* path, bool create) {
  if (fs_.IsDirectory(path)) return;
  const bool shown = std::string_view(path) != kKariDir;  // nothing is kept there
  Status s = Status::Error(platform::kPathNotFound);
  if (fs_.Probe(path).kind != PathState::kMissing) {
    s = Status::Error(platform::kPathFileAccessError);
  } else if (create) {
    s = fs_.CreateDirectory(path);
  }
  // Another program starting on the same drive may have made it meanwhile.
  if (s.ok() || fs_.IsDirectory(path)) return;
  if (shown) Diagnose(path, true, s.error, false);
}

bool Store::FolderInTrouble(std::string_view path) const {
  return std::any_of(troubles_.begin(), troubles_.end(), [&](const FileTrouble& t) {
    return t.folder && t.path != path && path.starts_with(t.path);
  });
}

void Store::Diagnose(const char* path, bool folder, int error, bool readable) {
  // What lies in a folder that cannot be used is told by the folder.
  if (!readable && FolderInTrouble(path)) return;
  const PathState state = fs_.Probe(path);
  FileTrouble t;
  t.path = path;
  t.folder = folder;
  t.error = error;
  t.readable = readable;
  const bool present = state.kind != PathState::kMissing;
  const bool permission = error == platform::kPermissionDenied;
  if (folder) {
    t.trouble = present               ? Trouble::NotAFolder
                : state.readOnlyDrive ? Trouble::ReadOnlyDrive
                : permission          ? Trouble::NoPermission
                : error == platform::kPathNotFound || error == platform::kFileNotFound
                    ? Trouble::Missing
                    : Trouble::Failed;
  } else if (state.kind == PathState::kDirectory || state.kind == PathState::kOther) {
    t.trouble = Trouble::NotAFile;
  } else if (state.readOnlyDrive) {
    t.trouble = Trouble::ReadOnlyDrive;
  } else if (readable) {
    t.trouble = permission ? Trouble::ReadOnlyFile : Trouble::Failed;
  } else if (permission) {
    t.trouble = Trouble::NoPermission;
  } else if (!present) {
    t.trouble = Trouble::Missing;
  } else {
    t.trouble = Trouble::Failed;
  }
  std::erase_if(troubles_, [&](const FileTrouble& old) { return old.path == t.path; });
  troubles_.push_back(std::move(t));
}

std::string Store::StartUpMessage() const {
  if (troubles_.empty()) return {};
  std::string text = "次のファイルまたはフォルダーを使用できません。\n";
  for (const FileTrouble& t : troubles_) text += "\n・" + Sentence(t);
  text += "\n";
  auto troubled = [this](std::string_view path) {
    return std::any_of(troubles_.begin(), troubles_.end(),
                       [&](const FileTrouble& t) { return t.path == path; });
  };
  if (!DataFileUsable()) {
    text += "\n検査データを読み込めないため、検査データの表示・登録・削除・並べ替えはできません。";
  } else if (!DataFileWritable() && !readOnlySession_) {
    text += "\n検査データは表示だけできます。登録・削除・並べ替えはできません。";
  }
  if (!MasterFileNo || troubled(kMasterDir)) {
    text += "\n患者マスタを使用できないため、患者の登録・検索とＩＤからの入力はできません。";
  } else if (MasterFileNo->ReadOnly() && !readOnlySession_) {
    text += "\n患者マスタは表示だけできます。患者の登録・変更・削除はできません。";
  }
  if (troubled(kImageDir)) text += "\n画像の保存と表示はできません。";
  text += "\n\n（C:\\ は " + fs_.Drive().Root().string() + " です。）";
  return text;
}

std::string Store::PartialRecordsMessage() const {
  if (partialRecords_.empty()) return {};
  std::string text = "次のファイルの末尾に、書き込みが途中で終わったレコードの一部があります。\n";
  for (const PartialRecord& p : partialRecords_) {
    text += "\n・" + Quoted(p.path) + "：" + std::to_string(p.bytes) + " バイト";
  }
  text +=
      "\n\nこの部分はデータとして扱われず、次にそのファイルを書き換えるときに取り除かれます。"
      "必要ならその前にデータドライブのバックアップを取って下さい。";
  return text;
}

namespace {
constexpr const char* kDriveUnreachable =
    "データドライブに接続できません。接続が戻るまで、登録・削除・並べ替えはできません"
    "（書きかけのデータは残りません）。";
}  // namespace

std::string Store::DataFileRefusal(bool forWriting) const {
  if (forWriting && driveUnreachable_) return kDriveUnreachable;
  if (!DataFileUsable()) {
    std::string text =
        "検査データファイル" + Quoted(kDataFile) + "を読み込めなかったため、この操作はできません。";
    for (const FileTrouble& t : troubles_) {
      if (t.path == kDataFile || (t.folder && std::string_view(kDataFile).starts_with(t.path))) {
        text += "\n" + Sentence(t);
        break;
      }
    }
    return text;
  }
  if (forWriting && !DataFileWritable()) {
    if (readOnlySession_) {
      return "このデータドライブには書き込めないため、登録・削除・並べ替えはできません。";
    }
    return "検査データファイル" + Quoted(kDataFile) +
           "は読み取り専用のため、登録・削除・並べ替えはできません。";
  }
  return {};
}

std::string Store::MasterFileRefusal(bool forWriting) const {
  if (forWriting && driveUnreachable_) return kDriveUnreachable;
  const FileTrouble* trouble = nullptr;
  for (const FileTrouble& t : troubles_) {
    if (t.path == kMasterFile || (t.folder && std::string_view(kMasterFile).starts_with(t.path))) {
      trouble = &t;
      break;
    }
  }
  if (!MasterFileNo) {
    std::string text =
        "患者マスタ" + Quoted(kMasterFile) + "を読み込めなかったため、この操作はできません。";
    if (trouble) text += "\n" + Sentence(*trouble);
    return text;
  }
  if (forWriting && MasterFileNo->ReadOnly()) {
    if (readOnlySession_) {
      return "このデータドライブには書き込めないため、患者の登録・削除・並べ替えはできません。";
    }
    if (trouble && trouble->trouble == Trouble::ReadOnlyDrive) {
      return "患者マスタ" + Quoted(kMasterFile) +
             "は読み取り専用のドライブにあるため、患者の登録・削除・並べ替えはできません。";
    }
    return "患者マスタ" + Quoted(kMasterFile) +
           "は読み取り専用のため、患者の登録・削除・並べ替えはできません。";
  }
  return {};
}

void Store::RemoveLeftTemporaries() {
  std::vector<std::string> names;
  const std::filesystem::path imageDir = fs_.HostPath(kImageDir);
  if (fs_.ListFiles(kImageDir, names).ok()) {
    for (const std::string& name : names) {
      const long pid = JpegTemporaryPid(name);
      const bool left = name == "Temp.bmp" || (pid > 0 && !processRunning_(pid));
      if (left) (void)fs_.Delete((imageDir / name).string());
    }
  }
  // The working copies of the examinations and patient IDs (a list, a
  // search, a sort) that a run which died left: copies of patient data that
  // must not stay on the drive.
  std::vector<std::string> own = {"TEMP.DATA", "TEMP.DATA.PART", "TESTOUT.TXT"};
  for (LookupList list : {LookupList::Department, LookupList::LeadSite, LookupList::Finding,
                          LookupList::Arrhythmia}) {
    const std::string staging = ListStagingPath(list);
    own.emplace_back(staging.substr(staging.rfind('\\') + 1));
  }
  RemoveOwnFiles(kDataDir, own);
  RemoveOwnFiles(kMasterDir, {"KARIKAN.DATA.PART"});
}

void Store::RemoveOwnFiles(const char* folder, const std::vector<std::string>& own) {
  std::vector<std::string> names;
  if (!fs_.ListFiles(folder, names).ok()) return;
  const std::filesystem::path host = fs_.HostPath(folder);
  for (const std::string& name : names) {
    if (std::find(own.begin(), own.end(), name) != own.end()) {
      (void)fs_.Delete((host / name).string());
    }
  }
}

}  // namespace store
