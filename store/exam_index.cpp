#include "store/exam_index.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>

#include "platform/cp932.h"
#include "store/text_format.h"

namespace store {

namespace {

// Records read at once while building: 2 MiB or so.
constexpr std::int32_t kBuildChunk = 4096;

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

// The text of date number `value`, "yyyy/mm/dd".
std::array<char, kDateWidth> DateText(std::uint32_t value) {
  std::array<char, kDateWidth> text = {'0', '0', '0', '0', '/', '0', '0', '/', '0', '0'};
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
  auto head = [&](std::uint32_t v) {
    const std::array<char, kDateWidth> text = DateText(v);
    return std::string_view(text.data(), prefix.size()).compare(prefix);
  };
  return {firstWhere([&](std::uint32_t v) { return head(v) >= 0; }),
          firstWhere([&](std::uint32_t v) { return head(v) > 0; })};
}

// NumericValue, the digits-and-blanks fields of most records read directly.
double NumberOf(std::string_view field) {
  double value = 0;
  for (char c : field) {
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
    } else if (c != ' ') {
      return NumericValue(field);
    }
  }
  return value;
}

// The first 8 bytes of `text` (fewer: the rest zero), and which of them count.
std::pair<std::uint64_t, std::uint64_t> Head(std::string_view text) {
  std::uint64_t head = 0, mask = 0;
  const std::size_t n = std::min<std::size_t>(8, text.size());
  std::memcpy(&head, text.data(), n);
  std::memset(&mask, 0xFF, n);
  return {head, mask};
}

constexpr std::size_t kIdWidth = 6;
static_assert(kExamFields[2].width == kIdWidth);

// The trimmed PatientId bytes as one number: the bytes, then their count in
// the top byte, so that each text has its own number.
std::uint64_t PackedId(std::string_view trimmed) {
  std::uint64_t key = 0;
  std::memcpy(&key, trimmed.data(), trimmed.size());
  return key | static_cast<std::uint64_t>(trimmed.size()) << 56;
}

std::string_view UnpackedId(const std::uint64_t& key, std::array<char, 8>& bytes) {
  std::memcpy(bytes.data(), &key, 8);
  return {bytes.data(), static_cast<std::size_t>(key >> 56)};
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

Status ExamIndex::Build(RecordFile* file) {
  Clear();
  if (!file) return Status::Ok();
  const std::int32_t count = file->Count();
  Resize(static_cast<std::size_t>(count));
  if (std::unique_ptr<platform::MappedBytes> map = file->MapRecords(count)) {
    const char* records = map->Bytes().data();
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
      SetColumns(i, records + i * kExamRecordLength);
    }
    return Status::Ok();
  }
  std::vector<char> chunk;
  for (std::int32_t first = 1; first <= count; first += kBuildChunk) {
    const std::int32_t n = std::min(kBuildChunk, count - first + 1);
    chunk.resize(static_cast<std::size_t>(n) * kExamRecordLength);
    if (Status s = file->ReadRecords(first, n, chunk); !s.ok()) {
      Clear();
      return s;
    }
    for (std::int32_t i = 0; i < n; ++i) {
      SetColumns(static_cast<std::size_t>(first - 1 + i),
                 chunk.data() + static_cast<std::size_t>(i) * kExamRecordLength);
    }
  }
  return Status::Ok();
}

void ExamIndex::Resize(std::size_t count) {
  patients_.resize(count);
  dateTexts_.resize(count);
  dates_.resize(count);
  ids_.resize(count);
  ages_.resize(count);
  names_.resize(count);
  sexes_.resize(count);
  departments_.resize(count);
  arrhythmias_.resize(count);
}

void ExamIndex::Clear() {
  patients_.clear();
  dateTexts_.clear();
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
  byDate_.Clear();
  byId_.Clear();
  byPatient_.Clear();
}

template <typename Key>
void ExamIndex::Postings<Key>::Insert(Key key, std::int32_t n) {
  if (!made_) return;
  const Entry entry{key, n};
  entries_.insert(std::lower_bound(entries_.begin(), entries_.end(), entry), entry);
}

template <typename Key>
void ExamIndex::Postings<Key>::Erase(Key key, std::int32_t n) {
  if (!made_) return;
  const Entry entry{key, n};
  auto it = std::lower_bound(entries_.begin(), entries_.end(), entry);
  if (it != entries_.end() && *it == entry) entries_.erase(it);
}

template <typename Key>
void ExamIndex::Postings<Key>::Renumber(std::int32_t removed) {
  if (!made_) return;
  std::erase_if(entries_, [removed](const Entry& e) { return e.second == removed; });
  for (Entry& e : entries_) {
    if (e.second > removed) --e.second;
  }
}

namespace {

// Sorts (key, record) entries made in record order by key, records of one key
// in order: a stable pass per 16 bits of the key, least significant first,
// skipping the bits that every key shares.
template <typename Key>
void RadixSort(std::vector<std::pair<Key, std::int32_t>>& entries) {
  std::vector<std::pair<Key, std::int32_t>> other(entries.size());
  std::vector<std::size_t> count(65536);
  for (unsigned shift = 0; shift < 8 * sizeof(Key); shift += 16) {
    std::fill(count.begin(), count.end(), 0);
    for (const auto& e : entries) ++count[static_cast<std::size_t>(e.first >> shift) & 0xFFFF];
    if (!entries.empty() &&
        count[static_cast<std::size_t>(entries.front().first >> shift) & 0xFFFF] ==
            entries.size()) {
      continue;
    }
    std::size_t sum = 0;
    for (std::size_t& c : count) sum += std::exchange(c, sum);
    for (const auto& e : entries)
      other[count[static_cast<std::size_t>(e.first >> shift) & 0xFFFF]++] = e;
    entries.swap(other);
  }
}

}  // namespace

template <typename Key>
void ExamIndex::Postings<Key>::Fill(const std::vector<Key>& column) {
  entries_.clear();
  entries_.reserve(column.size());
  for (std::size_t i = 0; i < column.size(); ++i) {
    entries_.emplace_back(column[i], static_cast<std::int32_t>(i + 1));
  }
  if constexpr (std::is_unsigned_v<Key>) {
    RadixSort(entries_);
  } else {
    std::sort(entries_.begin(), entries_.end());
  }
  made_ = true;
}

namespace {

constexpr auto kKeyBelow = [](const auto& entry, const auto& key) { return entry.first < key; };
constexpr auto kKeyAbove = [](const auto& key, const auto& entry) { return key < entry.first; };

}  // namespace

template <typename Key>
auto ExamIndex::Postings<Key>::Range(Key low, Key high) const -> Span {
  if (!(low < high)) return {};
  auto first = std::lower_bound(entries_.begin(), entries_.end(), low, kKeyBelow);
  auto last = std::lower_bound(first, entries_.end(), high, kKeyBelow);
  return {first, last};
}

template <typename Key>
auto ExamIndex::Postings<Key>::Equal(Key key) const -> Span {
  auto first = std::lower_bound(entries_.begin(), entries_.end(), key, kKeyBelow);
  return {first, std::upper_bound(first, entries_.end(), key, kKeyAbove)};
}

template <typename Key>
auto ExamIndex::Postings<Key>::From(Key low) const -> Span {
  return {std::lower_bound(entries_.begin(), entries_.end(), low, kKeyBelow), entries_.end()};
}

void ExamIndex::SetColumns(std::size_t at, const char* record) {
  if (at == dates_.size()) Resize(at + 1);
  patients_[at] = PackedId(TrimBlanks(RawOf(record, ExamField::PatientId)));
  std::memcpy(dateTexts_[at].data(), record + ExamRecord::Def(ExamField::ExamDate).offset,
              kDateWidth);
  dates_[at] = DateNumber(RawOf(record, ExamField::ExamDate));
  ids_[at] = NumberOf(RawOf(record, ExamField::PatientId));
  ages_[at] = NumberOf(RawOf(record, ExamField::Age));
  names_[at] = Head(RawOf(record, ExamField::Name)).first;
  sexes_[at] = sexCodes_.Of(TrimBlanks(RawOf(record, ExamField::Sex)));
  departments_[at] = departmentCodes_.Of(TrimBlanks(RawOf(record, ExamField::Department)));
  for (int i = 0; i < 5; ++i) {
    arrhythmias_[at][static_cast<std::size_t>(i)] =
        arrhythmiaCodes_.Of(RawOf(record, ArrhythmiaField(i)));
  }
}

ExamIndex::Codes::Key ExamIndex::Codes::KeyOf(std::string_view value) {
  // Copies of fixed sizes, overlapping where the length falls between them.
  char bytes[24] = {};
  const char* from = value.data();
  const std::size_t n = value.size();
  if (n >= 16) {
    std::memcpy(bytes, from, 16);
    std::memcpy(bytes + n - 8, from + n - 8, 8);
  } else if (n >= 8) {
    std::memcpy(bytes, from, 8);
    std::memcpy(bytes + n - 8, from + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(bytes, from, 4);
    std::memcpy(bytes + n - 4, from + n - 4, 4);
  } else {
    for (std::size_t i = 0; i < n; ++i) bytes[i] = from[i];
  }
  Key key;
  std::memcpy(key.words.data(), bytes, sizeof bytes);
  key.words[2] |= static_cast<std::uint64_t>(n) << 56;
  return key;
}

ExamIndex::Codes::Slot& ExamIndex::Codes::Find(const Key& key) {
  const std::uint64_t mixed = (key.words[0] * 0x9E3779B97F4A7C15ull) ^
                              (key.words[1] * 0xC2B2AE3D27D4EB4Full) ^
                              (key.words[2] * 0x165667B19E3779F9ull);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = (mixed ^ mixed >> 29) & mask;; i = (i + 1) & mask) {
    if (slots_[i].code == kMany || slots_[i].key == key) return slots_[i];
  }
}

void ExamIndex::Codes::Grow() {
  std::vector<Slot> old =
      std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(64, 2 * slots_.size())));
  for (const Slot& slot : old) {
    if (slot.code != kMany) Find(slot.key) = slot;
  }
}

