#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/progress.h"

namespace store {

// A backup is one gzip-compressed tar file of the whole data drive: every
// folder and file under the drive root except the lock file and the working
// copies a run makes and removes (IsTransientFile), followed by the manifest
// "MANIFEST.TXT" listing every folder and every file with its size and
// SHA-256.
inline constexpr const char* kManifestName = "MANIFEST.TXT";

struct BackupEntry {
  std::string path;  // under the drive root, "/" between names ("VLN2/VLN2.ekg")
  bool folder = false;
  std::uint64_t size = 0;
  std::string sha256;  // 64 hex digits; empty for a folder
};

struct BackupManifest {
  std::string taken;  // local time, "2026-12-09 12:34"
  std::time_t time = 0;
  int examinations = 0;
  int patients = 0;
  int pictures = 0;
  std::uint64_t bytes = 0;  // the files' bytes together
  std::vector<BackupEntry> entries;

  std::string Text() const;
  // False for text that is not a manifest.
  static bool Parse(std::string_view text, BackupManifest& out);
};

// True for what a backup leaves out: the drive lock and the note of the last
// backup at the drive root, the working copies
// ("TEMP.DATA", "KARIKAN.DATA", "TESTOUT.TXT") and the staging files
// ("*.PART") of an operation.
bool IsTransientFile(std::string_view relativePath);

struct BackupResult {
  enum class Problem {
    kNone,
    kFailed,    // a read or write failed: `status` says how, `file` where
    kDamaged,   // the archive does not match its manifest at `file` (or has none)
    kChanging,  // the drive kept changing while it was read
  };
  Problem problem = Problem::kNone;
  platform::Status status;
  std::string file;
  BackupManifest manifest;

  bool ok() const { return problem == Problem::kNone; }
  static BackupResult Failed(platform::Status s, std::string file) {
    return {Problem::kFailed, s, std::move(file), {}};
  }
  static BackupResult Damaged(std::string file) {
    return {Problem::kDamaged,
            platform::Status::Error(platform::kPathFileAccessError),
            std::move(file),
            {}};
  }
};

// Writes the backup of the drive at `driveRoot` to `archive`: through the
// staging name "<archive>.part", forced to the disk, renamed into place and
// the folder synced, then read back whole and checked against its manifest.
// The caller keeps the drive from changing (the long-operation guard, or the
// drive lock); when it cannot, every file is looked at again after the pass
// and the pass repeated while any changed. On any failure neither the staging
// file nor the archive is left behind. `taken` dates the manifest.
BackupResult WriteBackup(platform::FileSystem& fs, const std::filesystem::path& driveRoot,
                         const std::filesystem::path& archive, std::time_t taken,
                         platform::Progress& progress);

// Reads `archive` whole and checks every entry against the manifest: each
// file's size and SHA-256, nothing missing, nothing extra. The result carries
// the manifest.
BackupResult CheckBackup(platform::FileSystem& fs, const std::filesystem::path& archive,
                         platform::Progress& progress);

// The folders beside the drive a restore uses: the new drive is unpacked
// into "<root>.restore" and the old one moved to "<root>.previous" for the
// moment of the swap.
std::filesystem::path RestoreStagingFolder(const std::filesystem::path& driveRoot);
std::filesystem::path PreviousDriveFolder(const std::filesystem::path& driveRoot);

// Replaces the drive at `driveRoot` with the content of `archive`: the
// archive is checked whole first (a damaged one changes nothing), unpacked
// into the staging folder with every file synced, then the staging folder is
// renamed into the drive's place (the old drive moved aside first and
// removed afterwards). The drive's lock file is moved into the new drive
// just before, so the lock its holder has stays held; the new drive's note
// of its last backup says when the archive was taken. Every open file of the drive must be closed
// by the caller, and an automatic backup of the old drive taken before.
BackupResult RestoreBackup(platform::FileSystem& fs, const std::filesystem::path& driveRoot,
                           const std::filesystem::path& archive, platform::Progress& progress);

// After a restore that stopped between its two renames, the drive is
// missing and the old one lies at PreviousDriveFolder: moves it back.
// Returns true when it did.
bool RecoverInterruptedRestore(platform::FileSystem& fs, const std::filesystem::path& driveRoot);

// The note at the drive root of when the last backup was taken (seconds
// since 1970 as text), written after each backup, left out of backups.
inline constexpr const char* kLastBackupNote = ".velunor2.lastbackup";
void NoteLastBackup(platform::FileSystem& fs, const std::filesystem::path& driveRoot,
                    std::time_t taken);
// Nothing when no backup was noted.
std::optional<std::time_t> LastBackupNoted(platform::FileSystem& fs,
                                           const std::filesystem::path& driveRoot);

// True when the drive at `driveRoot` holds any file a backup would take.
bool DriveHasFiles(platform::FileSystem& fs, const std::filesystem::path& driveRoot);

// "<folder>/velunor2-YYYYMMDD-HHMMSS.tar.gz" in local time.
std::filesystem::path BackupFileName(const std::filesystem::path& folder, std::time_t taken);

}  // namespace store
