#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace store {

// The change history of the data drive: one append-only log of every change
// made to the examinations, the patients and the vocabularies, and beside it
// the files a change replaced or removed (a picture, a whole data file),
// each under the name of the entry that keeps it.
inline constexpr const char* kHistoryDir = "C:\\VLN2\\HISTORY\\";
inline constexpr const char* kHistoryFile = "C:\\VLN2\\HISTORY\\CHANGES.LOG";
// Beside the log, what the index knows of each entry, so that opening the
// history reads this small file and only the log's entries it does not cover.
inline constexpr const char* kHistoryIndexFile = "C:\\VLN2\\HISTORY\\CHANGES.IDX";

enum class ChangeKind : std::uint8_t {
  Register = 1,      // 登録: a new examination appended
  Overwrite,         // 上書き
  Delete,            // 削除
  DeleteAll,         // 全削除
  Sort,              // 並べ替え
  BulkRegister,      // 一括登録 of patients
  PatientRegister,   // a patient registered
  PatientDelete,     // a patient deleted
  PatientDeleteAll,  // every patient deleted
  VocabularySave,    // 語彙の保存
  Restore,           // an older version made current again
  Undo,              // the last change taken back
};
// The operation as the user reads it ("登録", "削除", ...).
std::string_view ChangeKindText(ChangeKind kind);

// When and by whom: seconds since the epoch, the local offset from UTC in
// seconds, the login name and the host.
struct ChangeStamp {
  std::int64_t time = 0;
  std::int32_t offset = 0;
  std::string user, host;
};
// Now, on this host, for this user.
ChangeStamp StampNow();
// "2026/12/09 10:14:05 +09:00"; `seconds` false leaves out the seconds and
// the offset ("2026/12/09 10:14").
std::string StampTimeText(const ChangeStamp& stamp, bool seconds = true);

// A file kept beside the log: its name there and the path it was taken from.
struct KeptFile {
  std::string name;  // "E000123.JPG"
  std::string live;  // "C:\VLN2\GAZOU\A.jpg"
  friend bool operator==(const KeptFile&, const KeptFile&) = default;
};

struct ChangeEntry {
  std::uint64_t number = 0;  // 1, 2, ... in the order of the log
  ChangeStamp stamp;
  ChangeKind kind = ChangeKind::Register;
  std::string file;              // the changed file as the system writes it
  std::int32_t record = 0;       // the record changed (0: the whole file)
  std::int32_t countBefore = 0;  // the records of the file before the change
  std::string patientId;
  std::string name;           // the patient's name, for the questions
  std::string before, after;  // the record's bytes before and after (empty: none)
  std::vector<KeptFile> kept;
  std::uint64_t target = 0;  // Restore / Undo: the entry it goes back on
};

// What the index knows of an entry without reading it again.
struct EntryHead {
  std::uint64_t number = 0;
  std::uint64_t offset = 0;  // of its frame in the log
  std::int64_t time = 0;
  ChangeKind kind = ChangeKind::Register;
  std::string_view file;  // held by the History
  std::int32_t record = 0;
  std::uint64_t target = 0;
};

// The log. Each entry is one frame: "VLH1", the length of the body (4 bytes,
// little-endian), the body, and the CRC-32 of everything before it. A frame
// that is cut short or fails its checksum ends the readable log: after a
// crash the torn last entry is ignored, and the next append writes over it.
// Nothing before the end of the readable log is ever written again.
class History {
 public:
  explicit History(platform::FileSystem& fs, std::string folder = kHistoryDir);
  History(const History&) = delete;
  History& operator=(const History&) = delete;
  ~History();

  // Who and when for the next entries (tests fix them).
  void SetStamp(std::function<ChangeStamp()> stamp) { stamp_ = std::move(stamp); }

  // Creates the folder and the log when missing and reads the index of every
  // readable entry: from the index file as far as it agrees with the log,
  // then from the log's entries beyond it (which the index file then gets).
  // An index file that is damaged, torn or does not match the log is
  // rebuilt from the log. Opening an open history does nothing.
  [[nodiscard]] platform::Status Open();
  bool IsOpen() const { return file_ != nullptr; }
  void Close();

