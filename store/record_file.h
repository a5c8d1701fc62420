#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace store {

using platform::Status;

// A file of fixed-length records addressed by 1-based record number, opened
// for read and write. The count is the integer part of length / record
// length; a trailing partial record is ignored and never read.
class RecordFile {
 public:
  // Opens (creating when missing) `path` with records of `recordLength` bytes.
  [[nodiscard]] static Status Open(platform::FileSystem& fs, const std::string& path,
                                   std::size_t recordLength, std::unique_ptr<RecordFile>& out);

  // Opens an existing file for reading only: every write is refused with
  // "permission denied" and nothing is ever written to it.
  [[nodiscard]] static Status OpenReadOnly(platform::FileSystem& fs, const std::string& path,
                                           std::size_t recordLength,
                                           std::unique_ptr<RecordFile>& out);

  const std::string& Path() const { return path_; }
  bool ReadOnly() const { return readOnly_; }
  std::size_t RecordLength() const { return recordLength_; }
  std::int32_t Count() const { return static_cast<std::int32_t>(length_ / recordLength_); }

  // Reads record n into `out` (RecordLength() bytes). A record beyond the end
  // reads as all blanks and is not an error.
  [[nodiscard]] Status Read(std::int32_t n, std::span<char> out);

  // Writes record n: an existing position or Count() + 1. A write further out
  // would leave a hole and is refused with "bad record number". The bytes have
  // reached the operating system when this returns.
  //
  // A write is whole or taken back: when it fails part-way (a disk that
  // fills up, an I/O error), the old record is put back, an appended one cut
  // off, and the failure returned; LastWriteLeft() then says what the file
  // holds at n. Only when taking it back fails too is it Mixed.
  [[nodiscard]] Status Write(std::int32_t n, std::span<const char> record);

  // Bytes after the last whole record: the start of a record whose write
  // did not end (0 when the file holds whole records only).
  std::uint64_t PartialTailBytes() const { return length_ % recordLength_; }

  // What the last failed Write or AppendRecords left in the file.
  enum class Left {
    Old,    // the file is as it was before the write
    New,    // every byte was written after all (the failure came after)
    Mixed,  // part old, part new, or a partial record at the end
  };
  Left LastWriteLeft() const { return lastWriteLeft_; }

  // Reads the existing records first .. first + count - 1 into `out`
  // (count x RecordLength() bytes) in one piece, past the read-ahead; a
  // range beyond Count() is "bad record number".
  [[nodiscard]] Status ReadRecords(std::int32_t first, std::int32_t count, std::span<char> out);
  // Records 1 .. count in place (count x RecordLength() bytes), where the
  // file can give them without a copy; null otherwise (read them instead).
  std::unique_ptr<platform::MappedBytes> MapRecords(std::int32_t count);

  // Appends whole records (a multiple of RecordLength() bytes) at Count() + 1
  // in one write; all of them or, after a failure, none (the file is cut back
  // to its old length; LastWriteLeft() says whether that worked).
  // `toDisk`: the disk starts writing them at once, so that a file that will
  // be forced to the disk as a whole has less left to wait for then.
  [[nodiscard]] Status AppendRecords(std::span<const char> records, bool toDisk = false);

  // Forces every written byte to the disk.
  [[nodiscard]] Status Flush();
  // Hands every collected byte to the operating system, without forcing it
  // to the disk (a staging file that store::ReplaceAtomically forces).
  [[nodiscard]] Status WriteOut() { return DrainPending(); }

  // For a staging file that means nothing until it is complete: records
  // appended at Count() + 1 are collected and handed to the operating system
  // in large writes, at the latest by Flush(). A read, an overwrite or
  // switching it off hands them over first; a failure of that hand-over is
  // returned there, and the count is what the file really holds.
  // `toDisk`: each gathered piece goes to the disk as it is written (see
  // AppendRecords).
  [[nodiscard]] Status SetWriteBehind(bool on, bool toDisk = false);

  ~RecordFile();

  template <typename Record>
  [[nodiscard]] Status Read(std::int32_t n, Record& record) {
    return Read(n, std::span<char>(record.data(), Record::kLength));
  }
  template <typename Record>
  [[nodiscard]] Status Write(std::int32_t n, const Record& record) {
    return Write(n, std::span<const char>(record.data(), Record::kLength));
  }

 private:
  RecordFile(std::unique_ptr<platform::RandomFile> file, std::string path, std::size_t length,
             std::uint64_t bytes);

  std::unique_ptr<platform::RandomFile> file_;
  bool readOnly_ = false;
  std::string path_;
  std::size_t recordLength_;
  std::uint64_t length_;
  // Read-ahead of whole records for sequential reading.
  std::vector<char> cache_;
  std::int32_t cacheFirst_ = 0;  // record number of cache_[0]; 0 = empty
  std::int32_t cacheCount_ = 0;
  std::int32_t lastRead_ = 0;  // the record read last
  // A failed write of `bytes` at `offset`: puts back `old` (or cuts the file
  // back to `offset` when it grew there), sets lastWriteLeft_ and the length.
  void TakeBack(std::uint64_t offset, std::span<const char> bytes, std::span<const char> old);
  Left lastWriteLeft_ = Left::Old;
  // Appended records not yet handed to the operating system.
  [[nodiscard]] Status DrainPending();
  bool writeBehind_ = false;
  bool toDisk_ = false;
  std::vector<char> pending_;
  std::uint64_t pendingOffset_ = 0;
};

}  // namespace store
