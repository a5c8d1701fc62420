#include "mainwin/sort_data_file.h"

namespace mainwin {

SortOutcome SortDataFile(store::Store& store, platform::Ui& ui, platform::Progress& progress,
                         SortOrder order, const store::SortJobFactory& createJob) {
  const store::SortKey& key = order == SortOrder::ById ? store::kExamsById : store::kExamsByDate;
  switch (store::SortFile(store, ui, progress, key, createJob)) {
    case store::SortOutcome::Sorted:
    case store::SortOutcome::SortedThenFailed:
      return SortOutcome::Sorted;
    case store::SortOutcome::Refused:
      return SortOutcome::Refused;
    case store::SortOutcome::Failed:
      break;
  }
  return SortOutcome::Failed;
}

}  // namespace mainwin
