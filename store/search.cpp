#include "store/search.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>

#include "platform/cp932.h"
#include "platform/helper_thread.h"
#include "store/list_pages.h"
#include "store/text_format.h"

namespace store {
namespace {

// Number of characters of UTF-8 text.
std::size_t CharCount(std::string_view utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// Full-width digits (U+FF10-U+FF19, as a Japanese input method types them)
// made ASCII digits; everything else as it stands.
std::string NarrowDigits(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (i + 2 < utf8.size() && utf8[i] == '\xEF' && utf8[i + 1] == '\xBC' &&
        utf8[i + 2] >= '\x90' && utf8[i + 2] <= '\x99') {
      out.push_back(static_cast<char>('0' + (utf8[i + 2] - '\x90')));
      i += 2;
    } else {
      out.push_back(utf8[i]);
    }
  }
  return out;
}

bool InRange(std::string_view text, double low, double high) {
  const double v = NumericValue(text);
  return v >= low && v <= high;
}

// A month or day as the date field holds it: one digit gets its leading 0.
std::string TwoDigits(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') return "0" + std::string(text);
  return std::string(text);
}

// True when `pos` is where a character of the cp932 `bytes` starts.
bool StartsCharacter(std::string_view bytes, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos) i += platform::IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
  return i == pos;
}

bool ContainsAtCharacter(std::string_view field, std::string_view wanted) {
  for (std::size_t pos = field.find(wanted); pos != std::string_view::npos;
       pos = field.find(wanted, pos + 1)) {
    if (StartsCharacter(field, pos)) return true;
  }
  return false;
}

}  // namespace

BoxCheck CheckYearBox(std::string_view year) {
  if (!year.empty() && CharCount(year) != 4) {
    return {BoxCheck::Refused, std::string(), "不正な入力です。"};
  }
  return {BoxCheck::Accepted, NarrowDigits(year), {}};
}

BoxCheck CheckMonthBox(std::string_view typed, std::string_view year) {
  const std::string month = NarrowDigits(typed);
  if (month.empty()) return {BoxCheck::Accepted, {}, {}};
  if (year.empty()) return {BoxCheck::YearMissing, std::string(month), "年を入力してください。"};
  if (!InRange(month, 1, 12)) return {BoxCheck::Refused, std::string(month), "入力が不正です。"};
  return {BoxCheck::Accepted, FormatNumber(NumericValue(month), "00"), {}};
}

BoxCheck CheckDayBox(std::string_view typed, std::string_view month, std::string_view year) {
  const std::string day = NarrowDigits(typed);
  if (day.empty()) return {BoxCheck::Accepted, {}, {}};
  if (!month.empty() && year.empty()) {
    return {BoxCheck::YearMissing, std::string(day), "年を入力してください。"};
  }
  if (!InRange(day, 1, 31)) return {BoxCheck::Refused, std::string(day), "入力が不正です。"};
  return {BoxCheck::Accepted, FormatNumber(NumericValue(day), "00"), {}};
}

CriteriaRefusal CheckCriteria(const SearchCriteria& c) {
  if (NumericValue(c.ageTo) < NumericValue(c.ageFrom)) return CriteriaRefusal::AgeRange;
  if (c.year.empty() && c.id.empty() && c.name.empty() && c.sex.empty() && c.ageFrom.empty() &&
      c.ageTo.empty() && c.department.empty() && c.arrhythmia.empty()) {
    return CriteriaRefusal::NoCriterion;
  }
  return CriteriaRefusal::None;
}

SearchFilter::SearchFilter(const SearchCriteria& c) {
  hasYear_ = !c.year.empty();
  hasMonth_ = hasYear_ && !c.month.empty();
  hasDay_ = hasMonth_ && !c.day.empty();
  const std::string year = NarrowDigits(c.year);
  const std::string month = TwoDigits(NarrowDigits(c.month));
  yearPrefix_ = platform::ToCp932(year);
  monthPrefix_ = platform::ToCp932(year + "/" + month);
  date_ = platform::ToCp932(year + "/" + month + "/" + TwoDigits(NarrowDigits(c.day)));
  hasId_ = !c.id.empty();
  id_ = NumericValue(c.id);
  name_ = platform::ToCp932(c.name);
  hasSex_ = !c.sex.empty();
  sex_ = platform::ToCp932(TrimBlanks(c.sex));
  hasAgeFrom_ = !c.ageFrom.empty();
  hasAgeTo_ = !c.ageTo.empty();
  ageFrom_ = NumericValue(c.ageFrom);
  ageTo_ = NumericValue(c.ageTo);
  department_ = platform::ToCp932(TrimBlanks(c.department));
  arrhythmia_ = platform::ToCp932(c.arrhythmia);
}

