#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/progress.h"
#include "platform/ui.h"
#include "sortlib/zuvasortmem.h"
#include "store/records.h"
#include "store/store.h"

namespace store {

// One job on the sort component, as the sort of a file drives it: the key
// parameter, OPEN, one PUT per line, MAIN, GET until 99, CLOSE. Every call
// returns the component's status (0 success; 99 from Get: no more lines).
// Destroying the job releases the component's object.
class SortJob {
 public:
  virtual ~SortJob() = default;
  virtual std::int32_t SetParam(std::string_view keyParameter) = 0;
  virtual std::int32_t Open() = 0;
  // ZUVASORTMEM_DATA = line, then PUT.
  virtual std::int32_t Put(std::string_view line) = 0;
  virtual std::int32_t Main() = 0;
  // GET; on 0 `line` receives ZUVASORTMEM_DATA.
  virtual std::int32_t Get(std::string& line) = 0;
  virtual std::int32_t Close() = 0;

  // PUT of each line in turn; 0, or the first status that is not 0 (the
  // lines after it are not put).
  virtual std::int32_t PutLines(std::span<const std::string_view> lines) {
    for (std::string_view line : lines) {
      if (const std::int32_t s = Put(line); s != 0) return s;
    }
    return 0;
  }
  // GET until a status that is not 0, which it returns (99 at the end); each
  // line is appended to `out` followed by `separator`.
  virtual std::int32_t GetLines(std::string& out, std::string_view separator) {
    std::string line;
    std::int32_t s;
    while ((s = Get(line)) == 0) (out += line) += separator;
    return s;
  }
};

// Creates a job whose component shows its messages through `ui`; nullptr
// when the component cannot be created.
// A factory that cannot create the job tells the user why (through `ui`) and
// returns null.
using SortJobFactory = std::function<std::unique_ptr<SortJob>(platform::Ui& ui)>;

// The sort component ZUVASORTMEM of the library ZUVASORTMEM2, created by its
// class identity through the component registry (loaded only while the job
// lives).
std::unique_ptr<SortJob> CreateComponentSortJob(platform::Ui& ui);

// What is sorted and how the user is asked.
//
// A sort line is the record's key text followed by its position in the file:
//   examinations: the key field exactly as stored + position "000000"
//                 ("000300" + "000001"; "2006/01/03" + "000001")
//   patients:     PatientId formatted "000000" + position "0000000000"
// The position is read back from the last six or ten characters of a line.
struct SortKey {
  // ExamField: the data file "VLN2.ekg" through "TEMP.DATA"; PatientField:
  // the master "KANJYA.MASTA" through "KARIKAN.DATA".
  std::variant<ExamField, PatientField> field;
  std::string_view parameter;  // the component's key parameter ("1,6,A")
  std::string_view question;   // asked Yes/No first; empty: none
  std::string_view finished;   // shown (OK, no icon) after a sort; empty: none
  std::string_view noData;     // warning when there is no record; empty: silent
  std::string_view oneRecord;  // warning when there is one record; empty: silent
};

// 検査日順 and ID順 of the main window, and the master sort of the bulk
// patient registration (its question; no closing message).
extern const SortKey kExamsByDate;   // "1,10,A" on ExamDate
extern const SortKey kExamsById;     // "1,6,A" on PatientId
extern const SortKey kPatientsById;  // "1,6,A" on the 16-character patient lines

enum class SortOutcome {
  Sorted,            // the file is in the new order; `finished` was shown
  Refused,           // fewer than two records, or the answer was No
  Failed,            // a message was shown; the file is byte for byte as it was
  SortedThenFailed,  // the file is in the new order, but reopening or making the
                     // rename durable failed; its error number was shown
};

// The message shown when the sort component cannot be created.
inline constexpr std::string_view kSortLibraryMissing = zuvasort::kLibraryMissingText;

// Sorts the file of `key` through a job of `createJob`: a left-over
// "C:\VLN2\TESTOUT.TXT" is deleted; every record's sort line is handed to the
// job (read phase "データ読み込み中・・・"), the sorted lines are written to
// TESTOUT.TXT (cp932, each line ended by CR LF), every position must come
// back exactly once, and the records are copied in the new order into the
// staging file, which replaces the file in one atomic step
// (ReorderByPositions, write phase "データ書き込み中・・・"). TESTOUT.TXT is
// deleted after a sort.
//
// A status other than 0 (and 99 from GET) shows "SORT OPEN RTN NOT = 0 (21)"
// (OPEN, PUT, MAIN, GET, CLOSE; OK, no icon), releases the job and leaves the
// file as it was; a job that cannot be created shows kSortLibraryMissing
// (critical); a file failure shows its error number. The progress is hidden
// on every path. A long operation: the command that calls it holds the
// guard (store/long_operation.h).
SortOutcome SortFile(Store& store, platform::Ui& ui, platform::Progress& progress,
                     const SortKey& key,
                     const SortJobFactory& createJob = SortJobFactory(CreateComponentSortJob));

}  // namespace store
