#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/progress.h"

namespace store {

enum class CsvEncoding {
  kCp932,    // Shift_JIS as Windows writes it: spreadsheets open it by double-click
  kUtf8Bom,  // UTF-8 behind a byte-order mark
};

// One cell as RFC 4180 writes it: in double quotes (inner quotes doubled)
// when it holds a comma, a quote or a line break. A cell that begins with
// = + - @ or a tab gets a leading apostrophe first, so that a spreadsheet
// shows it as text instead of running it as a formula.
std::string CsvCell(std::string_view utf8);

// A whole line of cells, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& cells);

// The text of a CSV file in `encoding` (UTF-8 in, the file's bytes out): a
// character cp932 cannot hold becomes "?".
std::string EncodeCsv(std::string_view utf8, CsvEncoding encoding);

// What an export writes.
enum class CsvSource {
  kExaminations,  // the data file "VLN2.ekg" whole
  kExamList,      // the list on screen after a search: the working copy "TEMP.DATA"
  kPatients,      // the patient master "KANJYA.MASTA"
};

struct CsvResult {
  platform::Status status;
  std::string file;  // where it failed
  int rows = 0;
  bool ok() const { return status.ok(); }
};

// The header row and the rows of `source`, one per whole record (a part
// record at the end is left out), every field trimmed as the windows show
// it; the comment keeps its line breaks.
std::vector<std::vector<std::string>> CsvRows(std::string_view fileBytes, CsvSource source);

// Writes the CSV of `source` to `target` (a host path) through the staging
// name "<target>.part", forced to the disk and renamed into place; a failure
// leaves no file behind.
CsvResult ExportCsv(platform::FileSystem& fs, CsvSource source, const std::filesystem::path& target,
                    CsvEncoding encoding, platform::Progress& progress);

// Writes `text` (already encoded) to `target` the same way.
platform::Status WriteWholeFile(platform::FileSystem& fs, const std::filesystem::path& target,
                                std::string_view text);

}  // namespace store