bool SearchFilter::Matches(const char* record) const {
  const auto field = [record](ExamField f) {
    const FieldDef& def = kExamFields[static_cast<std::size_t>(f)];
    return std::string_view(record + def.offset, def.width);
  };
  if (hasYear_) {
    const std::string_view date = field(ExamField::ExamDate);
    if (!date.starts_with(yearPrefix_)) return false;
    if (hasMonth_ && !date.starts_with(monthPrefix_)) return false;
    if (hasDay_ && TrimBlanks(date) != date_) return false;
  }
  if (hasId_ && NumericValue(field(ExamField::PatientId)) != id_) return false;
  if (!name_.empty() && !field(ExamField::Name).starts_with(name_)) return false;
  if (hasSex_ && TrimBlanks(field(ExamField::Sex)) != sex_) return false;
  if (hasAgeFrom_ || hasAgeTo_) {
    const double age = NumericValue(field(ExamField::Age));
    if (hasAgeFrom_ && ageFrom_ > age) return false;
    if (hasAgeTo_ && ageTo_ < age) return false;
  }
  if (!department_.empty() && TrimBlanks(field(ExamField::Department)) != department_) {
    return false;
  }
  if (!arrhythmia_.empty()) {
    for (int i = 0; i < 5; ++i) {
      if (ContainsAtCharacter(field(ArrhythmiaField(i)), arrhythmia_)) return true;
    }
    return false;
  }
  return true;
}

ExamIndex::Query SearchFilter::IndexQuery() const {
  ExamIndex::Query q;
  if (hasYear_) q.datePrefixes.push_back(yearPrefix_);
  if (hasMonth_) q.datePrefixes.push_back(monthPrefix_);
  if (hasDay_) q.date = date_;
  if (hasId_) q.patientId = id_;
  q.namePrefix = name_;
  if (hasSex_) q.sex = sex_;
  if (hasAgeFrom_) q.ageFrom = ageFrom_;
  if (hasAgeTo_) q.ageTo = ageTo_;
  if (!department_.empty()) q.department = department_;
  if (!arrhythmia_.empty()) {
    q.arrhythmia = [wanted = arrhythmia_](std::string_view field) {
      return ContainsAtCharacter(field, wanted);
    };
  }
  return q;
}

// ExamRecordNo(n) into the record's RecordNo field, padded with blanks.
void MarkHit(char* record, std::int32_t n) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  char* field = record;
  const std::size_t width = kExamFields[0].width;
  std::fill_n(field, width, ' ');
  if (n >= 0 && length + 1 <= width) {
    std::copy_n(digits, length, field + 1);  // the blank of the sign first
  } else {
    const std::string six = ExamRecordNo(n);
    std::copy_n(six.data(), std::min(six.size(), width), field);
  }
}

namespace {

// Candidates closer than this many records are read in one run with those
// between; a run holds at most kLongestRun records.
constexpr std::int32_t kMergedGap = 16;
constexpr std::int32_t kLongestRun = 4096;

// Tests one record and appends it to the working file when it is a hit.
class HitWriter {
 public:
  HitWriter(Store& store, const SearchFilter& filter, std::int32_t& hits)
      : store_(store), filter_(filter), hits_(hits) {}
  Status Test(std::int32_t n, ExamRecord& record) {
    if (!filter_.Matches(record)) return Status::Ok();
    MarkHit(record.data(), n);
    if (Status s = store_.WorkFile()->Write(hits_ + 1, record); !s.ok()) return s;
    ++hits_;
    return Status::Ok();
  }

 private:
  Store& store_;
  const SearchFilter& filter_;
  std::int32_t& hits_;
};

// Every record read in turn; the index built again from them when `rebuild`.
Status ScanAll(Store& store, HitWriter& hits, platform::Progress& progress, bool rebuild) {
  ExamIndex& index = store.ExamsByPatient();
  if (rebuild) index.Clear();
  ExamRecord record;
  for (std::int32_t i = 1; i <= store.RecordCount(); ++i) {
    if (Status s = store.ReadExamination(i, record); !s.ok()) return s;
    if (rebuild) index.Put(i, record);
    if (Status s = hits.Test(i, record); !s.ok()) return s;
    progress.Advance(i);
  }
  return Status::Ok();
}

// The candidate records only, runs of near ones read in one piece.
Status ReadCandidates(Store& store, const std::vector<std::int32_t>& candidates, HitWriter& hits,
                      platform::Progress& progress) {
  std::vector<char> run;
  ExamRecord record;
  for (std::size_t k = 0; k < candidates.size();) {
    const std::int32_t first = candidates[k];
    std::size_t end = k + 1;
    while (end < candidates.size() && candidates[end] - candidates[end - 1] <= kMergedGap &&
           candidates[end] - first < kLongestRun) {
      ++end;
    }
    const std::int32_t count = candidates[end - 1] - first + 1;
    run.resize(static_cast<std::size_t>(count) * kExamRecordLength);
    if (Status s = store.DataFile()->ReadRecords(first, count, run); !s.ok()) return s;
    for (; k < end; ++k) {
      const auto at = static_cast<std::size_t>(candidates[k] - first) * kExamRecordLength;
      std::copy_n(run.data() + at, kExamRecordLength, record.data());
      if (Status s = hits.Test(candidates[k], record); !s.ok()) return s;
    }
    progress.Advance(candidates[end - 1]);
  }
  return Status::Ok();
}

// The hits among `count` records (those of `numbers`, or every one from
// `first` when `numbers` is null) of the mapped file `records`, each with
// its hit number, appended at `out`; returns the end.
char* HitsOf(const SearchFilter& filter, const char* records, const std::int32_t* numbers,
             std::int32_t first, std::int32_t count, char* out) {
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int32_t n = numbers != nullptr ? numbers[k] : first + k;
    const char* record = records + static_cast<std::size_t>(n - 1) * kExamRecordLength;
    if (!filter.Matches(record)) continue;
    std::memcpy(out, record, kExamRecordLength);
    MarkHit(out, n);
    out += kExamRecordLength;
  }
  return out;
}

