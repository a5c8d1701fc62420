#include "store/exam_index.h"

#include <algorithm>
#include <span>

namespace store {

namespace {

// Records read at once while building: 2 MiB or so.
constexpr std::int32_t kBuildChunk = 4096;

std::string FieldOf(const char* record, ExamField field) {
  const FieldDef& def = ExamRecord::Def(field);
  return ReadField(record + def.offset, def.width);
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
      Link(Records());
    }
  }
  return Status::Ok();
}

void ExamIndex::Clear() {
  keys_.clear();
  byPatient_.clear();
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
  Link(n);
}

void ExamIndex::Remove(std::int32_t n) {
  if (n < 1 || n > Records()) return;
  Unlink(n);
  keys_.erase(keys_.begin() + (n - 1));
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

}  // namespace store
