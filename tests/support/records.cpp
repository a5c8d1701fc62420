#include "tests/support/records.h"

#include <algorithm>

#include "store/entry_rules.h"
#include "store/text_format.h"

namespace testing_support {

using store::ExamField;
using store::PatientField;

ExamBuilder::ExamBuilder(int n) {
  const std::string number = std::to_string(n);
  const store::Date first{std::chrono::year{2006}, std::chrono::month{1}, std::chrono::day{1}};
  record_.Set(ExamField::RecordNo, store::FormatNumber(n, "000000"));
  record_.Set(ExamField::ExamDate, store::DateText(store::AddDays(first, n - 1)));
  record_.Set(ExamField::PatientId, store::FormatNumber(100 + n, "000000"));
  record_.Set(ExamField::Name, "患者" + number);
  record_.Set(ExamField::Sex, n % 2 != 0 ? "M" : "F");
  record_.Set(ExamField::Age, std::to_string(20 + n));
  record_.Set(ExamField::HeartRate, std::to_string(60 + n));
  record_.Set(ExamField::Department, "総務部");
  record_.Set(ExamField::Comment, "コメント" + number);
  record_.Set(store::LeadSiteField(n % 5), "V" + std::to_string(n % 6 + 1));
  record_.Set(store::FindingField(n % 5), "所見" + number);
  record_.Set(store::ArrhythmiaField(4), "心房細動" + number);
  record_.Set(ExamField::ImageName, "IMG" + number);
}

ExamBuilder& ExamBuilder::With(ExamField field, std::string_view value) {
  record_.Set(field, value);
  return *this;
}

ExamBuilder& ExamBuilder::WithoutFindings() {
  for (int i = 0; i < 5; ++i) {
    for (ExamField field :
         {store::LeadSiteField(i), store::FindingField(i), store::ArrhythmiaField(i)}) {
      record_.Set(field, "");
    }
  }
  return *this;
}

PatientBuilder::PatientBuilder(std::string_view id) {
  const std::string text(id);
  record_.Set(PatientField::PatientId, text);
  record_.Set(PatientField::Name, "患者" + text);
  record_.Set(PatientField::Reading, "ｶﾝｼﾞｬ");
  record_.Set(PatientField::Sex, "M");
  record_.Set(PatientField::BirthDate, "1970/05/05");
  record_.Set(PatientField::Department, "総務");
  record_.Set(PatientField::Remarks, "備考" + text);
}

PatientBuilder& PatientBuilder::With(PatientField field, std::string_view value) {
  record_.Set(field, value);
  return *this;
}

PatientBuilder Patient(int id) { return PatientBuilder(store::FormatNumber(id, "000000")); }

namespace {

template <typename Record>
std::string BytesOf(const std::vector<Record>& records) {
  std::string bytes;
  bytes.reserve(records.size() * Record::kLength);
  for (const Record& r : records) bytes += r.Bytes();
  return bytes;
}

template <typename Record>
std::vector<Record> RecordsOf(std::string_view bytes) {
  std::vector<Record> records;
  for (std::size_t at = 0; at + Record::kLength <= bytes.size(); at += Record::kLength) {
    Record r;
    std::copy_n(bytes.data() + at, Record::kLength, r.data());
    records.push_back(r);
  }
  return records;
}

}  // namespace

std::string FileBytes(const std::vector<store::ExamRecord>& records) { return BytesOf(records); }
std::string FileBytes(const std::vector<store::PatientRecord>& records) { return BytesOf(records); }

std::string ExamFileBytes(int count) {
  std::string bytes;
  for (int n = 1; n <= count; ++n) bytes += Exam(n).Bytes();
  return bytes;
}

std::vector<store::ExamRecord> ExamsOf(std::string_view bytes) {
  return RecordsOf<store::ExamRecord>(bytes);
}
std::vector<store::PatientRecord> PatientsOf(std::string_view bytes) {
  return RecordsOf<store::PatientRecord>(bytes);
}

}  // namespace testing_support
