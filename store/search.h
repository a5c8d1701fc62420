#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/progress.h"
#include "store/records.h"
#include "store/store.h"

namespace store {

// The criteria of the search dialog, as its OK command reads them from the
// boxes: every one trimmed of blanks except `sex`, which is taken as it
// stands. An empty criterion is no test.
struct SearchCriteria {
  std::string year = {};        // no date test at all when empty
  std::string month = {};       // tested only with the year
  std::string day = {};         // tested only with year and month
  std::string id = {};          // compared by numeric value
  std::string name = {};        // the beginning of the name
  std::string sex = {};         // compared trimmed
  std::string ageFrom = {};     // lower bound, inclusive
  std::string ageTo = {};       // upper bound, inclusive
  std::string department = {};  // the whole department
  std::string arrhythmia = {};  // contained in any of the five arrhythmias
};

// --- The checks of the boxes when they are left ------------------------------

struct BoxCheck {
  enum Outcome {
    Accepted,     // `text` is what the box holds now
    Refused,      // `message`; the focus stays (or returns) in the box
    YearMissing,  // `message`; the focus goes to the year box
  };
  Outcome outcome = Accepted;
  std::string text;
  std::string message;
};

// Full-width digits count as the digits they stand for: an accepted box
// holds them as ASCII digits, and the filter reads them so.
//
// The year box: empty, or exactly 4 characters ("不正な入力です。" and the
// box emptied otherwise). Any 4 characters pass; a year that is no number
// simply matches no record.
BoxCheck CheckYearBox(std::string_view year);
// The month box, when not empty: the year is needed ("年を入力してください。");
// a value outside 1-12 is refused ("入力が不正です。", the text kept); else the
// text becomes the value in two digits (3 -> "03").
BoxCheck CheckMonthBox(std::string_view month, std::string_view year);
// The day box, when not empty: with a month but no year, the year is needed;
// a value outside 1-31 is refused; else two digits. A day without month and
// year passes (and is no criterion).
BoxCheck CheckDayBox(std::string_view day, std::string_view month, std::string_view year);

// --- The checks of OK --------------------------------------------------------

enum class CriteriaRefusal {
  None,
  AgeRange,     // "年齢の範囲が不正です。" (critical): the value of age to is
                // below that of age from, an empty box counting 0 (so a lower
                // bound alone is refused, an upper bound alone accepted)
  NoCriterion,  // "検索条件を入力して下い。" (warning): year, ID, name, sex, both
                // ages, department and arrhythmia all empty (month and day do
                // not count)
};
CriteriaRefusal CheckCriteria(const SearchCriteria& criteria);
inline constexpr const char* kAgeRangeMessage = "年齢の範囲が不正です。";
inline constexpr const char* kNoCriterionMessage = "検索条件を入力して下い。";

// The filter, compiled once for many records. The tests run in this order
// and the first failing one rejects the record:
//  1. year: ExamDate begins with the year;
//  2. month (with the year): ExamDate begins with year + "/" + month;
//  3. day (with year and month): the trimmed ExamDate is year/month/day;
//  4. ID: the numeric values of the criterion and of PatientId are equal;
//  5. name: Name begins with the criterion;
//  6. sex: the trimmed Sex equals the trimmed criterion;
//  7. age from: the numeric value of Age is not below the criterion's;
//  8. age to: the numeric value of Age is not above the criterion's;
//  9. department: the trimmed Department equals the criterion;
// 10. arrhythmia: one of Arrhythmia1-Arrhythmia5 contains the criterion.
// Text is compared exactly (case, width and all), character by character: a
// match never starts or ends inside a double-byte character. A month or day
// of one digit is read as its two-digit form.
class SearchFilter {
 public:
  explicit SearchFilter(const SearchCriteria& criteria);
  bool Matches(const ExamRecord& record) const { return Matches(record.data()); }
  // The same for a record's bytes where they stand.
  bool Matches(const char* record) const;
  // The same tests as the examination index asks them.
  ExamIndex::Query IndexQuery() const;

 private:
  bool hasYear_ = false, hasMonth_ = false, hasDay_ = false;
  std::string yearPrefix_;   // cp932 bytes
  std::string monthPrefix_;  // year/month
  std::string date_;         // year/month/day
  bool hasId_ = false;
  double id_ = 0;
  std::string name_, sex_, department_, arrhythmia_;  // cp932, empty = no test
  bool hasSex_ = false;
  bool hasAgeFrom_ = false, hasAgeTo_ = false;
  double ageFrom_ = 0, ageTo_ = 0;
};

// Number `n` of the data file written into the RecordNo field of a hit, as
// the working file of a search holds it.
void MarkHit(char* record, std::int32_t n);

// SearchRecords: the records 1 ... RecordCount of the data file that meet the
// filter, in record order. When the examination index covers the file and
// leaves few candidates, only those are read (in large runs); otherwise every
// record is read and tested, and the index is built again on the way when it
// did not cover the file. Each hit, given its data-file number as RecordNo, is appended to
// the working file, which is opened new (the caller has removed any earlier
// one). `progress` shows the records done, under "処理中・・・・", and is
// hidden at the end. `hits` is the number of hits. When a read or a write
// fails there is no working file afterwards (no half result is ever listed),
// `hits` is 0, and the failure is returned. Runs as a long operation: the
// caller holds a store::LongOperation.
[[nodiscard]] Status SearchRecords(Store& store, const SearchCriteria& criteria,
                                   platform::Progress& progress, std::int32_t& hits);

}  // namespace store
