#include "store/rebuilds.h"

#include "store/atomic_replace.h"
#include "store/image_files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/large_buffer.h"
#include "store/digits.h"
#include "store/master_file.h"
#include "store/text_format.h"

namespace store {
namespace {

using platform::Status;

// Shows one phase and hides the progress on every path.
class Phase {
 public:
  Phase(platform::Progress* progress, std::string_view caption, int maximum) : progress_(progress) {
    if (progress_ != nullptr) progress_->BeginPhase(caption, maximum);
  }
  ~Phase() {
    if (progress_ != nullptr) progress_->Hide();
  }
  Phase(const Phase&) = delete;
  Phase& operator=(const Phase&) = delete;
  void Advance(int value) {
    if (progress_ != nullptr) progress_->Advance(value);
  }

 private:
  platform::Progress* progress_;
};

bool IsExams(Staging staging) { return staging == Staging::WorkFile; }

RecordFile* LiveFile(Store& store, Staging staging) {
  return IsExams(staging) ? store.DataFile() : store.MasterFile();
}

RecordFile* StagingFile(Store& store, Staging staging) {
  return IsExams(staging) ? store.WorkFile() : store.ScratchFile();
}

std::int32_t LiveCount(const Store& store, Staging staging) {
  return IsExams(staging) ? store.RecordCount() : store.PatientCount();
}

Status BadRecordNumber() { return Status::Error(platform::kBadRecordNumber); }

double IdValue(const PatientRecord& r) {
  return NumericValue(TrimBlanks(r.Raw(PatientField::PatientId)));
}

}  // namespace

RebuildResult DeleteAndRenumber(Store& store, Staging staging, std::int32_t n,
                                platform::Progress* progress) {
  const std::int32_t count = LiveCount(store, staging);
  if (n < 1 || n > count) return RebuildResult::Unchanged(BadRecordNumber());
  Phase phase(progress, kProcessingCaption, count);
  return store.Rebuild(staging, [&]() -> Status {
    std::int32_t j = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
      phase.Advance(i);
      if (i == n) continue;
      ++j;
      if (IsExams(staging)) {
        ExamRecord exam;
        if (Status s = store.ReadExamination(i, exam); !s.ok()) return s;
        exam.Set(ExamField::RecordNo, FormatNumber(j, "000000"));
        if (Status s = store.WorkFile()->Write(j, exam); !s.ok()) return s;
      } else {
        PatientRecord patient;
        if (Status s = store.MasterFile()->Read(i, patient); !s.ok()) return s;
        patient.Set(PatientField::RecordNo, MasterRecordNo(j));
        if (Status s = store.ScratchFile()->Write(j, patient); !s.ok()) return s;
      }
    }
    return Status::Ok();
  });
}