  // Appends `entry` (its number and stamp are given here) and forces it to
  // the disk with one sync. On failure nothing of it is readable. The index
  // file gets the entry unsynced: a lost index entry is found again in the
  // log on the next open.
  [[nodiscard]] platform::Status Append(ChangeEntry& entry);
  // Takes back the last entry, whose change was not made after all; the
  // files it kept are deleted.
  [[nodiscard]] platform::Status TakeBackLast();

  const std::vector<EntryHead>& Heads() const { return heads_; }
  std::uint64_t NextNumber() const { return heads_.empty() ? 1 : heads_.back().number + 1; }
  // Positions in Heads() of the entries of record `record` of `file`, and of
  // patient `patientId`, newest first.
  std::vector<std::size_t> OfRecord(std::string_view file, std::int32_t record) const;
  std::vector<std::size_t> OfPatient(std::string_view patientId) const;
  std::string_view PatientIdOf(std::size_t position) const;
  [[nodiscard]] platform::Status Read(std::size_t position, ChangeEntry& out);

  // How the last Open read the index: entries taken from the index file, and
  // entries read from the log (all of them when the index file was rebuilt).
  std::size_t EntriesFromIndexFile() const { return fromIndexFile_; }
  std::size_t EntriesFromLog() const { return heads_.size() - fromIndexFile_; }

  // Bytes after the readable log (a torn last entry); 0 normally.
  std::uint64_t TornBytes() const { return length_ - end_; }
  // The log and the files kept beside it, in bytes.
  std::uint64_t SizeOnDrive();

  // The path of a kept file of that name, and the name for entry `number`
  // ("E000123" + suffix).
  std::string KeptPath(std::string_view name) const { return folder_ + std::string(name); }
  static std::string KeptName(std::uint64_t number, std::string_view suffix);

  // Moves the entries older than `before` (seconds since the epoch) to the
  // archive "CHANGES-YYYYMMDD.LOG" (dated `today`, appended to when it
  // exists) and replaces the log by the entries kept, in one atomic step;
  // the kept files of the archived entries move into the folder "ARCHIVE".
  // Answers how many entries were archived.
  [[nodiscard]] platform::Status Archive(std::int64_t before, std::string_view today,
                                         std::size_t& archived);

  // The frame of an entry, and an entry read back from a frame body.
  static std::string Frame(const ChangeEntry& entry);
  static bool ParseBody(std::string_view body, ChangeEntry& out);
  static std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

 private:
  // Indexes the entries of the log from `from` to the end of the readable
  // log; each frame indexed is also added to `indexBytes`.
  platform::Status Scan(std::uint64_t from, std::string& indexBytes);
  // Takes the index file's entries that agree with the log; answers where
  // the log is to be scanned from.
  std::uint64_t LoadIndexFile();
  bool ResolveFileName(std::uint32_t fileId, std::uint64_t offset);
  void Index(const ChangeEntry& entry, std::uint64_t offset, std::uint32_t frameLength,
             std::uint32_t frameCrc, std::string* indexBytes);
  void AddHead(const EntryHead& head, std::uint32_t fileId, std::string_view patientId);
  void PopHead();
  void WriteIndexFile(std::size_t keep, const std::string& bytes);
  // The number of a file name among those the log names (added when new;
  // UINT32_MAX from KnownFileId when not there).
  std::uint32_t FileId(std::string_view file);
  std::uint32_t KnownFileId(std::string_view file) const;
  static std::uint64_t RecordKey(std::uint32_t fileId, std::int32_t record) {
    return (std::uint64_t{fileId} << 32) | static_cast<std::uint32_t>(record);
  }

  platform::FileSystem& fs_;
  std::string folder_, path_, indexPath_;
  std::function<ChangeStamp()> stamp_;
  std::unique_ptr<platform::RandomFile> file_;
  std::uint64_t end_ = 0;     // end of the last readable frame
  std::uint64_t length_ = 0;  // length of the log file
  std::vector<EntryHead> heads_;
  std::deque<std::string> files_;
  // Of each entry in heads_: its file id and record (RecordKey), and its
  // patient ID (length, then the ID; kLongId: in longIds_).
  std::vector<std::uint64_t> recordKeys_;
  std::vector<std::array<char, 11>> patientIds_;
  std::unordered_map<std::size_t, std::string> longIds_;
  std::size_t fromIndexFile_ = 0;
  std::unique_ptr<platform::RandomFile> index_;
  std::uint64_t indexLength_ = 0;  // of the index file, as written
};

}  // namespace store
