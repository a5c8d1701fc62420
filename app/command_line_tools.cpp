#include "app/command_line_tools.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "platform/drive_lock.h"
#include "platform/error_text.h"
#include "sessions/history_session.h"
#include "store/backup.h"
#include "store/health_check.h"

namespace app {
namespace {

// Progress as lines on stderr: the caption, then every tenth of the way.
class StderrProgress : public platform::Progress {
 public:
  void BeginPhase(std::string_view caption, int maximum) override {
    maximum_ = maximum > 0 ? maximum : 1;
    shown_ = -1;
    std::fprintf(stderr, "%.*s\n", static_cast<int>(caption.size()), caption.data());
  }
  void Advance(int value) override {
    const int tenth = static_cast<int>(static_cast<long long>(value) * 10 / maximum_);
    if (tenth > shown_) {
      shown_ = tenth;
      std::fprintf(stderr, "  %d%%\n", tenth * 10);
    }
  }
  void Hide() override {}

 private:
  int maximum_ = 1;
  int shown_ = -1;
};

void Say(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

std::string Problem(const store::BackupResult& r) {
  if (r.problem == store::BackupResult::Problem::kDamaged) {
    return "バックアップが目録と一致しません / does not match its manifest: " + r.file;
  }
  if (r.problem == store::BackupResult::Problem::kChanging) {
    return "データが変わり続けました / the data kept changing";
  }
  return platform::ErrorText(r.status.error) + " " + r.file;
}

int Backup(platform::FileSystem& fs, const Options& o, const std::filesystem::path& root,
           platform::Progress& progress) {
  const std::time_t now = std::time(nullptr);
  const store::BackupResult r = store::WriteBackup(fs, root, o.file, now, progress);
  if (!r.ok()) {
    Say("バックアップを作成できませんでした / backup failed: " + Problem(r));
    return 1;
  }
  store::NoteLastBackup(fs, root, now);
  Say("バックアップが完了しました（" + std::to_string(r.manifest.examinations) + " 件の検査、" +
      std::to_string(r.manifest.pictures) + " 枚の画像、" + std::to_string(r.manifest.patients) +
      " 人の患者、" + std::to_string(r.manifest.bytes) + " バイト）: " + o.file);
  return 0;
}

int Restore(platform::FileSystem& fs, const Options& o, const std::filesystem::path& root,
            const std::filesystem::path& automaticFolder, platform::Progress& progress) {
  store::RecoverInterruptedRestore(fs, root);
  const store::BackupResult check = store::CheckBackup(fs, o.file, progress);
  if (!check.ok()) {
    Say("復元できません。データは変更していません / not restored, nothing changed: " +
        Problem(check));
    return 1;
  }
  if (store::DriveHasFiles(fs, root)) {
    (void)platform::CreateFolders(automaticFolder);
    const std::filesystem::path automatic =
        store::BackupFileName(automaticFolder, std::time(nullptr));
    const store::BackupResult saved =
        store::WriteBackup(fs, root, automatic, std::time(nullptr), progress);
    if (!saved.ok()) {
      Say("現在のデータをバックアップできないため復元しません / the current data could not be "
          "backed up, not restored: " +
          Problem(saved));
      return 1;
    }
    Say("復元前のデータ / the data before: " + automatic.string());
  }
  const store::BackupResult r = store::RestoreBackup(fs, root, o.file, progress);
  if (!r.ok()) {
    Say("復元できませんでした。データは変更していません / not restored, nothing changed: " +
        Problem(r));
    return 1;
  }
  Say("復元しました（作成日時 " + r.manifest.taken + "）/ restored: " + root.string());
  return 0;
}

int ExportCsv(platform::FileSystem& fs, const Options& o, platform::Progress& progress) {
  const store::CsvEncoding encoding =
      o.encoding == "utf-8" ? store::CsvEncoding::kUtf8Bom : store::CsvEncoding::kCp932;
  for (const CsvKind& kind : CsvKinds()) {
    if (kind.name != o.csvKind) continue;
    const store::CsvResult r = kind.write(fs, o.file, encoding, progress);
    if (!r.ok()) {
      Say("CSV を書き出せませんでした / export failed: " + platform::ErrorText(r.status.error) +
          " " + r.file);
      return 1;
    }
    Say("CSV を書き出しました（" + std::to_string(r.rows) + " 行）: " + o.file);
    return 0;
  }
  std::string names;
  for (const CsvKind& kind : CsvKinds()) names += " " + std::string(kind.name);
  Say("--export-csv の種類は次のどれかです / KIND is one of:" + names);
  return 2;
}

int Check(platform::FileSystem& fs, const std::filesystem::path& root, bool alone,
          platform::Progress& progress) {
  const std::vector<store::Finding> findings = store::CheckDrive(fs, root, alone, progress);
  for (const store::Finding& f : findings) std::printf("%s\n", store::FindingLine(f).c_str());
  Say(findings.empty() ? "問題は見つかりませんでした / nothing found"
                       : std::to_string(findings.size()) + " 件の問題 / findings");
  return findings.empty() ? 0 : 1;
}

}  // namespace

const std::vector<CsvKind>& CsvKinds() {
  static const std::vector<CsvKind> kinds = {
      {"exams",
       [](platform::FileSystem& fs, const std::filesystem::path& target, store::CsvEncoding e,
          platform::Progress& p) {
         return store::ExportCsv(fs, store::CsvSource::kExaminations, target, e, p);
       }},
      {"patients",
       [](platform::FileSystem& fs, const std::filesystem::path& target, store::CsvEncoding e,
          platform::Progress& p) {
         return store::ExportCsv(fs, store::CsvSource::kPatients, target, e, p);
       }},
      {"history",
       [](platform::FileSystem& fs, const std::filesystem::path& target, store::CsvEncoding e,
          platform::Progress&) {
         store::History history(fs);
         store::CsvResult r;
         r.status = sessions::WriteHistoryCsv(fs, history, target.string(), "", "", e);
         if (!r.ok()) r.file = target.string();
         r.rows = static_cast<int>(history.Heads().size());
         return r;
       }},
  };
  return kinds;
}

int RunCommandLineTool(const Options& given, const std::filesystem::path& root,
                       const std::filesystem::path& automaticFolder) {
  // The file system takes a relative path as one on the drive: the files
  // named here are the shell's, relative to the working folder.
  Options options = given;
  if (!options.file.empty()) options.file = std::filesystem::absolute(options.file).string();
  const std::filesystem::path driveRoot = std::filesystem::absolute(root);
  const bool restore = options.tool == Options::Tool::kRestore;
  if (restore) (void)platform::CreateFolders(driveRoot);
  platform::DriveLock lock;
  const platform::LockOutcome locked = lock.Acquire(driveRoot);
  if (restore && (locked != platform::LockOutcome::kHeld || lock.OthersPresent())) {
    if (locked != platform::LockOutcome::kHeld) {
      Say(platform::DriveLockMessage(locked, driveRoot, lock.Error()));
    }
    Say("ほかのプログラムがデータドライブを使用中のため復元しません / another program uses the "
        "drive: not restored.");
    return 3;
  }
  // Without the lock (a program runs on the drive) a backup reads the drive
  // again while it keeps changing, and the check leaves the working copy alone.
  platform::PosixFileSystem fs{platform::DataDrive(driveRoot)};
  StderrProgress progress;
  switch (options.tool) {
    case Options::Tool::kBackup:
      return Backup(fs, options, driveRoot, progress);
    case Options::Tool::kRestore:
      return Restore(fs, options, driveRoot, automaticFolder, progress);
    case Options::Tool::kExportCsv:
      return ExportCsv(fs, options, progress);
    case Options::Tool::kCheck:
      return Check(fs, driveRoot, locked == platform::LockOutcome::kHeld, progress);
    case Options::Tool::kNone:
      break;
  }
  return 2;
}

}  // namespace app
