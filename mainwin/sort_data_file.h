#pragma once

#include <string_view>

#include "platform/progress.h"
#include "platform/status.h"
#include "platform/ui.h"
#include "store/records.h"
#include "store/store.h"

namespace mainwin {

// The two orders of the examination file.
enum class SortOrder {
  ById,    // "1,6,A" on PatientId
  ByDate,  // "1,10,A" on ExamDate
};

// What a sort of the data file came to.
enum class SortOutcome {
  Sorted,   // the data file is in the new order, "終了。" was shown
  Refused,  // no data, one record, or the user answered No
  Failed,   // a message was shown; the data file is exactly as it was
};

// Sorts "VLN2.ekg" through the sort component ZUVASORTMEM2, created by class
// identity: every record's key field as stored plus its position "000000" is
// handed to the component, the sorted lines pass through "TESTOUT.TXT"
// (cp932, CRLF), and the records are copied in the new order into
// "TEMP.DATA", renumbered "000000", which then replaces the data file in one
// atomic step. `progress` shows the read and the write phase.
//
// Every failure shows its message ("SORT PUT RTN NOT = 0 (30)", ...; a
// missing or unregistered component its own message) and leaves the data
// file byte for byte as it was; the progress window is hidden on every path.
// The caller (the main window) runs RemoveWorkFile first and decides what the
// form shows afterwards.
SortOutcome SortDataFile(store::Store& store, platform::Ui& ui, platform::Progress& progress,
                         SortOrder order);

// The message shown when the sort component cannot be created.
inline constexpr std::string_view kSortLibraryMissing =
    "並べ替えライブラリ ZUVASORTMEM2 を使用できません。\n"
    "ライブラリが見つからないか、登録されていません。データは変更されていません。";

}  // namespace mainwin
