#include "store/csv_export.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <utility>

#include "platform/cp932.h"
#include "platform/helper_thread.h"
#include "store/csv_lines.h"
#include "store/records.h"
#include "store/store.h"
#include "store/text_format.h"

namespace store {
namespace {

using platform::Status;

const char* SourcePath(CsvSource source) {
  switch (source) {
    case CsvSource::kExaminations:
      return kDataFile;
    case CsvSource::kExamList:
      return kWorkFile;
    case CsvSource::kPatients:
      return kMasterFile;
  }
  return kDataFile;
}

const std::vector<std::string>& ExamHeader() {
  static const std::vector<std::string> header = {
      "番号",    "検査日",   "ID",        "氏名",      "性別",      "年齢",      "心拍数",
      "所属",    "コメント", "誘導部位1", "誘導部位2", "誘導部位3", "誘導部位4", "誘導部位5",
      "所見1",   "所見2",    "所見3",     "所見4",     "所見5",     "不整脈1",   "不整脈2",
      "不整脈3", "不整脈4",  "不整脈5",   "画像"};
  return header;
}

const std::vector<std::string>& PatientHeader() {
  static const std::vector<std::string> header = {"番号", "ID",       "氏名", "ふりがな",
                                                  "性別", "生年月日", "所属", "備考"};
  return header;
}

template <std::size_t N>
std::vector<std::string> RecordCells(const char* record, const std::array<FieldDef, N>& fields) {
  std::vector<std::string> cells;
  cells.reserve(N);
  for (const FieldDef& f : fields) cells.push_back(ReadField(record + f.offset, f.width));
  return cells;
}

std::size_t RecordLength(CsvSource source) {
  return source == CsvSource::kPatients ? kPatientRecordLength : kExamRecordLength;
}

// The CSV file written as it is made: lines gather in one buffer, handed to
// the file a large piece at a time.
class CsvWriter {
 public:
  CsvWriter(platform::RandomFile& file, CsvSource source, bool utf8)
      : file_(file),
        patients_(source == CsvSource::kPatients),
        length_(patients_ ? kPatientRecordLength : kExamRecordLength),
        utf8_(utf8),
        buffer_(new char[kPiece + std::max(LongestLine(), kPiece) + kSlack]),
        end_(buffer_.get()) {}

  // `bytes` of at most a piece's length, as they stand.
  Status Put(std::string_view bytes) {
    if (Status s = FlushWhenFull(); !s.ok()) return s;
    end_ = std::copy(bytes.begin(), bytes.end(), end_);
    return Status::Ok();
  }

  // `count` records from `records`, kCsvReadPast bytes after which can be
  // read.
  Status PutRecords(const char* records, std::size_t count) {
    for (std::size_t r = 0; r < count; ++r) {
      if (Status s = FlushWhenFull(); !s.ok()) return s;
      end_ = Lines(end_, records + r * length_, 1, count - r - 1);
    }
    return Status::Ok();
  }

  // The lines of `count` records written at `out`, which has room for
  // Room(count) bytes; `after` more records follow them in memory. Returns
  // the end of the lines.
  char* Lines(char* out, const char* records, std::size_t count, std::size_t after) const {
    for (std::size_t r = 0; r < count; ++r, records += length_) {
      // The records' pages are not in the processor's caches: the next
      // records are asked for while this one is written.
      if (r + kAhead < count + after) {
        for (std::size_t at = 0; at < length_; at += 64) {
          __builtin_prefetch(records + kAhead * length_ + at);
        }
      }
      out = patients_ ? PutPatientCsvLine(out, records, utf8_) : PutExamCsvLine(out, records, utf8_);
    }
    return out;
  }

  std::size_t Room(std::size_t count) const { return count * LongestLine() + kSlack; }

  // Lines made by Lines, written after what has gathered.
  Status Write(const char* begin, const char* end) {
    if (Status s = Flush(); !s.ok()) return s;
    return WriteOut(begin, static_cast<std::size_t>(end - begin));
  }

  Status Flush() {
    const std::size_t size = static_cast<std::size_t>(end_ - buffer_.get());
    end_ = buffer_.get();
    return WriteOut(buffer_.get(), size);
  }

