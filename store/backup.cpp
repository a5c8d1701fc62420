#include "store/backup.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <system_error>

#include "platform/drive.h"
#include "store/records.h"
#include "store/sha256.h"

namespace store {
namespace {

using platform::Status;
namespace fsys = std::filesystem;

// Fast enough that the read-back check fits beside it; the pictures are JPEG
// and hardly shrink at any level.
constexpr const char* kGzipOptions = "gzip:compression-level=1";
constexpr int kReadAttempts = 3;
constexpr const char* kLockName = ".velunor2.lock";
constexpr std::size_t kChunk = 1 << 16;

std::string LocalTime(std::time_t t, const char* format) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

// The drive root without a trailing "/", so that names beside it stay beside it.
fsys::path Plain(const fsys::path& root) {
  fsys::path p = root.lexically_normal();
  return p.has_filename() ? p : p.parent_path();
}

std::string Join(const fsys::path& root, std::string_view relative) {
  return (root / fsys::path(std::string(relative))).string();
}

bool StartsWithFolder(std::string_view path, std::string_view folder) {
  return path.size() > folder.size() &&
         platform::EqualsIgnoringAsciiCase(path.substr(0, folder.size()), folder) &&
         path[folder.size()] == '/';
}

// The folders and files under the drive root, folders before what they hold.
Status ListDrive(platform::FileSystem& fs, const fsys::path& root, const std::string& relative,
                 std::vector<BackupEntry>& entries) {
  const std::string host = relative.empty() ? root.string() : Join(root, relative);
  std::vector<std::string> names;
  if (Status s = fs.ListFiles(host, names); !s.ok()) return s;
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = relative.empty() ? name : relative + "/" + name;
    if (!IsTransientFile(path)) entries.push_back({path, false, 0, {}});
  }
  if (Status s = fs.ListDirectories(host, names); !s.ok()) return s;
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = relative.empty() ? name : relative + "/" + name;
    entries.push_back({path, true, 0, {}});
    if (Status s = ListDrive(fs, root, path, entries); !s.ok()) return s;
  }
  return Status::Ok();
}

void CountRecords(BackupManifest& manifest) {
  for (const BackupEntry& e : manifest.entries) {
    if (e.folder) continue;
    manifest.bytes += e.size;
    if (platform::EqualsIgnoringAsciiCase(e.path, "VLN2/VLN2.ekg")) {
      manifest.examinations = static_cast<int>(e.size / kExamRecordLength);
    } else if (platform::EqualsIgnoringAsciiCase(e.path, "MASTA/KANJYA.MASTA")) {
      manifest.patients = static_cast<int>(e.size / kPatientRecordLength);
    } else if (StartsWithFolder(e.path, "VLN2/GAZOU")) {
      ++manifest.pictures;
    }
  }
}

// --- writing -------------------------------------------------------------

struct Sink {
  platform::RandomFile* file = nullptr;
  std::uint64_t offset = 0;
  Status status;
};

la_ssize_t WriteToSink(archive* a, void* context, const void* buffer, size_t length) {
  auto* sink = static_cast<Sink*>(context);
  sink->status = sink->file->WriteAt(sink->offset, {static_cast<const char*>(buffer), length});
  if (!sink->status.ok()) {
    archive_set_error(a, EIO, "write failed");
    return -1;
  }
  sink->offset += length;
  return static_cast<la_ssize_t>(length);
}

struct ArchiveWriter {
  archive* a = archive_write_new();
  archive_entry* entry = archive_entry_new();
  ~ArchiveWriter() {
    archive_entry_free(entry);
    archive_write_free(a);
  }
};

bool WriteEntry(ArchiveWriter& w, const std::string& name, bool folder, std::string_view bytes,
                std::time_t modified) {
  archive_entry_clear(w.entry);
  archive_entry_set_pathname_utf8(w.entry, name.c_str());
  archive_entry_set_filetype(w.entry, folder ? AE_IFDIR : AE_IFREG);
  archive_entry_set_perm(w.entry, folder ? 0755 : 0644);
  archive_entry_set_size(w.entry, folder ? 0 : static_cast<la_int64_t>(bytes.size()));
  archive_entry_set_mtime(w.entry, modified, 0);
  if (archive_write_header(w.a, w.entry) != ARCHIVE_OK) return false;
  return bytes.empty() || archive_write_data(w.a, bytes.data(), bytes.size()) ==
                              static_cast<la_ssize_t>(bytes.size());
}

