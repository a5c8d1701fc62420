#include "store/record_file.h"

#include <algorithm>
#include <cstring>

namespace store {
namespace {
constexpr std::size_t kReadAheadBytes = 64 * 1024;
constexpr std::size_t kWriteBehindBytes = 1024 * 1024;
}  // namespace

RecordFile::RecordFile(std::unique_ptr<platform::RandomFile> file, std::string path,
                       std::size_t length, std::uint64_t bytes)
    : file_(std::move(file)), path_(std::move(path)), recordLength_(length), length_(bytes) {}

Status RecordFile::Open(platform::FileSystem& fs, const std::string& path, std::size_t recordLength,
                        std::unique_ptr<RecordFile>& out) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandom(path, file); !s.ok()) return s;
  std::uint64_t bytes = 0;
  if (Status s = file->Length(bytes); !s.ok()) return s;
  out.reset(new RecordFile(std::move(file), path, recordLength, bytes));
  return Status::Ok();
}

Status RecordFile::OpenReadOnly(platform::FileSystem& fs, const std::string& path,
                                std::size_t recordLength, std::unique_ptr<RecordFile>& out) {
  std::unique_ptr<platform::RandomFile> file;
  if (Status s = fs.OpenRandomReadOnly(path, file); !s.ok()) return s;
  std::uint64_t bytes = 0;
  if (Status s = file->Length(bytes); !s.ok()) return s;
  out.reset(new RecordFile(std::move(file), path, recordLength, bytes));
  out->readOnly_ = true;
  return Status::Ok();
}

RecordFile::~RecordFile() { (void)DrainPending(); }

Status RecordFile::Read(std::int32_t n, std::span<char> out) {
  if (n < 1) return Status::Error(platform::kBadRecordNumber);
  if (Status s = DrainPending(); !s.ok()) return s;
  if (n > Count()) {
    std::memset(out.data(), ' ', recordLength_);
    return Status::Ok();
  }
  if (cacheFirst_ == 0 || n < cacheFirst_ || n >= cacheFirst_ + cacheCount_) {
    // Read ahead only when the reads go forward record by record; a probe
    // (a bisection, a jump of the slider) reads just its record.
    const bool sequential = n == lastRead_ + 1;
    std::int32_t perChunk =
        sequential
            ? static_cast<std::int32_t>(std::max<std::size_t>(1, kReadAheadBytes / recordLength_))
            : 1;
    std::int32_t count = std::min(perChunk, Count() - n + 1);
    cache_.resize(static_cast<std::size_t>(count) * recordLength_);
    std::size_t got = 0;
    cacheFirst_ = 0;
    if (Status s = file_->ReadAt(static_cast<std::uint64_t>(n - 1) * recordLength_, cache_, got);
        !s.ok()) {
      return s;
    }
    cacheFirst_ = n;
    cacheCount_ = static_cast<std::int32_t>(got / recordLength_);
    if (cacheCount_ == 0) {
      cacheFirst_ = 0;
      std::memset(out.data(), ' ', recordLength_);
      return Status::Ok();
    }
  }
  std::memcpy(out.data(), cache_.data() + static_cast<std::size_t>(n - cacheFirst_) * recordLength_,
              recordLength_);
  lastRead_ = n;
  return Status::Ok();
}

Status RecordFile::Write(std::int32_t n, std::span<const char> record) {
  if (readOnly_) return Status::Error(platform::kPermissionDenied);
  if (n < 1 || n > Count() + 1) return Status::Error(platform::kBadRecordNumber);
  std::uint64_t offset = static_cast<std::uint64_t>(n - 1) * recordLength_;
  if (writeBehind_ && n == Count() + 1) {
    if (pending_.empty()) pendingOffset_ = offset;
    pending_.insert(pending_.end(), record.data(), record.data() + recordLength_);
    length_ = offset + recordLength_;
    return pending_.size() >= kWriteBehindBytes ? DrainPending() : Status::Ok();
  }
  if (Status s = DrainPending(); !s.ok()) return s;
  // The old record, to put back if the write fails part-way.
  std::vector<char> old;
  if (n <= Count()) {
    old.resize(recordLength_);
    std::size_t got = 0;
    if (!file_->ReadAt(offset, old, got).ok() || got != recordLength_) old.clear();
  }
  if (Status s = file_->WriteAt(offset, record.first(recordLength_)); !s.ok()) {
    TakeBack(offset, record.first(recordLength_), old);
    return lastWriteLeft_ == Left::New ? Status::Ok() : s;
  }
  length_ = std::max<std::uint64_t>(length_, offset + recordLength_);
  if (cacheFirst_ != 0 && n >= cacheFirst_ && n < cacheFirst_ + cacheCount_) {
    std::memcpy(cache_.data() + static_cast<std::size_t>(n - cacheFirst_) * recordLength_,
                record.data(), recordLength_);
  }
  return Status::Ok();
}

