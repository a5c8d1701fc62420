#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/progress.h"
#include "store/pager.h"
#include "store/records.h"
#include "store/store.h"

namespace store {

// The examination lists (list views 1 and 2) are shown a page of 15 rows at
// a time from the working file "TEMP.DATA" (the patient list pages in the
// patient session). This is the page arithmetic on the store's page state
// and the reading of a page; the routines that put a page into a window's
// rows are in forms/list_pages.h.
//
// Invariants of the examination lists after every page operation:
// PageFirst = PageIndex x 15 + 1 and PageNumber = PageIndex + 1.

// Pages of a list of `count` records: count / 15 rounded up (0 for none).
std::int32_t PagesFor(std::int32_t count);
// The maximum of a page slider: the page count, or 2 for a single page (a
// slider needs a maximum above its minimum of 1).
int PageSliderMaximum(std::int32_t pageCount);
// "データ数：" + count.
std::string RecordCountText(std::int32_t count);
// Page number + "/" + page count + "(Page)": "2/3(Page)".
std::string PageIndicator(std::int32_t pageNumber, std::int32_t pageCount);

// --- The examination lists -------------------------------------------------

// The first page: PageFirst 1, PageIndex 0, PageNumber 1.
void FirstListPage(Store& store);
// One page back; false (the state unchanged) on the first page.
bool PreviousListPage(Store& store);
// One page on; false (the state unchanged) when no record follows the page.
bool NextListPage(Store& store);
// Page p (1-based) of the slider, held to the pages there are (1 ...
// PageCount), so that the slider's spare maximum of a single page never
// shows an empty page. Returns the page gone to.
std::int32_t GoToListPage(Store& store, std::int32_t p);

// A row of a page: its record number k in the working file and the record.
struct ListRow {
  std::int32_t position = 0;
  ExamRecord record;
};

// Reads the rows of the page starting at PageFirst from the working file,
// each through WorkRecord (at most 15; none when the page starts beyond the
// end or no working file is open), and sets PageCount from ListCount: the
// pages there are, and 1 for a list of 15 records or fewer. On a read
// failure the rows read so far are kept and the failure returned.
[[nodiscard]] Status ReadListPage(Store& store, std::vector<ListRow>& rows);

// The data-file record number a row action opens: the numeric value of the
// row's file number (the working file's RecordNo); 0 when it names no record
// of the data file (empty, below 1 or beyond RecordCount).
std::int32_t RowRecordNumber(const Store& store, std::string_view fileNumber);

// 一覧's working file: a byte-for-byte copy of the data file, put in place of
// any earlier "TEMP.DATA" in one atomic step (CopyToStaging), opened and
// counted (ListCount), and the first page set. The copy is reported to
// `progress`. A failed copy leaves the earlier working file (if any) as it
// was and open, so a list never shows half a copy; without one ListCount is
// 0. Runs as a long operation: the caller holds a store::LongOperation.
[[nodiscard]] Status OpenListOfAllRecords(Store& store, platform::Progress& progress);

// Ends the list: when "TEMP.DATA" exists the working file is closed and
// deleted; ListCount becomes 0.
[[nodiscard]] Status DiscardWorkFile(Store& store);

}  // namespace store
