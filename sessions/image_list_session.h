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

  // A cell's record, when it still names a record of the data file (1 ...
  // RecordCount); 0 otherwise.
  int CellRecord(int recordNo) const;

  // Record n of the data file for the detail view; a read failure is its
  // error number, `read` false.
  DetailOutcome ReadDetail(int n);

 private:
  ImagePageOutcome Walk();

  store::Store& store_;
  std::int32_t searchStart_ = 1;
};

}  // namespace sessions