Status RecordFile::ReadRecords(std::int32_t first, std::int32_t count, std::span<char> out) {
  if (first < 1 || count < 0 || first - 1 > Count() - count ||
      out.size() < static_cast<std::size_t>(count) * recordLength_) {
    return Status::Error(platform::kBadRecordNumber);
  }
  if (Status s = DrainPending(); !s.ok()) return s;
  const std::size_t bytes = static_cast<std::size_t>(count) * recordLength_;
  const std::uint64_t start = static_cast<std::uint64_t>(first - 1) * recordLength_;
  for (std::size_t done = 0; done < bytes;) {
    const std::size_t want = std::min(kReadAheadBytes, bytes - done);
    std::size_t got = 0;
    if (Status s = file_->ReadAt(start + done, out.subspan(done, want), got); !s.ok()) return s;
    if (got != want) return Status::Error(platform::kDeviceIoError);
    done += got;
  }
  return Status::Ok();
}

std::unique_ptr<platform::MappedBytes> RecordFile::MapRecords(std::int32_t count) {
  if (count < 1 || count > Count() || !DrainPending().ok()) return nullptr;
  return file_->Map(static_cast<std::uint64_t>(count) * recordLength_);
}

Status RecordFile::AppendRecords(std::span<const char> records, bool toDisk) {
  if (records.size() % recordLength_ != 0) return Status::Error(platform::kBadRecordNumber);
  if (Status s = DrainPending(); !s.ok()) return s;
  const std::uint64_t offset = static_cast<std::uint64_t>(Count()) * recordLength_;
  if (Status s = file_->WriteAt(offset, records); !s.ok()) {
    TakeBack(offset, {}, {});
    return s;
  }
  if (toDisk) file_->StartWriting(offset, records.size());
  length_ = std::max<std::uint64_t>(length_, offset + records.size());
  cacheFirst_ = 0;
  return Status::Ok();
}

void RecordFile::TakeBack(std::uint64_t offset, std::span<const char> bytes,
                          std::span<const char> old) {
  cacheFirst_ = 0;
  std::uint64_t actual = 0;
  const bool known = file_->Length(actual).ok();
  // Did every byte arrive after all?
  if (!bytes.empty() && known && actual >= offset + bytes.size()) {
    std::vector<char> now(bytes.size());
    std::size_t got = 0;
    if (file_->ReadAt(offset, now, got).ok() && got == now.size() &&
        std::equal(now.begin(), now.end(), bytes.begin())) {
      lastWriteLeft_ = Left::New;
      length_ = actual;
      return;
    }
  }
  bool restored = false;
  if (!old.empty()) {
    restored = file_->WriteAt(offset, old).ok();
  } else if (known && actual > offset) {
    restored = file_->Truncate(offset).ok();
  } else {
    restored = known;  // nothing of the write reached the file
  }
  if (!restored && !old.empty()) {
    std::vector<char> now(old.size());
    std::size_t got = 0;
    restored = file_->ReadAt(offset, now, got).ok() && got == now.size() &&
               std::equal(now.begin(), now.end(), old.begin());
  }
  lastWriteLeft_ = restored ? Left::Old : Left::Mixed;
  if (file_->Length(actual).ok()) length_ = actual;
}

Status RecordFile::Flush() {
  if (Status s = DrainPending(); !s.ok()) return s;
  if (readOnly_) return Status::Ok();
  return file_->Sync();
}

Status RecordFile::SetWriteBehind(bool on, bool toDisk) {
  Status s = DrainPending();
  writeBehind_ = on;
  toDisk_ = on && toDisk;
  return s;
}

Status RecordFile::DrainPending() {
  if (pending_.empty()) return Status::Ok();
  Status s = file_->WriteAt(pendingOffset_, pending_);
  if (s.ok() && toDisk_) file_->StartWriting(pendingOffset_, pending_.size());
  pending_.clear();
  if (!s.ok()) {
    std::uint64_t actual = 0;
    length_ = file_->Length(actual).ok() ? actual : pendingOffset_;
  }
  return s;
}

}  // namespace store
