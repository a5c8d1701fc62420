#include "mainwin/sort_data_file.h"

#include "mainwin/dialog2.h"
#include "platform/progress.h"

namespace mainwin {
namespace {

// The progress window as the store's progress.
class Dialog2Progress final : public platform::Progress {
 public:
  explicit Dialog2Progress(Dialog2& dialog) : dialog_(dialog) {}
  void BeginPhase(std::string_view caption, int maximum) override {
    dialog_.BeginPhase(caption, maximum);
  }
  void Advance(int value) override { dialog_.Advance(value); }
  void Hide() override { dialog_.hide(); }

 private:
  Dialog2& dialog_;
};

}  // namespace

SortOutcome SortDataFile(store::Store& store, platform::Ui& ui, Dialog2& progress, SortOrder order,
                         const store::SortJobFactory& createJob) {
  Dialog2Progress shown(progress);
  const store::SortKey& key = order == SortOrder::ById ? store::kExamsById : store::kExamsByDate;
  switch (store::SortFile(store, ui, shown, key, createJob)) {
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