 private:
  static constexpr std::size_t kPiece = 1 << 20;
  static constexpr std::size_t kAhead = 16;
  static constexpr std::size_t kSlack = kCsvWritePast;

  Status WriteOut(const char* bytes, std::size_t size) {
    if (size == 0) return Status::Ok();
    Status s = file_.WriteAt(written_, std::span<const char>(bytes, size));
    if (s.ok()) file_.StartWriting(written_, size);
    written_ += size;
    return s;
  }

  Status FlushWhenFull() {
    return end_ - buffer_.get() >= static_cast<std::ptrdiff_t>(kPiece) ? Flush() : Status::Ok();
  }

  // Every byte decoded at its longest or quoted, with the quotes and commas.
  std::size_t LongestLine() const {
    const std::size_t length = patients_ ? kPatientRecordLength : kExamRecordLength;
    const std::size_t fields = patients_ ? kPatientFields.size() : kExamFields.size();
    return length * platform::kMostUtf8PerCp932Byte + fields * 4 + 2;
  }

  platform::RandomFile& file_;
  bool patients_;
  std::size_t length_;
  bool utf8_;
  std::unique_ptr<char[]> buffer_;
  char* end_;
  std::uint64_t written_ = 0;
};

// The lines of `count` mapped records, kCsvReadPast bytes after which can
// be read. Making the lines is most of an export's work: runs of records are
// made into lines by two threads in turn (MakeInTurns).
Status PutMapped(const char* records, std::size_t length, int count, CsvWriter& csv, int& done,
                 platform::Progress& progress) {
  constexpr int kMine = 1536;
  constexpr int kTheirs = 2560;
  const std::unique_ptr<char[]> buffers[3] = {std::unique_ptr<char[]>(new char[csv.Room(kMine)]),
                                              std::unique_ptr<char[]>(new char[csv.Room(kTheirs)]),
                                              std::unique_ptr<char[]>(new char[csv.Room(kTheirs)])};
  const char* ends[3] = {};
  Status s = Status::Ok();
  done = 0;
  platform::MakeInTurns(
      count, kMine, kTheirs,
      [&](int slot, int first, int n) {
        ends[slot] = csv.Lines(buffers[slot].get(), records + first * length,
                               static_cast<std::size_t>(n), static_cast<std::size_t>(count - first - n));
      },
      [&](int slot) { return (s = csv.Write(buffers[slot].get(), ends[slot])).ok(); },
      [&](int used) {
        done = used;
        progress.Advance(used);
      });
  return s;
}

// The records as they stand in the file's pages where the file can be
// mapped (the last one copied, so that kCsvReadPast bytes can be read past
// it), else read a piece at a time; `done` receives the number written.
Status PutAll(platform::RandomFile& source, std::size_t length, int whole, CsvWriter& csv,
              int& done, platform::Progress& progress) {
  constexpr int kStep = 4096;
  const auto all = static_cast<std::uint64_t>(whole) * length;
  if (const std::unique_ptr<platform::MappedBytes> mapped = whole > 0 ? source.Map(all) : nullptr) {
    const char* records = mapped->Bytes().data();
    if (Status s = PutMapped(records, length, whole - 1, csv, done, progress); !s.ok()) return s;
    std::vector<char> last(length + kCsvReadPast, ' ');
    std::memcpy(last.data(), records + all - length, length);
    if (Status s = csv.PutRecords(last.data(), 1); !s.ok()) return s;
    done = whole;
    return Status::Ok();
  }
  std::vector<char> piece(kStep * length + kCsvReadPast, ' ');
  for (done = 0; done < whole;) {
    const std::size_t count = static_cast<std::size_t>(std::min(kStep, whole - done));
    std::size_t got = 0;
    const std::uint64_t at = static_cast<std::uint64_t>(done) * length;
    if (Status s = source.ReadAt(at, std::span<char>(piece.data(), count * length), got); !s.ok()) {
      return s;
    }
    if (Status s = csv.PutRecords(piece.data(), got / length); !s.ok()) return s;
    done += static_cast<int>(got / length);
    if (got < count * length) break;
    progress.Advance(done);
  }
  return Status::Ok();
}

// Writes the records of `source` into `csv`; `rows` receives the number of
// whole records.
Status WriteRows(platform::RandomFile& source, CsvSource kind, CsvWriter& csv, int& rows,
                 platform::Progress& progress) {
  const std::size_t length = RecordLength(kind);
  std::uint64_t size = 0;
  if (Status s = source.Length(size); !s.ok()) return s;
  const int whole = static_cast<int>(size / length);
  progress.BeginPhase("CSV を書き出しています", whole);
  if (Status s = PutAll(source, length, whole, csv, rows, progress); !s.ok()) return s;
  progress.Advance(rows);
  return Status::Ok();
}

}  // namespace

std::string CsvCell(std::string_view utf8) {
  std::string cell;
  if (!utf8.empty() &&
      (utf8[0] == '=' || utf8[0] == '+' || utf8[0] == '-' || utf8[0] == '@' || utf8[0] == '\t')) {
    cell = "'";
  }
  cell += utf8;
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (char c : cell) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvCell(cells[i]);
  }
  line += "\r\n";
  return line;
}

