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
// The page state of the examination lists is a store::Pager of the list
// session.

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

// A row of a page: its record number k in the working file and the record.
struct ListRow {
  std::int32_t position = 0;
  ExamRecord record;
};

// Reads the rows of `pager`'s page from the working file (at most a page;
// none when the page starts beyond `listCount` or no working file is open).
// On a read failure the rows read so far are kept and the failure returned.
[[nodiscard]] Status ReadListPage(Store& store, const Pager& pager, std::int32_t listCount,
                                  std::vector<ListRow>& rows);

// The data-file record number a row's file number (the working file's
// RecordNo) names: its numeric value, 0 when it is below 1 or no int.
std::int32_t RowKey(std::string_view fileNumber);

// Ends the list: when "TEMP.DATA" exists the working file is closed and
// deleted.
[[nodiscard]] Status DiscardWorkFile(Store& store);

}  // namespace store
