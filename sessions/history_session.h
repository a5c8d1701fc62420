#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "sessions/outcome.h"
#include "store/csv_export.h"
#include "store/history.h"
#include "store/records.h"
#include "store/store.h"

namespace sessions {

// One version of an examination or patient: what a history entry made of it.
struct VersionRow {
  std::size_t position = 0;  // in the history's index (Show, Restore)
  std::string time;          // "2026/12/09 10:14:05 +09:00"
  std::string user, host;
  std::string operation;      // "上書き"; "変更前" for the record before the oldest change
  bool beforeChange = false;  // the record as it was before the entry's change
};

struct Versions : Outcome {
  std::vector<VersionRow> rows;  // newest first
  std::string none;              // what the window says when there are no rows
};

// A version as the window shows it: the record it held (a deleted one as it
// was), and which fields the change set.
struct ShownVersion : Outcome {
  bool read = false;
  bool examination = true;  // else a patient record
  store::ExamRecord exam;
  store::PatientRecord patient;
  std::vector<int> changed;  // field numbers (ExamField / PatientField)
  bool deleted = false;      // the version of a 削除: the record as it was
};

// What an undo or a restore did.
struct HistoryChange : Outcome {
  bool changed = false;
  int record = 0;  // the examination to show afterwards (0: leave the form)
};

// The history of the drive for the windows: versions of one examination or
// patient, a version made current again, the last change undone, the size
// and the archive.
class HistorySession {
 public:
  explicit HistorySession(store::Store& store);

  // The versions of examination `record` / of the patient `patientId`. An
  // examination is followed by what it is (its ID, date and picture name,
  // through every overwrite), not by its number, which deletes and sorts
  // change.
  Versions OfExamination(int record);
  Versions OfPatient(const std::string& patientId);
  ShownVersion Show(const VersionRow& version);
  // The versions of the examination the newest change of a single
  // examination was made to, deleted or not, for a form that shows a new
  // examination (none after a change of the whole file).
  Versions OfLastChanged();
  // Where the examination OfExamination listed stands now that another
  // workstation changed the drive (a delete or sort renumbers it): its
  // record, or 0 when none was listed or it is gone.
  int ListedExaminationNow();

  // Makes `version` current again: an examination is written back where it
  // is now (refused when it has changed since its versions were listed), a
  // deleted one appended at the end (with its picture when it was
  // kept); a patient is written back at its place. Itself a change.
  HistoryChange Restore(const VersionRow& version);

  // The question naming the last change ("2026/12/09 10:14 削除 ファイルNO 12
  // 山田 太郎 を元に戻しますか？", No by default), or why there is nothing to
  // undo (in the messages).
  struct UndoQuestion : Outcome {
    std::optional<Message> ask;
  };
  UndoQuestion AskUndoLast();
  // Undoes the change AskUndoLast named: a record change at any time, a
  // change of a whole file (全削除, 並べ替え, 一括登録, ...) only while it is
  // the last change on the drive. Itself a change.
  HistoryChange UndoLast();

  // "1.2 MB (34 件)"
  std::string SizeText();
  // Moves the entries before `day` (yyyy/mm/dd, local midnight) to the
  // archive of today; the messages say how many went.
  Outcome ArchiveBefore(const std::string& day);
  // The audit trail from `from` to `to` (yyyy/mm/dd; empty: no bound) as
  // CSV at `path` (WriteHistoryCsv); the messages say where it went.
  Outcome ExportCsv(const std::string& path, const std::string& from, const std::string& to);

 private:
  // The newest entry that can still be undone; nullopt when none.
  std::optional<std::size_t> LastUndoable();
  Versions Rows(const std::vector<std::size_t>& positions);
  // The bytes a version stands for.
  bool VersionBytes(const VersionRow& version, store::ChangeEntry& entry, std::string& bytes);
  HistoryChange WriteBack(const store::ChangeEntry& from, std::string bytes,
                          store::ChangeKind kind);
  HistoryChange Append(const store::ChangeEntry& from, std::string bytes, store::ChangeKind kind);
  HistoryChange Remove(const store::ChangeEntry& from);
  HistoryChange Insert(const store::ChangeEntry& from);
  HistoryChange UndoWholeFile(const store::ChangeEntry& entry);
  HistoryChange RestorePatient(const store::ChangeEntry& from, const std::string& bytes);
  HistoryChange Reindexed(HistoryChange done);
  HistoryChange RestoreVersion(const VersionRow& version);
  HistoryChange UndoLastChange();
  // Copies the pictures `entry` kept back to where they were.
  void PutBackPictures(const store::ChangeEntry& entry);
  // The picture of a version of an examination as a later change kept it
  // (none: the picture on the drive is still the version's).
  std::vector<store::KeptFile> VersionPicture(const VersionRow& version, const std::string& bytes);

  // The entries of the examination whose bytes are `now`, newest first.
  std::vector<std::size_t> ExaminationChain(const std::string& now);

  store::Store& store_;
  // The examination OfExamination listed: its number and bytes then, and
  // its entries newest first.
  int listedRecord_ = 0;
  std::string listedBytes_;
  std::vector<std::size_t> listedChain_;
};

// The audit trail as CSV (RFC 4180, UTF-8 with a byte-order mark): a header,
// then one row per entry with time, user, host, operation, file, record
// number, patient ID and the changed fields. Entries from `from` to `to`
// (yyyy/mm/dd, both included; empty: no bound). Written to `path` through a
// staging file that replaces it whole.
[[nodiscard]] platform::Status WriteHistoryCsv(
    store::Store& store, const std::string& path, const std::string& from = "",
    const std::string& to = "", store::CsvEncoding encoding = store::CsvEncoding::kUtf8Bom);
// The same from a history of its own (the command line, without a running
// store): entries are read as they stand, nothing is taken back.
[[nodiscard]] platform::Status WriteHistoryCsv(platform::FileSystem& fs, store::History& history,
                                               const std::string& path, const std::string& from,
                                               const std::string& to, store::CsvEncoding encoding);
// The rows as UTF-8 text, the header first.
[[nodiscard]] platform::Status HistoryCsv(store::History& history, const std::string& from,
                                          const std::string& to, std::string& csv);

}  // namespace sessions