// The records (those of `candidates`, or every one) tested where they stand
// in the file's pages by two threads in turn (MakeInTurns), the hits
// appended to the working file a run at a time. False when the file cannot
// be mapped.
bool ScanMapped(Store& store, const SearchFilter& filter,
                const std::vector<std::int32_t>* candidates, std::int32_t& hits,
                platform::Progress& progress, Status& status) {
  const std::int32_t count = store.RecordCount();
  const std::unique_ptr<platform::MappedBytes> mapped =
      count > 0 ? store.DataFile()->MapRecords(count) : nullptr;
  if (!mapped) return false;
  const char* records = mapped->Bytes().data();
  const auto total =
      candidates != nullptr ? static_cast<std::int32_t>(candidates->size()) : count;
  constexpr std::int32_t kMine = 1536;
  constexpr std::int32_t kTheirs = 2560;
  std::vector<char> buffers[3];
  const char* ends[3] = {};
  for (int b = 0; b < 3; ++b) {
    buffers[b].resize(static_cast<std::size_t>(b == 0 ? kMine : kTheirs) * kExamRecordLength);
  }
  status = Status::Ok();
  platform::MakeInTurns(
      total, kMine, kTheirs,
      [&](int slot, int first, int n) {
        ends[slot] =
            HitsOf(filter, records, candidates != nullptr ? candidates->data() + first : nullptr,
                   first + 1, n, buffers[slot].data());
      },
      [&](int slot) {
        const auto bytes = static_cast<std::size_t>(ends[slot] - buffers[slot].data());
        if (bytes == 0) return true;
        hits += static_cast<std::int32_t>(bytes / kExamRecordLength);
        status = store.WorkFile()->AppendRecords(std::span<const char>(buffers[slot].data(), bytes));
        return status.ok();
      },
      [&](int done) {
        progress.Advance(candidates != nullptr && done > 0 ? (*candidates)[done - 1] : done);
      });
  return true;
}

}  // namespace

Status SearchRecords(Store& store, const SearchCriteria& criteria, platform::Progress& progress,
                     std::int32_t& hits) {
  hits = 0;
  const Store::DriveScope held = store.Reading();
  if (!held) return held.status();
  const SearchFilter filter(criteria);
  auto fail = [&](Status failure) {
    progress.Hide();
    hits = 0;
    (void)DiscardWorkFile(store);
    return failure;
  };
  if (Status s = store.OpenWorkFile(); !s.ok()) return fail(s);
  if (!store.DataFile()) return fail(Status::Error(platform::kBadFileNameOrNumber));
  if (Status s = store.WorkFile()->SetWriteBehind(true); !s.ok()) return fail(s);
  progress.BeginPhase("処理中・・・・", store.RecordCount());
  HitWriter writer(store, filter, hits);
  const ExamIndex& index = store.ExamsByPatient();
  const bool covered = index.Records() == store.RecordCount();
  std::vector<std::int32_t> candidates;
  if (covered) candidates = index.Candidates(filter.IndexQuery());
  // Past about a sixteenth of the file, testing the candidates where they
  // stand in the mapped file is quicker than reading them in runs.
  const bool few =
      covered && candidates.size() * 16 <= static_cast<std::size_t>(store.RecordCount());
  Status searched;
  if (few) {
    searched = ReadCandidates(store, candidates, writer, progress);
  } else if (!covered || !ScanMapped(store, filter, &candidates, hits, progress, searched)) {
    searched = ScanAll(store, writer, progress, !covered);
  }
  if (!searched.ok()) return fail(searched);
  if (Status s = store.WorkFile()->SetWriteBehind(false); !s.ok()) return fail(s);
  progress.Advance(store.RecordCount());
  progress.Hide();
  return Status::Ok();
}

}  // namespace store
