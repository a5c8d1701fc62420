#pragma once

#include <string_view>

#include "platform/progress.h"
#include "platform/status.h"
#include "platform/ui.h"
#include "store/sort_file.h"
#include "store/store.h"

namespace mainwin {

// The two orders of the examination file.
enum class SortOrder {
  ById,    // "1,6,A" on PatientId
  ByDate,  // "1,10,A" on ExamDate
};

// What a sort of the data file came to.
enum class SortOutcome {
  Sorted,   // the data file is in the new order (a failure after the
            // replacement has been shown by its error number)
  Refused,  // no data, one record, or the user answered No
  Failed,   // a message was shown; the data file is exactly as it was
};

// Sorts "VLN2.ekg" by `order` with store::SortFile (store/sort_file.h),
// showing the read and the write phase in `progress`. The caller (the main
// window) holds the long-operation guard, runs RemoveWorkFile first and
// decides what the form shows afterwards. `createJob` creates the sort
// component's job (by class identity unless a test hands in another).
SortOutcome SortDataFile(
    store::Store& store, platform::Ui& ui, platform::Progress& progress, SortOrder order,
    const store::SortJobFactory& createJob = store::SortJobFactory(store::CreateComponentSortJob));

// The message shown when the sort component cannot be created.
inline constexpr std::string_view kSortLibraryMissing = store::kSortLibraryMissing;

}  // namespace mainwin
