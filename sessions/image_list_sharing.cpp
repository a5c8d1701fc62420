// The image list and its detail view beside other workstations on the same
// drive: each shows what is stored now, and closes when what it showed is gone.

#include <algorithm>

#include "sessions/drive_follow.h"
#include "sessions/image_list_session.h"

namespace sessions {

namespace {

bool SameCells(const std::vector<store::ImageCell>& a, const std::vector<store::ImageCell>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.recordNo == y.recordNo && x.imageFile == y.imageFile &&
           x.stored.Bytes() == y.stored.Bytes();
  });
}

}  // namespace

ImageFollowOutcome ImageListSession::FollowDrive(bool listShown, bool detailShown) {
  ImageFollowOutcome out;
  if (!store_.LongOperationRunning()) {
    const store::Store::DriveScope held = store_.Reading();
    if (held && listShown) FollowList(out);
    if (held && detailShown) FollowDetail(out);
  }
  out.sliderMaximum = SliderMaximum();
  return out;
}

void ImageListSession::FollowList(ImageFollowOutcome& out) {
  if (store_.Reloads() == listSeen_) return;
  listSeen_ = store_.Reloads();
  std::int32_t from = drawn_.empty() ? std::min(pageFrom_, store_.RecordCount()) : 0;
  for (const store::ImageCell& cell : drawn_) {
    from = FindExaminationAgain(store_, cell.stored, cell.recordNo);
    if (from != 0) break;
  }
  if (from < 1) {
    drawn_.clear();
    out.list = ImageFollow::Closed;
    out.Say(kListOutdated, platform::kExclamation);
    return;
  }
  const std::vector<store::ImageCell> before = drawn_;
  searchStart_ = from;
  out.page = Walk();
  if (!out.page.Silent() || !SameCells(before, drawn_)) out.list = ImageFollow::Redrawn;
}

void ImageListSession::FollowDetail(ImageFollowOutcome& out) {
  if (store_.Reloads() == detailSeen_) return;
  detailSeen_ = store_.Reloads();
  const int n = FindExaminationAgain(store_, detailAsStored_, detailRecord_);
  if (n == 0) {
    out.detail = ImageFollow::Closed;
    out.Say(kShownGone);
    return;
  }
  store::ExamRecord stored;
  if (n == detailRecord_ && store_.ReadExamination(n, stored).ok() &&
      stored.Bytes() == detailAsStored_.Bytes()) {
    return;
  }
  out.detail = ImageFollow::Redrawn;
  out.shown = ReadDetail(n);
  out.detailRecord = n;
}

}  // namespace sessions