RebuildResult ReorderByPositions(Store& store, Staging staging,
                                 std::span<const std::int32_t> positions,
                                 platform::Progress* progress) {
  const std::int32_t count = LiveCount(store, staging);
  if (static_cast<std::int64_t>(positions.size()) != count) {
    return RebuildResult::Unchanged(BadRecordNumber());
  }
  std::vector<std::uint8_t> seen(static_cast<std::size_t>(count) + 1, 0);
  for (std::int32_t p : positions) {
    if (p < 1 || p > count || seen[static_cast<std::size_t>(p)] != 0) {
      return RebuildResult::Unchanged(BadRecordNumber());
    }
    seen[static_cast<std::size_t>(p)] = 1;
  }

  Phase phase(progress, kWritingCaption, count);
  return store.Rebuild(staging, [&]() -> Status {
    // The live file in place (or in one read), then the records in the new order, handed
    // over in pieces of about a megabyte.
    RecordFile* live = LiveFile(store, staging);
    RecordFile* out = StagingFile(store, staging);
    const std::size_t length = live->RecordLength();
    const char* records = nullptr;
    std::unique_ptr<platform::MappedBytes> mapped = live->MapRecords(count);
    std::optional<platform::LargeBuffer> copy;
    if (mapped) {
      records = mapped->Bytes().data();
    } else {
      copy.emplace(static_cast<std::size_t>(count) * length);
      if (!copy->ok()) return Status::Error(platform::kOutOfMemory);
      if (Status s = live->ReadRecords(1, count, copy->span()); !s.ok()) return s;
      records = copy->data();
    }
    const std::size_t perPiece = std::max<std::size_t>(1, (1024 * 1024) / length);
    std::vector<char> piece(perPiece * length);
    const std::size_t width = IsExams(staging) ? 6 : 10;
    std::size_t filled = 0;
    for (std::int32_t j = 1; j <= count; ++j) {
      const auto n = static_cast<std::size_t>(positions[static_cast<std::size_t>(j - 1)]);
      char* record = piece.data() + filled;
      std::memcpy(record, records + (n - 1) * length, length);
      filled += length;
      // RecordNo, the first field: the new position, in six digits for an
      // examination, ten for a patient.
      if (!WriteDigits(record, static_cast<std::uint64_t>(j), width)) {
        const std::string number = IsExams(staging) ? FormatNumber(j, "000000") : MasterRecordNo(j);
        std::copy_n(number.data(), number.size(), record);
      }
      if (filled == piece.size() || j == count) {
        if (Status s = out->AppendRecords(std::span<const char>(piece.data(), filled), true);
            !s.ok())
          return s;
        filled = 0;
      }
      phase.Advance(j);
    }
    return Status::Ok();
  });
}

RebuildResult InsertPatientInIdOrder(Store& store, const PatientRecord& patient,
                                     platform::Progress* progress, std::int32_t* position) {
  PatientRecord added = patient;
  const double id = IdValue(added);
  if (store.PatientCount() == 0) {
    if (!store.MasterFile()) {
      return RebuildResult::Unchanged(Status::Error(platform::kBadFileNameOrNumber));
    }
    added.Set(PatientField::RecordNo, MasterRecordNo(1));
    if (Status s = store.MasterFile()->Write(1, added); !s.ok()) {
      return RebuildResult::Unchanged(s);
    }
    store.CountRecords();
    if (position != nullptr) *position = 1;
    return RebuildResult::Done();
  }

  const std::int32_t count = store.PatientCount();
  std::int32_t placedAt = 0;
  Phase phase(progress, kProcessingCaption, count);
  RebuildResult result = store.Rebuild(Staging::ScratchFile, [&]() -> Status {
    std::int32_t i = 1;
    PatientRecord kept;
    for (std::int32_t k = 1; k <= count; ++k) {
      if (Status s = store.MasterFile()->Read(k, kept); !s.ok()) return s;
      const double value = IdValue(kept);
      if (value == id) return Status::Error(platform::kFileAlreadyExists);
      if (placedAt == 0 && value > id) {
        added.Set(PatientField::RecordNo, MasterRecordNo(i));
        if (Status s = store.ScratchFile()->Write(i, added); !s.ok()) return s;
        placedAt = i++;
      }
      kept.Set(PatientField::RecordNo, MasterRecordNo(i));
      if (Status s = store.ScratchFile()->Write(i++, kept); !s.ok()) return s;
      phase.Advance(k);
    }
    if (placedAt == 0) {
      added.Set(PatientField::RecordNo, MasterRecordNo(i));
      if (Status s = store.ScratchFile()->Write(i, added); !s.ok()) return s;
      placedAt = i;
    }
    return Status::Ok();
  });
  if (result.Changed() && position != nullptr) *position = placedAt;
  return result;
}