std::uint16_t ExamIndex::Codes::Of(std::string_view value) {
  if (value.size() > kKeyBytes) {
    for (std::size_t code = 0; code < values_.size(); ++code) {
      if (values_[code] == value) return static_cast<std::uint16_t>(code);
    }
  } else {
    const Key key = KeyOf(value);
    // Neighbouring records and slots often hold the same value.
    if (last_ != kMany && key == lastKey_) return last_;
    if (2 * (values_.size() + 1) > slots_.size()) Grow();
    const Slot& slot = Find(key);
    if (slot.code != kMany) {
      lastKey_ = key;
      return last_ = slot.code;
    }
  }
  if (values_.size() >= kMany) return kMany;
  const auto code = static_cast<std::uint16_t>(values_.size());
  values_.emplace_back(value);
  if (value.size() <= kKeyBytes) {
    const Key key = KeyOf(value);
    Find(key) = {key, code};
    lastKey_ = key;
    last_ = code;
  }
  return code;
}

std::vector<char> ExamIndex::Codes::Passing(
    const std::function<bool(std::string_view)>& test) const {
  if (!test) return {};
  std::vector<char> passing(std::size_t{kMany} + 1, 1);
  for (std::size_t code = 0; code < values_.size(); ++code) passing[code] = test(values_[code]);
  return passing;
}

