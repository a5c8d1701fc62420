#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/progress.h"
#include "sessions/outcome.h"
#include "store/pager.h"
#include "store/records.h"
#include "store/search.h"
#include "store/store.h"

namespace sessions {

// A row of a page of the examination list.
struct ExamListRow {
  std::int32_t position = 0;  // in the working file
  int key = 0;                // the data-file record number the row names; 0: none
  store::ExamRecord record;   // as the working file holds it
};

// The page to draw: its rows, the list's record count and the page state.
struct ListPageOutcome : Outcome {
  std::vector<ExamListRow> rows;
  std::int32_t listCount = 0;
  std::int32_t pageNumber = 1;
  std::int32_t pageCount = 1;
};

// What a command of an open list came to.
enum class ListStep {
  Busy,       // a long operation runs: nothing happened
  Ended,      // the working file is gone: the views are to be hidden
  Stayed,     // nothing to do (a row without a record, the last page, ...)
  Moved,      // the page moved: it is to be drawn
  RowChosen,  // `record` names a record of the data file
};

struct ListStepOutcome : Outcome {
  ListStep step = ListStep::Stayed;
  int record = 0;              // RowChosen: the data-file record number
  std::string imageFile;       // the row's picture: "C:\VLN2\GAZOU\" + stored name
  std::string name, examDate;  // the row's record, trimmed (for the zoom window)
};

// What opening a list (一覧, the search) came to.
enum class ListOpening {
  Busy,          // a long operation runs: nothing happened
  Refused,       // a criterion check refused (`refusal`); nothing changed
  Failed,        // the error is in the messages; no list to show
  Opened,        // the list holds records: show its first page
  NothingFound,  // the search found nothing; the messages say so
};

struct ListOpeningOutcome : Outcome {
  ListOpening opening = ListOpening::Opened;
  store::CriteriaRefusal refusal = store::CriteriaRefusal::None;
  std::int32_t hits = 0;
};

// The examination lists and the search: the working file "TEMP.DATA" (a
// copy of the data file or the hits of a search), its record count
// ListCount and its page state (PageFirst, PageIndex, PageNumber, PageCount
// through `Pager()`). Both list views and the print range dialog show this
// one list.
class ExamListSession {
 public:
  explicit ExamListSession(store::Store& store) : store_(store) {}

  // Told true before and false after the work of a long command (the busy
  // cursor); unset, nothing is told.
  std::function<void(bool busy)> busyCursor;

  std::int32_t ListCount() const { return listCount_; }
  const store::Pager& Pager() const { return pager_; }
  // The working file is open (the list has not been ended behind its views).
  bool WorkFileOpen() const { return store_.WorkFile() != nullptr; }
  bool LongOperationRunning() const { return store_.LongOperationRunning(); }

  // 一覧: the working file made a byte-for-byte copy of the data file (in
  // one atomic step, CopyToStaging), opened and counted, and the first page
  // set. A failed copy leaves an earlier working file as it was and open;
  // without one ListCount is 0. The copy is reported to `progress`.
  ListOpeningOutcome OpenListOfAllRecords(platform::Progress& progress);

  // The search dialog's OK after the earlier list was discarded: the
  // criteria checked (CheckCriteria), "TEMP.DATA" removed, every record
  // tested (SearchRecords, progress to `progress`) and the hits counted.
  // Hits: Opened, `hits` and ListCount their number. None: NothingFound with
  // "保存されていません。", the working file removed again and the records
  // counted. A failure is Failed with its error number and leaves no list.
  ListOpeningOutcome Search(const store::SearchCriteria& criteria, platform::Progress& progress);

  // The page commands. First never fails; the others are Busy during a long
  // operation, Ended (with "表示するデータがありません。") when the working file
  // is gone, Stayed with "データは以上です。" (critical) at either end, else
  // Moved.
  void FirstPage() { pager_.First(); }
  ListStepOutcome PreviousPage();
  ListStepOutcome NextPage();
  // Page p of the slider, held to the pages there are; Stayed (silently)
  // while the data file holds fewer than 2 records.
  ListStepOutcome GoToPage(int p);

  // The rows of the current page and the page state; PageCount set from
  // ListCount (the pages there are, at least 1). A read failure keeps the
  // rows read so far and is in the messages as its error number.
  ListPageOutcome ReadPage();

  // The row commands, given the row's key: Busy, Ended as above; a key that
  // names no record of the data file (0, beyond RecordCount) is Stayed.
  // OpenRow: RowChosen with the record number.
  ListStepOutcome OpenRow(int key);
  // The picture cell: the record read and its picture looked up ignoring
  // case; found, RowChosen with `imageFile`, `name` and `examDate`; else
  // "画像：<name>.jpgはありません。". A read failure is its error number.
  ListStepOutcome RowImage(int key);
  // The boxes of list view 2, each the record's text whole in one message:
  // the comment ("コメントはありません。" when blank); the five lead
  // site/finding pairs; the five arrhythmias; fields trimmed, lines
  // separated by a carriage return.
  ListStepOutcome RowComment(int key);
  ListStepOutcome RowFindings(int key);
  ListStepOutcome RowArrhythmias(int key);

  // The print range: positions a ... b of the list, or the whole list. The
  // first and last position; nothing when a range is not 1 <= a <= b <=
  // ListCount.
  std::optional<std::pair<int, int>> PrintRange(bool whole, double a, double b) const;

  // After another workstation changed the drive: the working file is still
  // the list when every row still is, byte for byte apart from its record
  // number, the data file's record its key names; then Stayed and the list stays. Otherwise the
  // working file is discarded and Ended says so. Stayed silently when the drive did not change
  // since the last look or no list is open. The list of every record (一覧)
  // takes in the records registered since at its end: Moved, the page to be
  // drawn again.
  ListStepOutcome FollowDrive();

  // Runs `work` as a long operation (store::LongOperation); false, without
  // running it, when another one runs.
  bool RunLongOperation(const std::function<void()>& work);

  // Position p of the working file; "bad file name or number" when it is
  // not open.
  [[nodiscard]] platform::Status ReadListRecord(std::int32_t p, store::ExamRecord& record);

  // The list ends: the working file closed and deleted (when it exists);
  // ListCount 0. A failure of the deletion is returned.
  [[nodiscard]] platform::Status DiscardWorkFile();

  // The entries of the department or arrhythmia list, for the search
  // dialog's boxes (blank ones included; unreadable ones blank).
  std::vector<std::string> Entries(store::LookupList which);

 private:
  // Busy or Ended when the list cannot be used now; nothing otherwise.
  std::optional<ListStepOutcome> Unusable() const;
  // The record a row key names read into `record`; the outcome (Stayed or an
  // error) when there is none.
  std::optional<ListStepOutcome> ReadRow(int key, store::ExamRecord& record);
  void Busy(bool on) const {
    if (busyCursor) busyCursor(on);
  }

  store::Store& store_;
  std::int32_t listCount_ = 0;
  store::Pager pager_;
  std::uint64_t reloadsSeen_ = 0;
  bool allRecords_ = false;  // the working file is a copy of the data file
  // The working file holds the hits of this search among the first
  // searchedThrough_ records of the data file.
  std::optional<store::SearchFilter> search_;
  std::int32_t searchedThrough_ = 0;
};

}  // namespace sessions
