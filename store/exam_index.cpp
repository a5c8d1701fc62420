#include "store/exam_index.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "store/text_format.h"

namespace store {

namespace {

// Records read at once while building: 2 MiB or so.
constexpr std::int32_t kBuildChunk = 4096;

std::string FieldOf(const char* record, ExamField field) {
  const FieldDef& def = ExamRecord::Def(field);
  return ReadField(record + def.offset, def.width);
}

std::string_view RawOf(const char* record, ExamField field) {
  const FieldDef& def = ExamRecord::Def(field);
  return {record + def.offset, def.width};
}

constexpr std::uint32_t kOddDate = 0xFFFFFFFF;
constexpr std::size_t kDateWidth = 10;  // "yyyy/mm/dd"
static_assert(kExamFields[1].width == kDateWidth);

// "yyyy/mm/dd" as the number yyyymmdd; kOddDate for any other text.
std::uint32_t DateNumber(std::string_view text) {
  if (text.size() != kDateWidth || text[4] != '/' || text[7] != '/') return kOddDate;
  std::uint32_t value = 0;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[i] < '0' || text[i] > '9') return kOddDate;
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  return value;
}

std::string DateText(std::uint32_t value) {
  std::string text = "0000/00/00";
  for (std::size_t i : {9, 8, 6, 5, 3, 2, 1, 0}) {
    text[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return text;
}

// The dates numbers lo .. hi - 1 whose text begins with `prefix`. The texts
// sort as their numbers do, so those beginning alike lie together.
std::pair<std::uint32_t, std::uint32_t> DatesBeginningWith(std::string_view prefix) {
  if (prefix.size() > kDateWidth) return {0, 0};
  auto firstWhere = [](auto above) {
    std::uint32_t low = 0, high = 100000000;
    while (low < high) {
      const std::uint32_t mid = low + (high - low) / 2;
      if (above(mid)) {
        high = mid;
      } else {
        low = mid + 1;
      }
    }
    return low;
  };
  auto head = [&](std::uint32_t v) { return DateText(v).substr(0, prefix.size()); };
  return {firstWhere([&](std::uint32_t v) { return head(v) >= prefix; }),
          firstWhere([&](std::uint32_t v) { return head(v) > prefix; })};
}

// The first 8 bytes of `text` (fewer: the rest zero), and which of them count.
std::pair<std::uint64_t, std::uint64_t> Head(std::string_view text) {
  std::uint64_t head = 0, mask = 0;
  const std::size_t n = std::min<std::size_t>(8, text.size());
  std::memcpy(&head, text.data(), n);
  std::memset(&mask, 0xFF, n);
  return {head, mask};
}

}  // namespace

Status ExamIndex::Build(RecordFile* file) {
  Clear();
  if (!file) return Status::Ok();
  const std::int32_t count = file->Count();
  keys_.reserve(static_cast<std::size_t>(count));
  std::vector<char> chunk;
  for (std::int32_t first = 1; first <= count; first += kBuildChunk) {
    const std::int32_t n = std::min(kBuildChunk, count - first + 1);
    chunk.resize(static_cast<std::size_t>(n) * kExamRecordLength);
    if (Status s = file->ReadRecords(first, n, chunk); !s.ok()) {
      Clear();
      return s;
    }
    for (std::int32_t i = 0; i < n; ++i) {
      const char* record = chunk.data() + static_cast<std::size_t>(i) * kExamRecordLength;
      keys_.push_back(
          {FieldOf(record, ExamField::PatientId), FieldOf(record, ExamField::ExamDate)});
      SetColumns(keys_.size() - 1, record);
      Link(Records());
    }
  }
  return Status::Ok();
}

void ExamIndex::Clear() {
  keys_.clear();
  byPatient_.clear();
  dates_.clear();
  ids_.clear();
  ages_.clear();
  names_.clear();
  sexes_.clear();
  departments_.clear();
  arrhythmias_.clear();
  sexCodes_.Clear();
  departmentCodes_.Clear();
  arrhythmiaCodes_.Clear();
}

void ExamIndex::SetColumns(std::size_t at, const char* record) {
  if (at == dates_.size()) {
    dates_.emplace_back();
    ids_.emplace_back();
    ages_.emplace_back();
    names_.emplace_back();
    sexes_.emplace_back();
    departments_.emplace_back();
    arrhythmias_.emplace_back();
  }
  dates_[at] = DateNumber(RawOf(record, ExamField::ExamDate));
  ids_[at] = NumericValue(RawOf(record, ExamField::PatientId));
  ages_[at] = NumericValue(RawOf(record, ExamField::Age));
  names_[at] = Head(RawOf(record, ExamField::Name)).first;
  sexes_[at] = sexCodes_.Of(TrimBlanks(RawOf(record, ExamField::Sex)));
  departments_[at] = departmentCodes_.Of(TrimBlanks(RawOf(record, ExamField::Department)));
  for (int i = 0; i < 5; ++i) {
    arrhythmias_[at][static_cast<std::size_t>(i)] =
        arrhythmiaCodes_.Of(RawOf(record, ArrhythmiaField(i)));
  }
}

std::uint16_t ExamIndex::Codes::Of(std::string_view value) {
  auto it = codes_.find(std::string(value));
  if (it != codes_.end()) return it->second;
  if (values_.size() >= kMany) return kMany;
  const auto code = static_cast<std::uint16_t>(values_.size());
  values_.emplace_back(value);
  codes_.emplace(values_.back(), code);
  return code;
}

std::vector<char> ExamIndex::Codes::Passing(
    const std::function<bool(std::string_view)>& test) const {
  std::vector<char> passing(std::size_t{kMany} + 1, 1);
  for (std::size_t code = 0; code < values_.size(); ++code) passing[code] = test(values_[code]);
  return passing;
}

void ExamIndex::Codes::Clear() {
  codes_.clear();
  values_.clear();
}

void ExamIndex::Link(std::int32_t n) {
  const std::string& id = keys_[static_cast<std::size_t>(n - 1)].patientId;
  if (!id.empty()) byPatient_[id].push_back(n);
}

void ExamIndex::Unlink(std::int32_t n) {
  const std::string& id = keys_[static_cast<std::size_t>(n - 1)].patientId;
  auto it = byPatient_.find(id);
  if (it == byPatient_.end()) return;
  std::erase(it->second, n);
  if (it->second.empty()) byPatient_.erase(it);
}

void ExamIndex::Put(std::int32_t n, const ExamRecord& record) {
  if (n < 1 || n > Records() + 1) return;
  Keys keys{record.Get(ExamField::PatientId), record.Get(ExamField::ExamDate)};
  if (n == Records() + 1) {
    keys_.push_back(std::move(keys));
  } else {
    Unlink(n);
    keys_[static_cast<std::size_t>(n - 1)] = std::move(keys);
  }
  SetColumns(static_cast<std::size_t>(n - 1), record.data());
  Link(n);
}

void ExamIndex::Remove(std::int32_t n) {
  if (n < 1 || n > Records()) return;
  Unlink(n);
  keys_.erase(keys_.begin() + (n - 1));
  auto eraseAt = [n](auto& column) { column.erase(column.begin() + (n - 1)); };
  eraseAt(dates_);
  eraseAt(ids_);
  eraseAt(ages_);
  eraseAt(names_);
  eraseAt(sexes_);
  eraseAt(departments_);
  eraseAt(arrhythmias_);
  for (auto& [id, records] : byPatient_) {
    for (std::int32_t& r : records) {
      if (r > n) --r;
    }
  }
}

std::vector<ExamIndex::Entry> ExamIndex::ExamsOf(std::string_view patientId) const {
  std::vector<Entry> exams;
  auto it = byPatient_.find(std::string(patientId));
  if (patientId.empty() || it == byPatient_.end()) return exams;
  for (std::int32_t r : it->second)
    exams.push_back({r, keys_[static_cast<std::size_t>(r - 1)].date});
  std::sort(exams.begin(), exams.end(), [](const Entry& a, const Entry& b) {
    return a.date != b.date ? a.date < b.date : a.record < b.record;
  });
  return exams;
}

std::vector<std::int32_t> ExamIndex::Candidates(const Query& q) const {
  // Well-formed dates pass within [dateLow, dateHigh); odd ones always.
  const bool dateTest = !q.datePrefixes.empty() || q.date.has_value();
  std::uint32_t dateLow = 0, dateHigh = kOddDate;
  for (const std::string& prefix : q.datePrefixes) {
    const auto [low, high] = DatesBeginningWith(prefix);
    dateLow = std::max(dateLow, low);
    dateHigh = std::min(dateHigh, high);
  }
  if (q.date) {
    const std::uint32_t day = DateNumber(*q.date);
    dateLow = std::max(dateLow, day == kOddDate ? dateHigh : day);
    dateHigh = std::min(dateHigh, day == kOddDate ? dateLow : day + 1);
  }
  const bool nameTest = !q.namePrefix.empty();
  const auto [name, nameMask] = Head(q.namePrefix);
  auto equalTo = [](const std::optional<std::string>& wanted) {
    return [&wanted](std::string_view v) { return v == *wanted; };
  };
  const std::vector<char> sexPasses =
      q.sex ? sexCodes_.Passing(equalTo(q.sex)) : std::vector<char>();
  const std::vector<char> departmentPasses =
      q.department ? departmentCodes_.Passing(equalTo(q.department)) : std::vector<char>();
  const std::vector<char> arrhythmiaPasses =
      q.arrhythmia ? arrhythmiaCodes_.Passing(q.arrhythmia) : std::vector<char>();

  std::vector<std::int32_t> candidates;
  for (std::size_t i = 0; i < dates_.size(); ++i) {
    if (dateTest && dates_[i] != kOddDate && (dates_[i] < dateLow || dates_[i] >= dateHigh)) {
      continue;
    }
    if (q.patientId && ids_[i] != *q.patientId) continue;
    if (nameTest && (names_[i] & nameMask) != name) continue;
    if (q.sex && !sexPasses[sexes_[i]]) continue;
    if (q.ageFrom && *q.ageFrom > ages_[i]) continue;
    if (q.ageTo && *q.ageTo < ages_[i]) continue;
    if (q.department && !departmentPasses[departments_[i]]) continue;
    if (q.arrhythmia && std::none_of(arrhythmias_[i].begin(), arrhythmias_[i].end(),
                                     [&](std::uint16_t c) { return arrhythmiaPasses[c] != 0; })) {
      continue;
    }
    candidates.push_back(static_cast<std::int32_t>(i + 1));
  }
  return candidates;
}

}  // namespace store
