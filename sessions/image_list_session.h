#pragma once

#include <cstdint>
#include <vector>

#include "sessions/outcome.h"
#include "store/image_pages.h"
#include "store/records.h"
#include "store/store.h"

namespace sessions {

// A page of the image list: whether it is to be drawn, its cells, and where
// the walk through the data file stands afterwards.
struct ImagePageOutcome : Outcome {
  bool draw = false;
  std::vector<store::ImageCell> cells;
  std::int32_t searchStart = 1;
};

// The record the detail view shows.
struct DetailOutcome : Outcome {
  bool read = false;
  // The number the record carries (the numeric value of its RecordNo), which
  // the view shows and prints under.
  int recordNumber = 0;
  store::ExamRecord record;
};

// What an image window does after another workstation changed the drive.
enum class ImageFollow {
  Stayed,   // what it shows is still stored as shown
  Redrawn,  // it shows the stored state again (the outcome carries it)
  Closed,   // what it showed is gone: it closes, saying so
};

struct ImageFollowOutcome : Outcome {
  // The image list: Redrawn carries the page to draw, its searchStart the
  // slider's place; the slider's maximum follows the record count always.
  ImageFollow list = ImageFollow::Stayed;
  ImagePageOutcome page;
  int sliderMaximum = 1;
  // The detail view: Redrawn carries the record it shows now and where it
  // lies in the data file.
  ImageFollow detail = ImageFollow::Stayed;
  DetailOutcome shown;
  int detailRecord = 0;
};

// The image list "画像一覧" and its detail view: the pictures of the data
// file six a page, the records without a picture file left out. The list's
// position in the data file is SearchStart: the record of the last cell
// drawn (RecordCount + 1 once the records ran out), the list's own, so that
// no other list's paging moves it.
class ImageListSession {
 public:
  explicit ImageListSession(store::Store& store) : store_(store) {}

  std::int32_t SearchStart() const { return searchStart_; }
  // The slider's maximum: RecordCount, at least 1.
  int SliderMaximum() const;
  bool LongOperationRunning() const { return store_.LongOperationRunning(); }

  // The first page, from record 1 (WalkImagePage). A read failure keeps the
  // cells found before it and is in the messages as its error number.
  ImagePageOutcome Open();
  // One past the last record shown; beyond the data "データは以上です。" and
  // nothing drawn (the position keeps the increased value).
  ImagePageOutcome Next();
  // 11 records back, at least record 1.
  ImagePageOutcome Previous();
  // The slider's record; beyond the data "データは以上です。", nothing drawn.
  ImagePageOutcome Slider(int value);

  // A cell's record: for a cell of the page drawn last, the record that now
  // holds its examination (another workstation may have moved it), 0 when
  // it is gone; otherwise recordNo when it names a record of the data file
  // (1 ... RecordCount), else 0.
  int CellRecord(int recordNo);

  // Record n of the data file for the detail view; a read failure is its
  // error number, `read` false.
  DetailOutcome ReadDetail(int n);

  // Brings the shown windows up to date with another workstation's change
  // (nothing when the files were not reopened since each last looked). The
  // list's page is walked again from where its first examination still
  // stored lies now, and drawn when its cells differ from those shown; it
  // closes with the lists' message when none of them is left (or, with an
  // empty page, no record at all). The detail
  // view follows its examination to where it lies now, shows it as stored,
  // and closes saying so when it was deleted.
  ImageFollowOutcome FollowDrive(bool listShown, bool detailShown);

 private:
  ImagePageOutcome Walk();
  void FollowList(ImageFollowOutcome& out);
  void FollowDetail(ImageFollowOutcome& out);

  store::Store& store_;
  std::int32_t searchStart_ = 1;
  // What each window last showed, and the reloads it had seen then.
  std::vector<store::ImageCell> drawn_;
  std::int32_t pageFrom_ = 1;
  std::uint64_t listSeen_ = 0;
  int detailRecord_ = 0;
  store::ExamRecord detailAsStored_;
  std::uint64_t detailSeen_ = 0;
};

}  // namespace sessions
