#pragma once

#include <cstddef>

namespace store {

// The lines of a CSV export written straight from the records' cp932 bytes:
// each is the line CsvLine makes of the record's fields as ReadField reads
// them (trimmed of blanks), with the cp932 bytes copied as they stand, or
// decoded to UTF-8 when `utf8`.
//
// A record is read in words of 16 and 8 bytes: up to kCsvReadPast bytes
// after the record's end must be readable (their content does not matter),
// and up to kCsvWritePast bytes after the line's end may be written over.
inline constexpr std::size_t kCsvReadPast = 64;
inline constexpr std::size_t kCsvWritePast = 64;

// Returns the end of the line written at `out`.
char* PutExamCsvLine(char* out, const char* record, bool utf8);
char* PutPatientCsvLine(char* out, const char* record, bool utf8);

}  // namespace store
