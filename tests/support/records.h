#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/records.h"

namespace testing_support {

// Records as the tests write them. A builder starts from a record with every
// kind of field filled with text of its own and converts to the record:
//   std::vector<store::ExamRecord> v = {Exam(1), Exam(2).With(ExamField::PatientId, "000100")};

class ExamBuilder {
 public:
  // Examination n: RecordNo n as "000000"; ExamDate 2006/01/01 + (n - 1)
  // days; PatientId 100 + n as "000000"; Name "患者<n>"; Sex M for odd n, F
  // for even; Age 20 + n; HeartRate 60 + n; Department "総務部"; Comment
  // "コメント<n>"; LeadSite (n % 5 + 1) "V<n % 6 + 1>"; Finding (n % 5 + 1)
  // "所見<n>"; Arrhythmia5 "心房細動<n>"; ImageName "IMG<n>".
  explicit ExamBuilder(int n);
  ExamBuilder& With(store::ExamField field, std::string_view value);
  // Lead sites, findings and arrhythmias all blank.
  ExamBuilder& WithoutFindings();
  operator store::ExamRecord() const { return record_; }
  const store::ExamRecord& Record() const { return record_; }
  std::string Bytes() const { return std::string(record_.Bytes()); }

 private:
  store::ExamRecord record_;
};

class PatientBuilder {
 public:
  // A patient of the master: RecordNo blank; PatientId `id`; Name
  // "患者<id>"; Reading "ｶﾝｼﾞｬ"; Sex "M"; BirthDate "1970/05/05"; Department
  // "総務"; Remarks "備考<id>".
  explicit PatientBuilder(std::string_view id);
  PatientBuilder& With(store::PatientField field, std::string_view value);
  operator store::PatientRecord() const { return record_; }
  const store::PatientRecord& Record() const { return record_; }
  std::string Bytes() const { return std::string(record_.Bytes()); }

 private:
  store::PatientRecord record_;
};

inline ExamBuilder Exam(int n) { return ExamBuilder(n); }
inline PatientBuilder Patient(std::string_view id) { return PatientBuilder(id); }
// Patient with the ID `id` as "000000".
PatientBuilder Patient(int id);

// The bytes of a file holding `records` in order.
std::string FileBytes(const std::vector<store::ExamRecord>& records);
std::string FileBytes(const std::vector<store::PatientRecord>& records);
// Exam(1) ... Exam(count).
std::string ExamFileBytes(int count);

// The records of a file's bytes (a partial tail ignored).
std::vector<store::ExamRecord> ExamsOf(std::string_view bytes);
std::vector<store::PatientRecord> PatientsOf(std::string_view bytes);

}  // namespace testing_support