// One pass over the drive into the open staging file. `changed` is set when
// a file's length or time differed after the pass from before it.
BackupResult WritePass(platform::FileSystem& fs, const fsys::path& root, Sink& sink,
                       std::time_t taken, platform::Progress& progress, bool& changed) {
  BackupResult result;
  BackupManifest& manifest = result.manifest;
  if (Status s = ListDrive(fs, root, "", manifest.entries); !s.ok()) {
    return BackupResult::Failed(s, root.string());
  }
  ArchiveWriter w;
  archive_write_set_format_pax_restricted(w.a);
  archive_write_add_filter_gzip(w.a);
  archive_write_set_options(w.a, kGzipOptions);
  archive_write_set_bytes_in_last_block(w.a, 1);
  if (archive_write_open2(w.a, &sink, nullptr, WriteToSink, nullptr, nullptr) != ARCHIVE_OK) {
    return BackupResult::Failed(Status::Error(platform::kDeviceIoError), "");
  }
  std::vector<platform::FileFacts> before(manifest.entries.size());
  progress.BeginPhase("バックアップを作成しています", static_cast<int>(manifest.entries.size()));
  for (std::size_t i = 0; i < manifest.entries.size(); ++i) {
    BackupEntry& e = manifest.entries[i];
    std::string bytes;
    const std::string host = Join(root, e.path);
    if (!e.folder) {
      if (Status s = fs.Facts(host, before[i]); !s.ok()) return BackupResult::Failed(s, e.path);
      if (Status s = fs.ReadFile(host, bytes); !s.ok()) return BackupResult::Failed(s, e.path);
      e.size = bytes.size();
      e.sha256 = Sha256Hex(bytes);
    }
    if (!WriteEntry(w, e.path, e.folder, bytes, before[i].modified)) {
      return BackupResult::Failed(
          sink.status.ok() ? Status::Error(platform::kDeviceIoError) : sink.status, "");
    }
    progress.Advance(static_cast<int>(i + 1));
  }
  for (std::size_t i = 0; i < manifest.entries.size() && !changed; ++i) {
    platform::FileFacts after;
    const BackupEntry& e = manifest.entries[i];
    changed = !e.folder && (!fs.Facts(Join(root, e.path), after).ok() || after.length != e.size ||
                            after.modified != before[i].modified);
  }
  manifest.taken = LocalTime(taken, "%Y-%m-%d %H:%M");
  manifest.time = taken;
  CountRecords(manifest);
  const std::string text = manifest.Text();
  if (!WriteEntry(w, kManifestName, false, text, taken) || archive_write_close(w.a) != ARCHIVE_OK) {
    return BackupResult::Failed(
        sink.status.ok() ? Status::Error(platform::kDeviceIoError) : sink.status, "");
  }
  return result;
}

// --- reading -------------------------------------------------------------

// The archive's file inflated here rather than by libarchive, so that the
// gzip trailer (the CRC and length of everything) is checked too and nothing
// may follow it: a flipped bit anywhere in the file is found.
struct Source {
  platform::RandomFile* file = nullptr;
  std::uint64_t offset = 0;
  std::vector<char> in = std::vector<char>(kChunk);
  std::vector<char> out = std::vector<char>(kChunk);
  z_stream z{};
  bool ended = false;  // the gzip stream reached its checked end
  bool damaged = false;
  Status status;

  Source() { inflateInit2(&z, 16 + MAX_WBITS); }
  ~Source() { inflateEnd(&z); }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  // Up to out.size() inflated bytes; 0 at the end, -1 on failure.
  la_ssize_t Inflate() {
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    while (z.avail_out == out.size() && !ended) {
      if (z.avail_in == 0) {
        std::size_t got = 0;
        status = file->ReadAt(offset, in, got);
        if (!status.ok()) return -1;
        offset += got;
        z.next_in = reinterpret_cast<Bytef*>(in.data());
        z.avail_in = static_cast<uInt>(got);
        if (got == 0) return Fail();
      }
      const int rc = inflate(&z, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) {
        ended = true;
      } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
        return Fail();
      }
    }
    return static_cast<la_ssize_t>(out.size() - z.avail_out);
  }
  la_ssize_t Fail() {
    damaged = true;
    return -1;
  }
  // True when the rest inflates to the stream's checked end and no byte follows.
  bool EndsWell(std::uint64_t length) {
    while (!ended) {
      if (Inflate() < 0) return false;
    }
    return z.avail_in == 0 && offset == length;
  }
};

