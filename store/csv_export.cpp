#include "store/csv_export.h"

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

bool FormulaStart(char c) { return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t'; }

// Appends the cell of one field's cp932 bytes as CsvCell writes its text,
// working on the bytes: no byte of a double-byte character is a blank, a
// comma, a quote or a line break, and a cell starts with a formula sign
// exactly when its first byte is one. `utf8` decodes the bytes on the way.
void AppendCell(std::string& out, std::string_view field, bool utf8) {
  const std::string_view cell = TrimBlanks(field);
  const bool quoted = cell.find_first_of(",\"\r\n") != std::string_view::npos;
  if (quoted) out += '"';
  if (!cell.empty() && FormulaStart(cell.front())) out += '\'';
  std::size_t from = 0;
  for (std::size_t quote; quoted && (quote = cell.find('"', from)) != std::string_view::npos;
       from = quote + 1) {
    utf8 ? platform::AppendFromCp932(out, cell.substr(from, quote - from))
         : (void)out.append(cell.substr(from, quote - from));
    out += "\"\"";
  }
  utf8 ? platform::AppendFromCp932(out, cell.substr(from)) : (void)out.append(cell.substr(from));
  if (quoted) out += '"';
}

template <std::size_t N>
void AppendLine(std::string& out, const char* record, const std::array<FieldDef, N>& fields,
                bool utf8) {
  for (std::size_t f = 0; f < N; ++f) {
    if (f > 0) out += ',';
    AppendCell(out, std::string_view(record + fields[f].offset, fields[f].width), utf8);
  }
  out += "\r\n";
}

// The whole CSV file in one buffer, straight from the records' bytes.
std::string CsvText(std::string_view bytes, CsvSource source, CsvEncoding encoding,
                    platform::Progress& progress) {
  const bool utf8 = encoding == CsvEncoding::kUtf8Bom;
  const bool patients = source == CsvSource::kPatients;
  const std::size_t length = RecordLength(source);
  const int records = static_cast<int>(bytes.size() / length);
  progress.BeginPhase("CSV を書き出しています", records);
  const std::string header = CsvLine(patients ? PatientHeader() : ExamHeader());
  std::string text = EncodeCsv(header, encoding);
  text.reserve(text.size() + (utf8 ? bytes.size() / 2 * 3 : bytes.size()) + records * 8);
  for (int i = 0; i < records; ++i) {
    const char* record = bytes.data() + static_cast<std::size_t>(i) * length;
    patients ? AppendLine(text, record, kPatientFields, utf8)
             : AppendLine(text, record, kExamFields, utf8);
    if (i % 1024 == 0) progress.Advance(i);
  }
  progress.Advance(records);
  return text;
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
  CsvResult result;
  std::string bytes;
  if (Status s = fs.ReadFile(SourcePath(source), bytes); !s.ok()) return {s, SourcePath(source), 0};
  const std::string text = CsvText(bytes, source, encoding, progress);
  if (Status s = WriteWholeFile(fs, target, text); !s.ok()) return {s, target.string(), 0};
  result.rows = static_cast<int>(bytes.size() / RecordLength(source));
  return result;
}

}  // namespace store