std::string EncodeCsv(std::string_view utf8, CsvEncoding encoding) {
  if (encoding == CsvEncoding::kCp932) return platform::ToCp932(utf8);
  return "\xEF\xBB\xBF" + std::string(utf8);
}

std::vector<std::vector<std::string>> CsvRows(std::string_view bytes, CsvSource source) {
  const bool patients = source == CsvSource::kPatients;
  const std::size_t length = patients ? kPatientRecordLength : kExamRecordLength;
  std::vector<std::vector<std::string>> rows;
  rows.reserve(bytes.size() / length + 1);
  rows.push_back(patients ? PatientHeader() : ExamHeader());
  for (std::size_t at = 0; at + length <= bytes.size(); at += length) {
    rows.push_back(patients ? RecordCells(bytes.data() + at, kPatientFields)
                            : RecordCells(bytes.data() + at, kExamFields));
  }
  return rows;
}

Status WriteWholeFile(platform::FileSystem& fs, const std::filesystem::path& target,
                      std::string_view text) {
  const std::string staging = target.string() + ".part";
  std::unique_ptr<platform::RandomFile> file;
  Status s = fs.OpenRandom(staging, file);
  if (s.ok()) s = file->Truncate(0);
  if (s.ok()) s = file->WriteAt(0, text);
  if (s.ok()) s = file->Sync();
  file.reset();
  if (s.ok()) s = fs.Rename(staging, target.string());
  if (!s.ok()) {
    (void)fs.Delete(staging);
    return s;
  }
  return fs.SyncDirectory(target.parent_path().string());
}

CsvResult ExportCsv(platform::FileSystem& fs, CsvSource source, const std::filesystem::path& target,
                    CsvEncoding encoding, platform::Progress& progress) {
  std::unique_ptr<platform::RandomFile> input;
  if (Status s = fs.OpenRandomReadOnly(SourcePath(source), input); !s.ok()) {
    return {s, SourcePath(source), 0};
  }
  const std::string staging = target.string() + ".part";
  std::unique_ptr<platform::RandomFile> output;
  Status s = fs.OpenRandom(staging, output);
  if (s.ok()) s = output->Truncate(0);
  CsvResult result;
  std::string failed = target.string();
  if (s.ok()) {
    const bool patients = source == CsvSource::kPatients;
    CsvWriter csv(*output, source, encoding == CsvEncoding::kUtf8Bom);
    s = csv.Put(EncodeCsv(CsvLine(patients ? PatientHeader() : ExamHeader()), encoding));
    if (s.ok()) {
      s = WriteRows(*input, source, csv, result.rows, progress);
      if (!s.ok()) failed = SourcePath(source);
    }
    if (s.ok()) s = csv.Flush();
  }
  if (s.ok()) s = output->Sync();
  output.reset();
  if (s.ok()) s = fs.Rename(staging, target.string());
  if (s.ok()) s = fs.SyncDirectory(target.parent_path().string());
  if (!s.ok()) {
    (void)fs.Delete(staging);
    return {s, failed, 0};
  }
  return result;
}

}  // namespace store
