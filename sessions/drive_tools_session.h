#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/progress.h"
#include "sessions/outcome.h"
#include "store/backup.h"
#include "store/csv_export.h"
#include "store/health_check.h"
#include "store/store.h"

namespace sessions {

struct BackupOutcome : Outcome {
  bool done = false;
  std::filesystem::path archive;
  store::BackupManifest manifest;
};

// The first step of a restore: the archive checked whole. When it is sound,
// `question` asks the user (Yes/No, No the default) with its summary.
struct RestoreQuestion : Outcome {
  bool sound = false;
  std::string question;
  int style = platform::kYesNo | platform::kQuestion | platform::kDefaultButton2;
};

struct RestoreOutcome : Outcome {
  bool replaced = false;
  std::filesystem::path automaticBackup;  // the drive as it was before
};

struct CsvOutcome : Outcome {
  bool done = false;
  int rows = 0;
};

struct CheckOutcome : Outcome {
  std::vector<store::Finding> findings;
  std::string report;  // one line per finding, or that nothing was found
};

// Backup, restore, CSV export and the health check of the data drive, for
// the menu commands and the command line alike. Each command runs under the
// long-operation guard, so nothing changes the drive meanwhile; a command
// while another long operation runs does nothing (an empty outcome).
class DriveToolsSession {
 public:
  explicit DriveToolsSession(store::Store& store) : store_(store) {}

  // Writes "<folder>/velunor2-<time>.tar.gz" and records the time in the
  // drive's "last backup" note.
  BackupOutcome Backup(const std::filesystem::path& folder, std::time_t now,
                       platform::Progress& progress);
  BackupOutcome BackupTo(const std::filesystem::path& archive, std::time_t now,
                         platform::Progress& progress);

  // Refused while a list is on screen (its working copy would not survive
  // the swap).
  RestoreQuestion AskRestore(const std::filesystem::path& archive, platform::Progress& progress);
  // After Yes: saves the current drive as an automatic backup in
  // `automaticFolder` (a drive without files is not saved), then replaces it
  // with the archive and reopens every file.
  RestoreOutcome Restore(const std::filesystem::path& archive,
                         const std::filesystem::path& automaticFolder, std::time_t now,
                         platform::Progress& progress);

  CsvOutcome ExportCsv(store::CsvSource source, const std::filesystem::path& target,
                       store::CsvEncoding encoding, platform::Progress& progress);

  CheckOutcome Check(bool workingCopyIsLeftover, platform::Progress& progress);

  // True when a list is on screen (its working copy is there to export).
  bool ListOnScreen();

  // When the last backup of this drive was taken (by the menu or the command
  // line), from the note at the drive root; nothing when none was.
  std::optional<std::time_t> LastBackup();
  // The status line's text: "最終バックアップ: 2026-12-09 12:34" or "バックアップ未作成".
  std::string LastBackupText();
  // The start-up reminder when the last backup is older than `days` days
  // (or there is none and the drive holds examinations); empty otherwise.
  std::string Reminder(std::time_t now, int days);

 private:
  std::filesystem::path Root() const;

  store::Store& store_;
};

}  // namespace sessions