la_ssize_t ReadFromSource(archive* a, void* context, const void** out) {
  auto* source = static_cast<Source*>(context);
  const la_ssize_t got = source->Inflate();
  if (got < 0) archive_set_error(a, EIO, "read failed");
  *out = source->out.data();
  return got;
}

struct ArchiveReader {
  archive* a = archive_read_new();
  ~ArchiveReader() { archive_read_free(a); }
};

// The first entry where the archive and its manifest differ (a file missing,
// one too many, another size or digest); empty when they agree.
std::string FirstMismatch(const BackupManifest& manifest, std::map<std::string, BackupEntry> seen) {
  for (const BackupEntry& want : manifest.entries) {
    auto it = seen.find(want.path);
    if (it == seen.end() || it->second.folder != want.folder || it->second.size != want.size ||
        it->second.sha256 != want.sha256) {
      return want.path;
    }
    seen.erase(it);
  }
  return seen.empty() ? std::string() : seen.begin()->first;
}

// Calls `onEntry` for every entry of the archive with its name, whether it
// is a folder and its bytes, after checking it against the manifest (which
// comes last, so each entry's digest is kept until then).
using EntryFunction = std::function<Status(const std::string&, bool, const std::string&)>;

BackupResult ReadArchive(platform::FileSystem& fs, const fsys::path& path,
                         platform::Progress& progress, const EntryFunction& onEntry) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandomReadOnly(path.string(), file); !s.ok()) {
    return BackupResult::Failed(s, path.string());
  }
  std::uint64_t length = 0;
  (void)file->Length(length);
  Source source;
  source.file = file.get();
  ArchiveReader r;
  archive_read_support_format_tar(r.a);
  if (archive_read_open2(r.a, &source, nullptr, ReadFromSource, nullptr, nullptr) != ARCHIVE_OK) {
    return BackupResult::Damaged(path.filename().string());
  }
  progress.BeginPhase("バックアップを確認しています", static_cast<int>(length >> 16) + 1);
  std::map<std::string, BackupEntry> seen;
  BackupResult result;
  bool manifestFound = false;
  archive_entry* entry = nullptr;
  int rc = ARCHIVE_OK;
  while ((rc = archive_read_next_header(r.a, &entry)) == ARCHIVE_OK) {
    const char* utf8 = archive_entry_pathname_utf8(entry);
    std::string name = utf8 ? utf8 : archive_entry_pathname(entry);
    if (name.ends_with('/')) name.pop_back();
    const bool folder = archive_entry_filetype(entry) == AE_IFDIR;
    std::string bytes;
    char chunk[kChunk];
    la_ssize_t got = 0;
    while ((got = archive_read_data(r.a, chunk, sizeof chunk)) > 0)
      bytes.append(chunk, static_cast<std::size_t>(got));
    if (got < 0)
      return source.status.ok() ? BackupResult::Damaged(name)
                                : BackupResult::Failed(source.status, name);
    if (name == kManifestName) {
      manifestFound = BackupManifest::Parse(bytes, result.manifest);
      break;
    }
    seen[name] = {name, folder, bytes.size(), folder ? "" : Sha256Hex(bytes)};
    if (Status s = onEntry(name, folder, bytes); !s.ok()) return BackupResult::Failed(s, name);
    progress.Advance(static_cast<int>(source.offset >> 16));
  }
  if (rc != ARCHIVE_OK && rc != ARCHIVE_EOF) {
    return source.status.ok() ? BackupResult::Damaged(path.filename().string())
                              : BackupResult::Failed(source.status, path.string());
  }
  if (!manifestFound) return BackupResult::Damaged(kManifestName);
  // Nothing may follow the manifest, and the compressed stream must end
  // with its checked trailer.
  if (archive_read_next_header(r.a, &entry) != ARCHIVE_EOF || !source.EndsWell(length)) {
    return source.status.ok() ? BackupResult::Damaged(path.filename().string())
                              : BackupResult::Failed(source.status, path.string());
  }
  if (const std::string wrong = FirstMismatch(result.manifest, seen); !wrong.empty()) {
    return BackupResult::Damaged(wrong);
  }
  return result;
}

Status RemoveTree(const fsys::path& folder) {
  std::error_code ec;
  fsys::remove_all(folder, ec);
  return ec ? Status::Error(platform::ErrorFromErrno(ec.value())) : Status::Ok();
}

Status WriteWhole(platform::FileSystem& fs, const std::string& host, const std::string& bytes) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandom(host, file); !s.ok()) return s;
  if (Status s = file->Truncate(0); !s.ok()) return s;
  if (Status s = file->WriteAt(0, bytes); !s.ok()) return s;
  return file->Sync();
}

}  // namespace

