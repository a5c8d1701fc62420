// Times SearchRecords on generated examinations against SQLite holding the
// same records, once without and once with an index on every searched
// column, all in the same run, and prints the program's time over each
// (runs, min, median; below 1 the program is ahead).
//
// To be fair to SQLite: each query is given its best form (a date or name
// prefix as a range an index can use), and it produces what the program
// does: every row found fetched whole and written to a new file (the
// program's working file of hits), in one write where the program makes
// several; removing the earlier file is outside the time on both sides;
// both databases get a page cache and a memory map larger than themselves,
// and every query runs once untimed first, so that SQLite, the data file
// and the index all answer from memory.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/support/program_drive.h"
#include "bench/generator/generator.h"
#include "bench/support/floors.h"
#include "bench/support/search_mix.h"
#include "platform/cp932.h"
#include "platform/progress.h"
#include "store/search.h"
#include "store/store.h"
#include "store/text_format.h"

namespace {

namespace fs = std::filesystem;
using bench::Check;
using bench::Seconds;
using store::ExamField;
using store::ExamRecord;

constexpr const char* kUsage =
    "usage: search_bench [FOLDER] [--exams N] [--runs R] [--tiny]\n"
    "  Generates N examinations (default 100000) in a fresh folder of its own\n"
    "  under FOLDER (default: the temporary folder), loads the same records\n"
    "  into two SQLite databases there (without and with an index per\n"
    "  searched column), times every query R times (default 5) and prints\n"
    "  min and median of each and the program's time over SQLite's. The\n"
    "  fresh folder is removed at the end; nothing else is touched.\n"
    "  --tiny runs 300 examinations twice (a check that it still works).\n";

struct Options {
  fs::path parent = fs::temp_directory_path();
  int exams = 100000;
  int runs = 5;
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--tiny") {
      o.exams = 300;
      o.runs = 2;
    } else if ((arg == "--exams" || arg == "--runs") && i + 1 < argc) {
      (arg == "--exams" ? o.exams : o.runs) = std::max(1, std::atoi(argv[++i]));
    } else if (!arg.starts_with("-")) {
      o.parent = arg;
    } else {
      std::fputs(kUsage, stderr);
      std::exit(2);
    }
  }
  return o;
}

struct Times {
  double min = 0, median = 0;
};

// `body` once untimed, then `runs` times, each after an untimed `setUp`.
Times Measure(
    int runs, const std::function<void()>& body, const std::function<void()>& setUp = [] {}) {
  setUp();
  body();
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    setUp();
    t.push_back(Seconds(body));
  }
  std::sort(t.begin(), t.end());
  return {t.front(), t[t.size() / 2]};
}

std::vector<char> ReadAll(const fs::path& path) {
  std::vector<char> bytes(fs::file_size(path));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  Check(f && std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size(), "read data file");
  std::fclose(f);
  return bytes;
}

void WriteAll(const fs::path& path, const std::vector<char>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Check(f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(), "write data file");
  std::fclose(f);
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n  in %s\n", error ? error : "?", sql.c_str());
    std::exit(1);
  }
}

constexpr const char* kColumns[] = {"date", "pid", "name", "sex", "age", "dept",
                                    "a1",   "a2",  "a3",   "a4",  "a5"};

// A database of the records: the searched fields as columns (text as its
// cp932 bytes, ID and age as the numbers the program compares) and each
// record whole, with or without an index on each searched column.
sqlite3* Load(const fs::path& path, const std::vector<char>& bytes, bool indexed) {
  sqlite3* db = nullptr;
  Check(sqlite3_open(path.c_str(), &db) == SQLITE_OK, "sqlite open");
  Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
  Exec(db,
       "CREATE TABLE exams(recno INTEGER PRIMARY KEY, date BLOB, pid REAL, name BLOB, sex BLOB,"
       " age REAL, dept BLOB, a1 BLOB, a2 BLOB, a3 BLOB, a4 BLOB, a5 BLOB, record BLOB)");
  Exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, "INSERT INTO exams VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)", -1, &insert,
                           nullptr) == SQLITE_OK,
        "prepare insert");
  const std::size_t n = bytes.size() / store::kExamRecordLength;
  ExamRecord r;
  for (std::size_t i = 0; i < n; ++i) {
    std::copy_n(bytes.data() + i * store::kExamRecordLength, store::kExamRecordLength, r.data());
    auto text = [&](int column, std::string_view value) {
      sqlite3_bind_blob(insert, column, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT);
    };
    sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(i + 1));
    text(2, r.Raw(ExamField::ExamDate));
    sqlite3_bind_double(insert, 3, store::NumericValue(r.Raw(ExamField::PatientId)));
    text(4, r.Raw(ExamField::Name));
    text(5, store::TrimBlanks(r.Raw(ExamField::Sex)));
    sqlite3_bind_double(insert, 6, store::NumericValue(r.Raw(ExamField::Age)));
    text(7, store::TrimBlanks(r.Raw(ExamField::Department)));
    for (int a = 0; a < 5; ++a) text(8 + a, r.Raw(store::ArrhythmiaField(a)));
    text(13, {r.data(), store::kExamRecordLength});
    Check(sqlite3_step(insert) == SQLITE_DONE, "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "COMMIT");
  if (indexed) {
    for (const char* column : kColumns) {
      Exec(db, std::string("CREATE INDEX by_") + column + " ON exams(" + column + ")");
    }
    Exec(db, "ANALYZE");
  }
  Exec(db, "PRAGMA cache_size=-4000000; PRAGMA mmap_size=8000000000;");
  return db;
}