RebuildResult CopyToStaging(Store& store, Staging staging, platform::Progress* progress) {
  const Store::DriveScope held = store.Reading();
  if (!held) return RebuildResult::Unchanged(held.status());
  const bool exams = IsExams(staging);
  const std::string live = exams ? kDataFile : kMasterFile;
  const std::string target = exams ? kWorkFile : kScratchFile;
  const std::string part = target + ".PART";
  const std::size_t recordLength = exams ? kExamRecordLength : kPatientRecordLength;
  platform::FileSystem& fs = store.Files();

  bool renamed = false;
  Phase phase(progress, kProcessingCaption, LiveCount(store, staging));
  auto copy = [&]() -> Status {
    if (fs.Exists(part)) {
      if (Status s = fs.Delete(part); !s.ok()) return s;
    }
    std::unique_ptr<platform::RandomFile> from;
    std::unique_ptr<platform::RandomFile> to;
    if (Status s = fs.OpenRandom(live, from); !s.ok()) return s;
    if (Status s = fs.OpenRandom(part, to); !s.ok()) return s;
    std::uint64_t length = 0;
    if (Status s = from->Length(length); !s.ok()) return s;
    // Whole records, copied by the operating system where it can (pieces of
    // about eight megabytes), else through a buffer (about one megabyte); a
    // partial tail is copied too.
    const std::size_t piece = (1024 * 1024 / recordLength) * recordLength;
    std::vector<char> buffer;
    bool inSystem = true;
    for (std::uint64_t offset = 0; offset < length;) {
      const std::size_t want = static_cast<std::size_t>(
          std::min<std::uint64_t>(inSystem ? 8 * piece : piece, length - offset));
      if (inSystem) {
        Status copied;
        inSystem = to->CopyFrom(*from, offset, want, copied);
        if (inSystem) {
          if (!copied.ok()) return copied;
          offset += want;
          phase.Advance(static_cast<int>(offset / recordLength));
        }
        continue;
      }
      buffer.resize(piece);
      std::size_t got = 0;
      if (Status s = from->ReadAt(offset, std::span<char>(buffer.data(), want), got); !s.ok()) {
        return s;
      }
      if (got != want) return Status::Error(platform::kDeviceIoError);
      if (Status s = to->WriteAt(offset, std::span<const char>(buffer.data(), got)); !s.ok()) {
        return s;
      }
      offset += got;
      phase.Advance(static_cast<int>(offset / recordLength));
    }
    // A staging file is a working copy that a crash may lose (the next
    // start removes what is left): it is not forced to the disk.
    to.reset();
    const ReplaceOutcome r =
        ReplaceAtomically(fs, part, target, exams ? kDataDir : kMasterDir, Durability::WorkingCopy);
    renamed = r.renamed;
    return r.status;
  };

  Status result = store.CloseReplaceReopen([&] {
    Status s = copy();
    if (!renamed && fs.Exists(part)) (void)fs.Delete(part);
    return s;
  });
  // The working file is open again when there is one; a failed copy does
  // not create it.
  if (exams && fs.Exists(target)) {
    Status opened = store.OpenWorkFile();
    if (result.ok()) result = opened;
  }
  if (renamed) {
    return result.ok() ? RebuildResult::Done() : RebuildResult::ChangedThenFailed(result);
  }
  return RebuildResult::Unchanged(result);
}

}  // namespace store

namespace store {

Status DeleteAllExaminations(Store& store) {
  const Store::DriveScope held = store.Changing(true);
  if (!held) return held.status();
  platform::FileSystem& files = store.Files();
  Status firstFailure = Status::Ok();
  (void)store.CloseReplaceReopen([&]() -> Status {
    firstFailure = files.Delete(kDataFile);
    if (!firstFailure.ok()) return firstFailure;
    std::vector<std::string> names;
    if (Status listed = files.ListFiles(kImageDir, names); !listed.ok()) firstFailure = listed;
    for (const std::string& name : names) {
      Status s = files.Delete(ImageFilePath(name));
      if (!s.ok() && firstFailure.ok()) firstFailure = s;
    }
    return firstFailure;
  });
  return firstFailure;
}

}  // namespace store
