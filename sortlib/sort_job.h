#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sortlib/key_param.h"
#include "sortlib/radix_order.h"

namespace zuvasort {

// 0, or 90 after the stop button of a progress window on this thread. Shared
// by every object of the library on the thread; a new object and a
// successful CLOSE reset it.
extern thread_local std::int32_t STOP_FLAG;

// What a job needs of its host: the progress window, message boxes and the
// event loop. Window operations do nothing where there is no window.
class JobView {
 public:
  virtual ~JobView() = default;
  // An OK box without icon.
  virtual void MsgBox(std::u16string_view prompt, std::u16string_view title) = 0;
  // Lets pending events run (the stop and credits buttons act only here).
  virtual void DoEvents() = 0;
  // Creates and shows a new progress window in place of any earlier one,
  // printed with "ID=" and its handle, "SORT PUT" and the bar's blue outline.
  // Returns the window handle, 0 when no window can be shown.
  virtual std::int32_t OpenWindow() = 0;
  virtual void CloseWindow() = 0;
  // The count line and the phase line, each repainted at once.
  virtual void ShowCount(std::u16string_view text) = 0;
  virtual void ShowPhase(std::u16string_view text) = 0;
  // The bar filled to `fraction` (0..1) of its outline, repainted.
  virtual void FillBar(double fraction) = 0;
};

// Replaces `text` by `value`, reusing its allocation.
inline void AssignText(std::u16string& text, std::u16string_view value) {
  text.resize(value.size());
  std::copy(value.begin(), value.end(), text.begin());
}

// "#,##0" + " 件".
std::u16string CountDisplay(std::int32_t count);
// The credits box text: four credit lines and `dateLine`, each followed by
// two CR LF pairs.
std::u16string CreditsText(std::u16string_view dateLine);

// One sort job: the state, status codes and messages of ZUVASORTMEM. Every
// non-zero status other than 99 is kept in SORT_STATUS and returned by every
// later call (except that a stop request turns it into 90); nothing but a new
// object clears it. Decided beyond the classic contract:
//   - MAIN on an object not open returns 34, MAIN with no record 43, each
//     with its message;
//   - on a failed object GET and CLOSE return the kept status without a
//     message, even where the object was never opened;
//   - a second OPEN starts the job afresh (new window, no records, marks
//     cleared) unless the object has failed;
//   - a record shorter than the key table's own area is refused with 22 even
//     where the caller lowered MAX_KEY_AREA after OPEN, so the ordering never
//     reads past a record;
//   - a PUT or MAIN that runs out of memory fails the job with 7.
class ZuvaSortJob {
 public:
  explicit ZuvaSortJob(JobView& view);  // Class_Initialize
  ~ZuvaSortJob();                       // frees the records and the window
  ZuvaSortJob(const ZuvaSortJob&) = delete;
  ZuvaSortJob& operator=(const ZuvaSortJob&) = delete;

  std::u16string ZUVASORTMEM_DATA;
  std::u16string ZUVASORTMEM_PARAM;
  std::int32_t MAX_KEY_AREA = 0;

  std::int32_t ZUVASORTMEM_OPEN();
  std::int32_t ZUVASORTMEM_PUT();
  std::int32_t ZUVASORTMEM_MAIN();
  std::int32_t ZUVASORTMEM_GET();
  std::int32_t ZUVASORTMEM_CLOSE();

  std::size_t OrderingBytes() const { return orderingBytes_; }

  // PUT of `line`, each byte one character, as ZUVASORTMEM_PUT with
  // ZUVASORTMEM_DATA set to it, but without passing through
  // ZUVASORTMEM_DATA: the caller sets it to the last line of a batch.
  std::int32_t PutBytes(std::string_view line);
  // GET without ZUVASORTMEM_DATA: the record taken is left in `record` (valid
  // until the next PUT, OPEN or CLOSE) instead.
  std::int32_t GetRecord(std::u16string_view& record);

 private:
  template <class AppendRecord>
  std::int32_t Put(std::int64_t length, AppendRecord append);
  std::int32_t Main();
  void ZUVASORTPARAM_SUB();
  std::int32_t Fail(std::int32_t status, std::u16string_view message, std::u16string_view title);
  void ShowCount(std::int32_t count) { view_.ShowCount(CountDisplay(count)); }
  // True at most once every 20 ms: while lines stream through, the count and
  // the bar are repainted and pending events run only then (the last count
  // and the full bar always).
  bool PaintDue();

  JobView& view_;
  std::int32_t SORT_STATUS = 0;
  std::u16string OPEN_MARK, PUT_MARK, MAIN_MARK, GET_MARK;
  RecordStore RECORDS;
  std::int32_t RECORD_COUNT = 0;
  std::int32_t RECORD_CAPACITY = 0;
  std::int32_t GET_POSITION = 0;
  std::int32_t PROGRESS_COUNT = 0;
  std::vector<SortKey> KEY_TABLE;        // KEY_COUNT = KEY_TABLE.size()
  std::int32_t keyArea_ = 0;             // the area the key table reaches
  std::vector<std::int32_t> SORT_INDEX;  // 0-based record numbers
  std::int32_t WINDOW_ID = 0;
  std::size_t orderingBytes_ = 0;
  std::chrono::steady_clock::time_point lastPaint_{};
};

}  // namespace zuvasort