// Every row the query finds, fetched whole into memory and written to a new
// file `out` in one write, as the program leaves its hits; the row count.
int Select(sqlite3* db, const std::string& where, const fs::path& out) {
  std::vector<char> rows;
  rows.clear();
  sqlite3_stmt* statement = nullptr;
  Check(sqlite3_prepare_v2(db,
                           ("SELECT record FROM exams WHERE " + where + " ORDER BY recno").c_str(),
                           -1, &statement, nullptr) == SQLITE_OK,
        "prepare select");
  int count = 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const char* record = static_cast<const char*>(sqlite3_column_blob(statement, 0));
    rows.insert(rows.end(), record, record + sqlite3_column_bytes(statement, 0));
    ++count;
  }
  sqlite3_finalize(statement);
  const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Check(fd >= 0 && ::write(fd, rows.data(), rows.size()) == static_cast<ssize_t>(rows.size()),
        "write rows");
  ::close(fd);
  return count;
}

std::string Blob(std::string_view bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out = "X'";
  for (unsigned char c : bytes) {
    out.push_back(hex[c >> 4]);
    out.push_back(hex[c & 15]);
  }
  return out + "'";
}

// The SQL of "begins with `prefix`": a range an index can use.
std::string Prefix(const char* column, std::string_view prefix) {
  std::string next(prefix);
  ++next.back();
  return std::string("(") + column + " >= " + Blob(prefix) + " AND " + column + " < " + Blob(next) +
         ")";
}

std::string Equal(const char* column, std::string_view value) {
  return std::string(column) + " = " + Blob(value);
}

std::string Contained(std::string_view value) {
  std::string any = "(";
  for (int a = 1; a <= 5; ++a) {
    any += (a > 1 ? " OR " : "") + std::string("instr(a") + std::to_string(a) + ", " + Blob(value) +
           ") > 0";
  }
  return any + ")";
}

struct Query {
  std::string what;
  store::SearchCriteria criteria;
  std::string where;
};

std::vector<Query> Queries(const ExamRecord& sample) {
  const std::string id = sample.Get(ExamField::PatientId);
  const std::string department = sample.Get(ExamField::Department);
  const std::string dept = std::string(store::TrimBlanks(sample.Raw(ExamField::Department)));
  auto cp = [](const std::string& utf8) { return platform::ToCp932(utf8); };
  const std::string pidWhere = "pid = " + std::to_string(store::NumericValue(id));
  return {
      {"year 2004", {.year = "2004"}, Prefix("date", "2004")},
      {"year/month", {.year = "2004", .month = "03"}, Prefix("date", "2004/03")},
      {"year/month/day", {.year = "2004", .month = "03", .day = "05"}, Equal("date", "2004/03/05")},
      {"ID", {.id = id}, pidWhere},
      {"name 山田", {.name = "山田"}, Prefix("name", cp("山田"))},
      {"name 山", {.name = "山"}, Prefix("name", cp("山"))},
      {"sex F", {.sex = "F"}, Equal("sex", "F")},
      {"age 30-39", {.ageFrom = "30", .ageTo = "39"}, "age BETWEEN 30 AND 39"},
      {"department", {.department = department}, Equal("dept", dept)},
      {"arrhythmia 房室", {.arrhythmia = "房室"}, Contained(cp("房室"))},
      {"arrhythmia 心房", {.arrhythmia = "心房"}, Contained(cp("心房"))},
      {"year + sex",
       {.year = "2004", .sex = "F"},
       Prefix("date", "2004") + " AND " + Equal("sex", "F")},
      {"ID + year", {.year = "2004", .id = id}, Prefix("date", "2004") + " AND " + pidWhere},
      {"name + department",
       {.name = "山田", .department = department},
       Prefix("name", cp("山田")) + " AND " + Equal("dept", dept)},
      {"age + arrhythmia",
       {.ageFrom = "30", .ageTo = "39", .arrhythmia = "房室"},
       "age BETWEEN 30 AND 39 AND " + Contained(cp("房室"))},
  };
}