std::string BackupManifest::Text() const {
  std::ostringstream out;
  out << "Velunor2.0 backup 1\n"
      << "taken " << taken << "\n"
      << "time " << static_cast<long long>(time) << "\n"
      << "examinations " << examinations << "\n"
      << "patients " << patients << "\n"
      << "pictures " << pictures << "\n"
      << "bytes " << bytes << "\n";
  for (const BackupEntry& e : entries) {
    if (e.folder) {
      out << "folder " << e.path << "\n";
    } else {
      out << "file " << e.sha256 << " " << e.size << " " << e.path << "\n";
    }
  }
  return out.str();
}

bool BackupManifest::Parse(std::string_view text, BackupManifest& out) {
  out = {};
  std::istringstream in{std::string(text)};
  std::string line;
  if (!std::getline(in, line) || line != "Velunor2.0 backup 1") return false;
  while (std::getline(in, line)) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    const std::string key = line.substr(0, space);
    const std::string value = line.substr(space + 1);
    std::istringstream v(value);
    if (key == "taken") {
      out.taken = value;
    } else if (key == "time") {
      long long seconds = 0;
      v >> seconds;
      out.time = static_cast<std::time_t>(seconds);
    } else if (key == "examinations") {
      v >> out.examinations;
    } else if (key == "patients") {
      v >> out.patients;
    } else if (key == "pictures") {
      v >> out.pictures;
    } else if (key == "bytes") {
      v >> out.bytes;
    } else if (key == "folder") {
      out.entries.push_back({value, true, 0, {}});
    } else if (key == "file") {
      BackupEntry e;
      v >> e.sha256 >> e.size;
      v.get();
      std::getline(v, e.path);
      if (e.sha256.size() != 64 || e.path.empty()) return false;
      out.entries.push_back(e);
    } else {
      return false;
    }
  }
  return true;
}

bool IsTransientFile(std::string_view path) {
  static constexpr std::string_view kTransient[] = {kLockName, kLastBackupNote, "VLN2/TEMP.DATA",
                                                    "VLN2/TESTOUT.TXT", "MASTA/KARIKAN.DATA"};
  for (std::string_view t : kTransient) {
    if (platform::EqualsIgnoringAsciiCase(path, t)) return true;
  }
  return path.size() > 5 &&
         platform::EqualsIgnoringAsciiCase(path.substr(path.size() - 5), ".PART");
}

BackupResult WriteBackup(platform::FileSystem& fs, const fsys::path& driveRoot,
                         const fsys::path& archive, std::time_t taken,
                         platform::Progress& progress) {
  const std::string staging = archive.string() + ".part";
  const std::string folder = archive.parent_path().string();
  BackupResult result;
  bool changed = true;
  for (int attempt = 0; changed && attempt < kReadAttempts; ++attempt) {
    changed = false;
    std::unique_ptr<platform::RandomFile> file;
    if (Status s = fs.OpenRandom(staging, file); !s.ok())
      return BackupResult::Failed(s, archive.string());
    Sink sink;
    sink.file = file.get();
    Status s = file->Truncate(0);
    result = s.ok() ? WritePass(fs, driveRoot, sink, taken, progress, changed)
                    : BackupResult::Failed(s, "");
    if (result.ok()) s = file->Sync();
    file.reset();
    if (!result.ok() || !s.ok()) {
      (void)fs.Delete(staging);
      if (result.ok()) result = BackupResult::Failed(s, archive.string());
      if (result.file.empty()) result.file = archive.string();
      return result;
    }
  }
  if (changed) {
    (void)fs.Delete(staging);
    return {BackupResult::Problem::kChanging,
            Status::Error(platform::kPathFileAccessError),
            driveRoot.string(),
            {}};
  }
  Status s = fs.Rename(staging, archive.string());
  if (s.ok()) s = fs.SyncDirectory(folder);
  if (!s.ok()) {
    (void)fs.Delete(staging);
    (void)fs.Delete(archive.string());
    return BackupResult::Failed(s, archive.string());
  }
  BackupResult check = CheckBackup(fs, archive, progress);
  if (!check.ok()) {
    (void)fs.Delete(archive.string());
    return check;
  }
  return result;
}

BackupResult CheckBackup(platform::FileSystem& fs, const fsys::path& archive,
                         platform::Progress& progress) {
  return ReadArchive(fs, archive, progress,
                     [](const std::string&, bool, const std::string&) { return Status::Ok(); });
}