void ExamIndex::Codes::Clear() {
  slots_.clear();
  values_.clear();
  last_ = kMany;
}

void ExamIndex::Put(std::int32_t n, const ExamRecord& record) {
  if (n < 1 || n > Records() + 1) return;
  const auto at = static_cast<std::size_t>(n - 1);
  if (n <= Records()) {
    byDate_.Erase(dates_[at], n);
    byId_.Erase(ids_[at], n);
    byPatient_.Erase(patients_[at], n);
  }
  SetColumns(at, record.data());
  byDate_.Insert(dates_[at], n);
  byId_.Insert(ids_[at], n);
  byPatient_.Insert(patients_[at], n);
}

void ExamIndex::Remove(std::int32_t n) {
  if (n < 1 || n > Records()) return;
  auto eraseAt = [n](auto& column) { column.erase(column.begin() + (n - 1)); };
  eraseAt(patients_);
  eraseAt(dateTexts_);
  eraseAt(dates_);
  eraseAt(ids_);
  eraseAt(ages_);
  eraseAt(names_);
  eraseAt(sexes_);
  eraseAt(departments_);
  eraseAt(arrhythmias_);
  byDate_.Renumber(n);
  byId_.Renumber(n);
  byPatient_.Renumber(n);
}

std::vector<ExamIndex::Entry> ExamIndex::ExamsOf(std::string_view patientId) const {
  std::vector<Entry> exams;
  if (patientId.empty()) return exams;
  auto add = [&](std::int32_t r) {
    const std::array<char, kDateWidth>& date = dateTexts_[static_cast<std::size_t>(r - 1)];
    exams.push_back({r, ReadField(date.data(), date.size())});
  };
  if (IsAscii(patientId)) {
    // Stored bytes that are not ASCII never read as ASCII text.
    if (patientId.size() > kIdWidth) return exams;
    if (!byPatient_.Made()) byPatient_.Fill(patients_);
    for (const auto& entry : byPatient_.Equal(PackedId(patientId))) add(entry.second);
  } else {
    std::array<char, 8> bytes;
    for (std::size_t i = 0; i < patients_.size(); ++i) {
      const std::string_view stored = UnpackedId(patients_[i], bytes);
      if (!IsAscii(stored) && platform::FromCp932(stored) == patientId) {
        add(static_cast<std::int32_t>(i + 1));
      }
    }
  }
  std::sort(exams.begin(), exams.end(), [](const Entry& a, const Entry& b) {
    return a.date != b.date ? a.date < b.date : a.record < b.record;
  });
  return exams;
}

