#include "sessions/image_list_session.h"

#include <algorithm>

#include "sessions/drive_follow.h"
#include "store/text_format.h"

namespace sessions {

int ImageListSession::SliderMaximum() const { return std::max(store_.RecordCount(), 1); }

ImagePageOutcome ImageListSession::Walk() {
  ImagePageOutcome out;
  out.draw = true;
  const store::Store::DriveScope held = store_.Reading();
  pageFrom_ = searchStart_;
  if (platform::Status s = store::WalkImagePage(store_, searchStart_, out.cells); !s.ok()) {
    out.SayError(s);
  }
  out.searchStart = searchStart_;
  drawn_ = out.cells;
  listSeen_ = store_.Reloads();
  return out;
}

ImagePageOutcome ImageListSession::Open() {
  searchStart_ = 1;
  return Walk();
}

ImagePageOutcome ImageListSession::Next() {
  if (store::NextImagePage(store_, searchStart_)) return Walk();
  ImagePageOutcome out;
  out.Say("データは以上です。", platform::kOkOnly);
  out.searchStart = searchStart_;
  return out;
}

ImagePageOutcome ImageListSession::Previous() {
  store::PreviousImagePage(searchStart_);
  return Walk();
}

ImagePageOutcome ImageListSession::Slider(int value) {
  if (store::SliderImagePage(store_, searchStart_, value)) return Walk();
  ImagePageOutcome out;
  out.Say("データは以上です。", platform::kOkOnly);
  out.searchStart = searchStart_;
  return out;
}

int ImageListSession::CellRecord(int recordNo) {
  for (const store::ImageCell& cell : drawn_) {
    if (cell.recordNo == recordNo) return FindExaminationAgain(store_, cell.stored, recordNo);
  }
  return recordNo >= 1 && recordNo <= store_.RecordCount() ? recordNo : 0;
}

DetailOutcome ImageListSession::ReadDetail(int n) {
  DetailOutcome out;
  if (platform::Status s = store_.ReadExamination(n, out.record); !s.ok()) {
    out.SayError(s);
    return out;
  }
  out.read = true;
  detailRecord_ = n;
  detailAsStored_ = out.record;
  detailSeen_ = store_.Reloads();
  out.recordNumber =
      static_cast<int>(store::NumericValue(out.record.Get(store::ExamField::RecordNo)));
  return out;
}

}  // namespace sessions
