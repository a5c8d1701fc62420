#pragma once

#include "store/records.h"
#include "store/store.h"

namespace sessions {

// Said when a view closes because another workstation changed what it showed.
inline constexpr const char* kListOutdated =
    "他の端末でデータが変更されたため、一覧を閉じました。もう一度一覧・検索をしてください。";
inline constexpr const char* kShownGone = "表示していた検査は他の端末で削除されました。";

// Equal apart from the record number (which a delete or sort renumbers).
bool SameContent(const store::ExamRecord& a, const store::ExamRecord& b);
// The same examination: the same patient ID, examination date and image
// name (blanks trimmed), whatever else was edited.
bool SameExamination(const store::ExamRecord& a, const store::ExamRecord& b);

// The record of the data file that holds the examination once stored as
// `asStored` (SameExamination), looked for at `near` first, then among the
// patient's examinations (the whole file when the index does not cover it
// or the ID is blank); 0 when it is gone or a read failed.
int FindExaminationAgain(store::Store& store, const store::ExamRecord& asStored, int near);

}  // namespace sessions
