#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace store {

struct FieldDef {
  std::string_view name;
  std::size_t offset;
  std::size_t width;
};

template <std::size_t N>
constexpr bool FieldsTile(const std::array<FieldDef, N>& fields, std::size_t length) {
  std::size_t offset = 0;
  for (const FieldDef& f : fields) {
    if (f.offset != offset) return false;
    offset += f.width;
  }
  return offset == length;
}

// The examination record of "VLN2.ekg" and "TEMP.DATA".
enum class ExamField : int {
  RecordNo,
  ExamDate,
  PatientId,
  Name,
  Sex,
  Age,
  HeartRate,
  Department,
  Comment,
  LeadSite1,
  LeadSite2,
  LeadSite3,
  LeadSite4,
  LeadSite5,
  Finding1,
  Finding2,
  Finding3,
  Finding4,
  Finding5,
  Arrhythmia1,
  Arrhythmia2,
  Arrhythmia3,
  Arrhythmia4,
  Arrhythmia5,
  ImageName,
};

inline constexpr std::size_t kExamRecordLength = 579;
inline constexpr std::array<FieldDef, 25> kExamFields = {{
    {"RecordNo", 0, 6},       {"ExamDate", 6, 10},      {"PatientId", 16, 6},
    {"Name", 22, 20},         {"Sex", 42, 1},           {"Age", 43, 3},
    {"HeartRate", 46, 3},     {"Department", 49, 20},   {"Comment", 69, 200},
    {"LeadSite1", 269, 20},   {"LeadSite2", 289, 20},   {"LeadSite3", 309, 20},
    {"LeadSite4", 329, 20},   {"LeadSite5", 349, 20},   {"Finding1", 369, 20},
    {"Finding2", 389, 20},    {"Finding3", 409, 20},    {"Finding4", 429, 20},
    {"Finding5", 449, 20},    {"Arrhythmia1", 469, 20}, {"Arrhythmia2", 489, 20},
    {"Arrhythmia3", 509, 20}, {"Arrhythmia4", 529, 20}, {"Arrhythmia5", 549, 20},
    {"ImageName", 569, 10},
}};
static_assert(FieldsTile(kExamFields, kExamRecordLength),
              "6 + 10 + 6 + 20 + 1 + 3 + 3 + 20 + 200 + 15 x 20 + 10 = 579");

constexpr ExamField LeadSiteField(int i) { return static_cast<ExamField>(9 + i); }
constexpr ExamField FindingField(int i) { return static_cast<ExamField>(14 + i); }
constexpr ExamField ArrhythmiaField(int i) { return static_cast<ExamField>(19 + i); }

// An examination's RecordNo as registration and search write it: the number
// in the form with the blank for the sign (" 12"), or six digits when that
// form would not fit the field (" 100000" would lose a digit).
std::string ExamRecordNo(std::int32_t n);

// The patient record of "KANJYA.MASTA" and "KARIKAN.DATA".
enum class PatientField : int {
  RecordNo,
  PatientId,
  Name,
  Reading,
  Sex,
  BirthDate,
  Department,
  Remarks,
};

inline constexpr std::size_t kPatientRecordLength = 127;
inline constexpr std::array<FieldDef, 8> kPatientFields = {{
    {"RecordNo", 0, 10},
    {"PatientId", 10, 6},
    {"Name", 16, 20},
    {"Reading", 36, 20},
    {"Sex", 56, 1},
    {"BirthDate", 57, 10},
    {"Department", 67, 10},
    {"Remarks", 77, 50},
}};
static_assert(FieldsTile(kPatientFields, kPatientRecordLength),
              "10 + 6 + 20 + 20 + 1 + 10 + 10 + 50 = 127");

// One entry of a lookup list.
enum class ListEntryField : int { EntryText };

inline constexpr std::size_t kListEntryRecordLength = 20;
inline constexpr std::array<FieldDef, 1> kListEntryFields = {{{"EntryText", 0, 20}}};
static_assert(FieldsTile(kListEntryFields, kListEntryRecordLength));

// Stores `utf8` left-justified in a field of `width` bytes: encoded in cp932,
// padded with blanks, or cut without splitting a double-byte character (the
// byte such a character would have taken becomes a blank).
void StoreField(char* field, std::size_t width, std::string_view utf8);

// The value of a field: trimmed of half-width blanks, decoded to UTF-8.
std::string ReadField(const char* field, std::size_t width);

// A fixed-width record: the bytes as they stand in the file, with its fields
// read trimmed and written padded or cut to their widths.
template <typename Field, std::size_t Length, std::size_t FieldCount,
          const std::array<FieldDef, FieldCount>& Fields>
class FixedRecord {
 public:
  static constexpr std::size_t kLength = Length;
  using FieldType = Field;

  FixedRecord() { Clear(); }

  void Clear() { bytes_.fill(' '); }

  std::string Get(Field f) const {
    const FieldDef& def = Def(f);
    return ReadField(bytes_.data() + def.offset, def.width);
  }
  void Set(Field f, std::string_view utf8) {
    const FieldDef& def = Def(f);
    StoreField(bytes_.data() + def.offset, def.width, utf8);
  }
  // The field's bytes as stored, blanks included.
  std::string_view Raw(Field f) const {
    const FieldDef& def = Def(f);
    return std::string_view(bytes_.data() + def.offset, def.width);
  }
  void CopyField(Field f, const FixedRecord& from) {
    const FieldDef& def = Def(f);
    std::copy_n(from.bytes_.data() + def.offset, def.width, bytes_.data() + def.offset);
  }

  char* data() { return bytes_.data(); }
  const char* data() const { return bytes_.data(); }
  std::string_view Bytes() const { return std::string_view(bytes_.data(), Length); }

  static constexpr const FieldDef& Def(Field f) { return Fields[static_cast<std::size_t>(f)]; }
  static constexpr std::size_t FieldCountValue = FieldCount;

  friend bool operator==(const FixedRecord& a, const FixedRecord& b) {
    return a.bytes_ == b.bytes_;
  }

 private:
  std::array<char, Length> bytes_{};
};

using ExamRecord = FixedRecord<ExamField, kExamRecordLength, 25, kExamFields>;
using PatientRecord = FixedRecord<PatientField, kPatientRecordLength, 8, kPatientFields>;
using ListEntryRecord = FixedRecord<ListEntryField, kListEntryRecordLength, 1, kListEntryFields>;

}  // namespace store