namespace {

// The well-formed dates, as numbers low .. high - 1, that pass the date tests
// of `q`.
std::pair<std::uint32_t, std::uint32_t> DatesPassing(const ExamIndex::Query& q) {
  std::uint32_t low = 0, high = kOddDate;
  for (const std::string& prefix : q.datePrefixes) {
    const auto [first, end] = DatesBeginningWith(prefix);
    low = std::max(low, first);
    high = std::min(high, end);
  }
  if (q.date) {
    const std::uint32_t day = DateNumber(*q.date);
    if (day == kOddDate) return {0, 0};
    low = std::max(low, day);
    high = std::min(high, day + 1);
  }
  return {low, high};
}

}  // namespace

std::vector<std::int32_t> ExamIndex::Candidates(const Query& q) const {
  // Well-formed dates pass within [dateLow, dateHigh); odd ones always.
  const bool dateTest = !q.datePrefixes.empty() || q.date.has_value();
  const auto [dateLow, dateHigh] = DatesPassing(q);
  const auto [name, nameMask] = Head(q.namePrefix);
  auto equalTo = [](const std::optional<std::string>& wanted) {
    return wanted ? [&wanted](std::string_view v) { return v == *wanted; }
                  : std::function<bool(std::string_view)>();
  };
  const std::vector<char> sexPasses = sexCodes_.Passing(equalTo(q.sex));
  const std::vector<char> departmentPasses = departmentCodes_.Passing(equalTo(q.department));
  const std::vector<char> arrhythmiaPasses = arrhythmiaCodes_.Passing(q.arrhythmia);

  auto passes = [&](std::size_t i) {
    if (dateTest && dates_[i] != kOddDate && (dates_[i] < dateLow || dates_[i] >= dateHigh)) {
      return false;
    }
    if (q.patientId && ids_[i] != *q.patientId) return false;
    if ((names_[i] & nameMask) != name) return false;  // no prefix: no byte counts
    if (q.sex && !sexPasses[sexes_[i]]) return false;
    if (q.ageFrom && *q.ageFrom > ages_[i]) return false;
    if (q.ageTo && *q.ageTo < ages_[i]) return false;
    if (q.department && !departmentPasses[departments_[i]]) return false;
    return !q.arrhythmia || std::any_of(arrhythmias_[i].begin(), arrhythmias_[i].end(),
                                        [&](std::uint16_t c) { return arrhythmiaPasses[c] != 0; });
  };

  // A date or an ID asked: only the records of the fewer postings are tested.
  std::vector<std::span<const std::pair<std::uint32_t, std::int32_t>>> byDate;
  std::span<const std::pair<double, std::int32_t>> byId;
  std::size_t postings = dates_.size() + 1;
  if (dateTest) {
    if (!byDate_.Made()) byDate_.Fill(dates_);
    byDate = {byDate_.Range(dateLow, dateHigh), byDate_.From(kOddDate)};
    postings = byDate[0].size() + byDate[1].size();
  }
  if (q.patientId) {
    if (!byId_.Made()) byId_.Fill(ids_);
    byId = byId_.Equal(*q.patientId);
    if (byId.size() < postings) {
      byDate.clear();
      postings = byId.size();
    } else {
      byId = {};
    }
  }
  std::vector<std::int32_t> candidates;
  auto test = [&](std::int32_t n) {
    if (passes(static_cast<std::size_t>(n - 1))) candidates.push_back(n);
  };
  if (postings > dates_.size()) {
    for (std::int32_t n = 1; n <= Records(); ++n) test(n);
    return candidates;
  }
  for (const auto& entries : byDate) {
    for (const auto& entry : entries) test(entry.second);
  }
  for (const auto& entry : byId) test(entry.second);
  std::sort(candidates.begin(), candidates.end());
  return candidates;
}

}  // namespace store
