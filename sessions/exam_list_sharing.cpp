// The examination list beside other workstations on the same drive: a list
// whose rows no longer are the data file's records closes rather than
// showing what is not stored any more.

#include <algorithm>

#include "sessions/drive_follow.h"
#include "sessions/exam_list_session.h"
#include "store/list_pages.h"

namespace sessions {

namespace {

// A rebuild may write the record numbers anew; the rest is the examination.
constexpr std::size_t kNumberWidth = store::kExamFields[0].width;

}  // namespace

ListStepOutcome ExamListSession::FollowDrive() {
  ListStepOutcome out;
  out.step = ListStep::Stayed;
  if (store_.WorkFile() == nullptr || store_.LongOperationRunning()) return out;
  const store::Store::DriveScope held = store_.Reading();
  if (!held || store_.Reloads() == reloadsSeen_) return out;
  reloadsSeen_ = store_.Reloads();
  if (store_.WorkFile() == nullptr) listCount_ = 0;  // reopening found no working copy
  store::ExamRecord row, stored;
  for (std::int32_t p = 1; p <= listCount_; ++p) {
    bool same = store_.WorkFile() != nullptr && store_.WorkFile()->Read(p, row).ok();
    const std::int32_t key = store::RowKey(row.Raw(store::ExamField::RecordNo));
    same = same && key >= 1 && key <= store_.RecordCount() &&
           store_.ReadExamination(key, stored).ok() &&
           stored.Bytes().substr(kNumberWidth) == row.Bytes().substr(kNumberWidth);
    if (same) continue;
    (void)DiscardWorkFile();
    out.step = ListStep::Ended;
    out.Say(kListOutdated, platform::kExclamation);
    return out;
  }
  if (allRecords_ && store_.WorkFile() != nullptr && store_.RecordCount() > listCount_) {
    for (std::int32_t p = listCount_ + 1; p <= store_.RecordCount(); ++p) {
      platform::Status s = store_.ReadExamination(p, row);
      if (s.ok()) s = store_.WorkFile()->Write(p, row);
      if (!s.ok()) {
        out.SayError(s);
        break;
      }
    }
    listCount_ = store_.WorkRecordCount();
    out.step = ListStep::Moved;
  } else if (search_ && store_.WorkFile() != nullptr) {
    // Examinations registered elsewhere that meet the search join its hits.
    searchedThrough_ = std::min(searchedThrough_, store_.RecordCount());
    for (std::int32_t p = searchedThrough_ + 1; p <= store_.RecordCount(); ++p) {
      platform::Status s = store_.ReadExamination(p, row);
      if (s.ok() && !search_->Matches(row)) continue;
      if (s.ok()) {
        store::MarkHit(row.data(), p);
        s = store_.WorkFile()->Write(listCount_ + 1, row);
      }
      if (!s.ok()) {
        out.SayError(s);
        break;
      }
      listCount_ = store_.WorkRecordCount();
      out.step = ListStep::Moved;
    }
    searchedThrough_ = store_.RecordCount();
  }
  return out;
}

}  // namespace sessions
