#include "store/csv_export.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "platform/cp932.h"
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

// The blanks, eight at a time, that pad a field.
constexpr std::uint64_t kEightBlanks = 0x2020202020202020ULL;

struct ByteClasses {
  bool quoted[256] = {};   // a comma, a quote or a line break: the cell is quoted
  bool formula[256] = {};  // a spreadsheet would run a cell starting so
  constexpr ByteClasses() {
    for (unsigned char c : {',', '"', '\r', '\n'}) quoted[c] = true;
    for (unsigned char c : {'=', '+', '-', '@', '\t'}) formula[c] = true;
  }
};
constexpr ByteClasses kClasses;

// A field without its leading and trailing blanks (ASCII spaces only, as
// ReadField trims them).
std::string_view Trim(const char* field, std::size_t width) {
  std::size_t end = width;
  while (end >= 8) {
    std::uint64_t word;
    std::memcpy(&word, field + end - 8, 8);
    if (word != kEightBlanks) break;
    end -= 8;
  }
  while (end > 0 && field[end - 1] == ' ') --end;
  std::size_t begin = 0;
  while (begin < end && field[begin] == ' ') ++begin;
  return {field + begin, end - begin};
}

char* Put(char* out, std::string_view bytes, bool utf8) {
  if (utf8) return platform::DecodeCp932(bytes, out);
  std::memcpy(out, bytes.data(), bytes.size());
  return out + bytes.size();
}

// Writes at `out` the cell CsvCell makes of the field's text, working on the
// field's cp932 bytes: no byte of a double-byte character is a blank, a
// comma, a quote or a line break, and a cell starts with a formula sign
// exactly when its first byte is one. `utf8` decodes the bytes on the way.
char* PutCell(char* out, const char* field, std::size_t width, bool utf8) {
  const std::string_view cell = Trim(field, width);
  if (cell.empty()) return out;
  bool quoted = false;
  for (char c : cell) quoted |= kClasses.quoted[static_cast<unsigned char>(c)];
  if (quoted) *out++ = '"';
  if (kClasses.formula[static_cast<unsigned char>(cell.front())]) *out++ = '\'';
  if (!quoted) return Put(out, cell, utf8);
  std::size_t from = 0;
  for (std::size_t quote; (quote = cell.find('"', from)) != std::string_view::npos;
       from = quote + 1) {
    out = Put(out, cell.substr(from, quote - from), utf8);
    *out++ = '"';
    *out++ = '"';
  }
  out = Put(out, cell.substr(from), utf8);
  *out++ = '"';
  return out;
}

template <std::size_t N>
char* PutLine(char* out, const char* record, const std::array<FieldDef, N>& fields, bool utf8) {
  for (std::size_t f = 0; f < N; ++f) {
    if (f > 0) *out++ = ',';
    out = PutCell(out, record + fields[f].offset, fields[f].width, utf8);
  }
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

// The CSV file written as it is made: lines gather in one buffer, handed to
// the file a large piece at a time.
class CsvWriter {
 public:
  CsvWriter(platform::RandomFile& file, CsvSource source, bool utf8)
      : file_(file),
        patients_(source == CsvSource::kPatients),
        utf8_(utf8),
        buffer_(new char[kPiece + std::max(LongestLine(), kPiece)]),
        end_(buffer_.get()) {}

  // `bytes` of at most a piece's length, as they stand.
  Status Put(std::string_view bytes) {
    if (Status s = FlushWhenFull(); !s.ok()) return s;
    end_ = std::copy(bytes.begin(), bytes.end(), end_);
    return Status::Ok();
  }

  Status PutRecord(const char* record) {
    if (Status s = FlushWhenFull(); !s.ok()) return s;
    end_ = patients_ ? PutLine(end_, record, kPatientFields, utf8_)
                     : PutLine(end_, record, kExamFields, utf8_);
    return Status::Ok();
  }

  Status Flush() {
    const std::size_t size = static_cast<std::size_t>(end_ - buffer_.get());
    if (size == 0) return Status::Ok();
    Status s = file_.WriteAt(written_, std::span<const char>(buffer_.get(), size));
    written_ += size;
    end_ = buffer_.get();
    return s;
  }

 private:
  static constexpr std::size_t kPiece = 1 << 20;

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
  bool utf8_;
  std::unique_ptr<char[]> buffer_;
  char* end_;
  std::uint64_t written_ = 0;
};

// Reads the records of `source` a piece at a time into `csv`; `rows`
// receives the number of whole records.
Status WriteRows(platform::RandomFile& source, CsvSource kind, CsvWriter& csv, int& rows,
                 platform::Progress& progress) {
  const std::size_t length = RecordLength(kind);
  std::uint64_t size = 0;
  if (Status s = source.Length(size); !s.ok()) return s;
  const int whole = static_cast<int>(size / length);
  progress.BeginPhase("CSV を書き出しています", whole);
  std::vector<char> piece(128 * 1024 / length * length);
  int done = 0;
  while (done < whole) {
    std::size_t got = 0;
    const std::uint64_t at = static_cast<std::uint64_t>(done) * length;
    if (Status s = source.ReadAt(at, piece, got); !s.ok()) return s;
    if (got < length) break;
    for (std::size_t r = 0; r + length <= got && done < whole; r += length, ++done) {
      if (Status s = csv.PutRecord(piece.data() + r); !s.ok()) return s;
      if (done % 1024 == 0) progress.Advance(done);
    }
  }
  rows = done;
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
