#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/records.h"
#include "store/record_file.h"

namespace store {

// The patient master "KANJYA.MASTA" as plain records: the RecordNo form every
// routine writes and the reading of the whole master, for the lookups, the
// rebuilds and the patient routines alike.

// The RecordNo of master record n: "0000000012".
std::string MasterRecordNo(std::int32_t n);

// Whether the master is in ascending numeric order of PatientId, so that the
// bisection finds every ID (a master with one ID twice is not).
[[nodiscard]] Status MasterInIdOrder(RecordFile* master, bool& ordered);

// Records read at a time when the whole master is scanned.
inline constexpr std::int32_t kMasterChunkRecords = 512;

// Calls `each(k, bytes)` for every record k of the master file `master` in
// order, reading it in large pieces; `done(k)` after each piece. A master
// that is not open (null) is "bad file name or number".
template <typename Each, typename Done>
Status ForEachMasterRecord(RecordFile* master, Each each, Done done) {
  if (master == nullptr) return Status::Error(platform::kBadFileNameOrNumber);
  const std::int32_t count = master->Count();
  std::vector<char> chunk(static_cast<std::size_t>(std::min(count, kMasterChunkRecords)) *
                          kPatientRecordLength);
  for (std::int32_t first = 1; first <= count; first += kMasterChunkRecords) {
    const std::int32_t n = std::min(kMasterChunkRecords, count - first + 1);
    if (Status s = master->ReadRecords(first, n, chunk); !s.ok()) return s;
    for (std::int32_t i = 0; i < n; ++i) {
      each(first + i,
           std::string_view(chunk.data() + static_cast<std::size_t>(i) * kPatientRecordLength,
                            kPatientRecordLength));
    }
    done(first + n - 1);
  }
  return Status::Ok();
}

}  // namespace store