class NoProgress : public platform::Progress {
 public:
  void BeginPhase(std::string_view, int) override {}
  void Advance(int) override {}
  void Hide() override {}
};

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  const fs::path root = bench::FreshFolder(options.parent, "velunor-search-bench");
  bench::GenerateDrive(root, {options.exams, std::max(100, options.exams / 100), 2006u});
  platform::PosixFileSystem files{bench::ProgramDrive(root)};
  const fs::path dataFile = files.HostPath(store::kDataFile);
  std::vector<char> bytes = ReadAll(dataFile);
  bench::ReshapeForSearch(bytes, true);
  WriteAll(dataFile, bytes);
  std::printf("== %d examinations (%.1f MB data file), %d runs each, load %s\n", options.exams,
              static_cast<double>(bytes.size()) / 1e6, options.runs, [] {
                static char load[64] = "?";
                if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
                  if (!std::fgets(load, sizeof load, f)) load[0] = 0;
                  std::fclose(f);
                }
                load[std::strcspn(load, "\n")] = 0;
                return load;
              }());

  store::Store s(files);
  const Times open = Measure(options.runs, [&] {
    s.CloseAllFiles();
    Check(s.StartUp().ok(), "start-up");
  });
  const Times read = Measure(options.runs, [&] { bench::RawRead(dataFile); });
  std::printf("drive open with the index  min %8.2f ms  median %8.2f ms   one read %8.2f ms\n",
              open.min * 1e3, open.median * 1e3, read.min * 1e3);
  Check(s.RecordCount() == options.exams, "count");

  sqlite3* plain = Load(root / "plain.db", bytes, false);
  sqlite3* indexed = Load(root / "indexed.db", bytes, true);
  ExamRecord sample;
  std::copy_n(
      bytes.data() + (bytes.size() / store::kExamRecordLength / 2) * store::kExamRecordLength,
      store::kExamRecordLength, sample.data());

  std::printf("%-18s %7s  %-20s  %-20s  %-20s  %s\n", "query", "hits", "program min/median",
              "SQLite min/median", "+index min/median", "program / SQLite, / +index (median)");
  bool ahead = true;
  for (const Query& q : Queries(sample)) {
    std::int32_t hits = 0;
    NoProgress progress;
    const Times ours = Measure(
        options.runs,
        [&] { Check(store::SearchRecords(s, q.criteria, progress, hits).ok(), "search"); },
        [&] { Check(s.RemoveWorkFile().ok(), "remove working file"); });
    int plainRows = 0, indexedRows = 0;
    const fs::path out = root / "rows.out";
    auto removeOut = [&] { fs::remove(out); };
    const Times sqlPlain = Measure(
        options.runs, [&] { plainRows = Select(plain, q.where, out); }, removeOut);
    const Times sqlIndexed = Measure(
        options.runs, [&] { indexedRows = Select(indexed, q.where, out); }, removeOut);
    if (plainRows != hits || indexedRows != hits) {
      std::printf("  (SQLite found %d / %d rows)\n", plainRows, indexedRows);
    }
    const double overPlain = ours.median / sqlPlain.median;
    const double overIndexed = ours.median / sqlIndexed.median;
    ahead = ahead && overPlain < 1 && overIndexed < 1;
    std::printf("%-18s %7d  %8.3f %8.3f ms  %8.3f %8.3f ms  %8.3f %8.3f ms  %5.2f  %5.2f\n",
                q.what.c_str(), hits, ours.min * 1e3, ours.median * 1e3, sqlPlain.min * 1e3,
                sqlPlain.median * 1e3, sqlIndexed.min * 1e3, sqlIndexed.median * 1e3, overPlain,
                overIndexed);
  }
  std::printf("ahead of SQLite on every query (goal): %s\n", ahead ? "met" : "NOT met");
  sqlite3_close(plain);
  sqlite3_close(indexed);
  s.CloseAllFiles();
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
