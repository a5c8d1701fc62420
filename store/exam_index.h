#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/record_file.h"
#include "store/records.h"

namespace store {

// The examinations of the data file by patient: for each PatientId the
// record numbers holding it, each with its examination date, so that a
// patient's examinations come out in date order without reading the file.
//
// Built in one sequential read of the data file and then kept current by the
// commands that change the file: Put after a record is written (appended or
// overwritten), Remove after a record is deleted and the later ones moved
// down, Clear after every record went, Build again after a reorder.
//
// Each record's keys are kept by record number, so that a further key (the
// examination date for a selective search) is one more map beside
// byPatient_, filled from the same Keys.
class ExamIndex {
 public:
  // One examination of a patient.
  struct Entry {
    std::int32_t record = 0;
    std::string date;  // "yyyy/mm/dd" as stored

    friend bool operator==(const Entry&, const Entry&) = default;
  };

  // Reads every record of `file` (null: an empty index) in large pieces from
  // the start. A read failure leaves the index empty and is returned.
  [[nodiscard]] Status Build(RecordFile* file);
  void Clear();

  // Record n was written with `record` (n: an existing record or
  // Records() + 1).
  void Put(std::int32_t n, const ExamRecord& record);
  // Record n was taken out; the records after it are one lower now.
  void Remove(std::int32_t n);

  // The records the index covers (the data file's count when current).
  std::int32_t Records() const { return static_cast<std::int32_t>(keys_.size()); }

  // The examinations of `patientId` (trimmed, as stored) by date, records of
  // one date by number. An empty ID names no patient: nothing.
  std::vector<Entry> ExamsOf(std::string_view patientId) const;

 private:
  struct Keys {
    std::string patientId;
    std::string date;
  };
  void Link(std::int32_t n);
  void Unlink(std::int32_t n);

  std::vector<Keys> keys_;  // record n at n - 1
  std::unordered_map<std::string, std::vector<std::int32_t>> byPatient_;
};

}  // namespace store