fsys::path RestoreStagingFolder(const fsys::path& driveRoot) {
  return fsys::path(Plain(driveRoot).string() + ".restore");
}

fsys::path PreviousDriveFolder(const fsys::path& driveRoot) {
  return fsys::path(Plain(driveRoot).string() + ".previous");
}

BackupResult RestoreBackup(platform::FileSystem& fs, const fsys::path& driveRoot,
                           const fsys::path& archive, platform::Progress& progress) {
  BackupResult check = CheckBackup(fs, archive, progress);
  if (!check.ok()) return check;
  const fsys::path root = Plain(driveRoot);
  const fsys::path staging = RestoreStagingFolder(root);
  const fsys::path previous = PreviousDriveFolder(root);
  if (Status s = RemoveTree(staging); !s.ok()) return BackupResult::Failed(s, staging.string());
  if (Status s = fs.CreateDirectory(staging.string()); !s.ok())
    return BackupResult::Failed(s, staging.string());
  BackupResult unpacked = ReadArchive(
      fs, archive, progress, [&](const std::string& name, bool folder, const std::string& bytes) {
        const std::string host = Join(staging, name);
        if (folder) return fs.IsDirectory(host) ? Status::Ok() : fs.CreateDirectory(host);
        return WriteWhole(fs, host, bytes);
      });
  Status s = unpacked.ok() ? fs.SyncDirectory(staging.string()) : unpacked.status;
  const bool hadDrive = fs.IsDirectory(root.string());
  // The lock file goes over with the data, so whoever holds the drive's lock
  // holds the new drive's.
  const std::string lock = (root / kLockName).string();
  const bool movedLock =
      s.ok() && fs.Exists(lock) && fs.Rename(lock, (staging / kLockName).string()).ok();
  if (s.ok() && hadDrive) s = fs.Rename(root.string(), previous.string());
  if (s.ok()) {
    s = fs.Rename(staging.string(), root.string());
    if (!s.ok() && hadDrive) (void)fs.Rename(previous.string(), root.string());
  }
  if (!s.ok()) {
    if (movedLock) (void)fs.Rename((staging / kLockName).string(), lock);
    (void)RemoveTree(staging);
    return unpacked.ok() ? BackupResult::Failed(s, root.string()) : unpacked;
  }
  (void)fs.SyncDirectory(root.parent_path().string());
  (void)RemoveTree(previous);
  if (check.manifest.time > 0) NoteLastBackup(fs, root, check.manifest.time);
  return check;
}

bool RecoverInterruptedRestore(platform::FileSystem& fs, const fsys::path& driveRoot) {
  const fsys::path root = Plain(driveRoot);
  const fsys::path previous = PreviousDriveFolder(root);
  if (!fs.IsDirectory(root.string()) && fs.IsDirectory(previous.string())) {
    return fs.Rename(previous.string(), root.string()).ok();
  }
  return false;
}

void NoteLastBackup(platform::FileSystem& fs, const fsys::path& driveRoot, std::time_t taken) {
  std::unique_ptr<platform::RandomFile> file;
  const std::string text = std::to_string(static_cast<long long>(taken)) + "\n";
  if (fs.OpenRandom((Plain(driveRoot) / kLastBackupNote).string(), file).ok() &&
      file->Truncate(0).ok()) {
    (void)file->WriteAt(0, text);
  }
}

std::optional<std::time_t> LastBackupNoted(platform::FileSystem& fs, const fsys::path& driveRoot) {
  std::string text;
  if (!fs.ReadFile((Plain(driveRoot) / kLastBackupNote).string(), text).ok()) return std::nullopt;
  long long seconds = 0;
  if (std::sscanf(text.c_str(), "%lld", &seconds) != 1) return std::nullopt;
  return static_cast<std::time_t>(seconds);
}

bool DriveHasFiles(platform::FileSystem& fs, const fsys::path& driveRoot) {
  std::vector<BackupEntry> entries;
  if (!fs.IsDirectory(Plain(driveRoot).string()) ||
      !ListDrive(fs, Plain(driveRoot), "", entries).ok()) {
    return false;
  }
  return std::any_of(entries.begin(), entries.end(),
                     [](const BackupEntry& e) { return !e.folder; });
}

fsys::path BackupFileName(const fsys::path& folder, std::time_t taken) {
  return folder / ("velunor2-" + LocalTime(taken, "%Y%m%d-%H%M%S") + ".tar.gz");
}

}  // namespace store
