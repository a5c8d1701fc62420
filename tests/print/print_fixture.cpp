#include "tests/print/print_fixture.h"

#include <cstdio>
#include <cstdlib>

#include "store/text_format.h"

#include "tests/support/records.h"

namespace print_test {

store::ExamRecord Exam(int n) {
  using F = store::ExamField;
  return testing_support::Exam(n)
      .WithoutFindings()
      .With(F::RecordNo, std::to_string(n))
      .With(F::ExamDate, store::FormatDate(2006, 1 + (n - 1) / 28, (n - 1) % 28 + 1))
      .With(F::PatientId, std::to_string(100000 + n))
      .With(F::Age, std::to_string(20 + n % 60))
      .With(F::HeartRate, std::to_string(60 + n % 40));
}

void WriteRecords(const testing_support::TempDrive& drive, const char* path,
                  const std::vector<store::ExamRecord>& records) {
  std::string bytes;
  for (const store::ExamRecord& r : records) bytes += r.Bytes();
  drive.WriteBytes(path, bytes);
}

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "<failed>";
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  return ::pclose(pipe) == 0 ? out : "<failed>";
}

std::string PdfText(const std::filesystem::path& pdf) {
  return Shell("pdftotext -layout -enc UTF-8 '" + pdf.string() + "' -");
}

int PdfPages(const std::filesystem::path& pdf) {
  const std::string info = Shell("pdfinfo '" + pdf.string() + "'");
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

Fixture::Fixture() = default;
Fixture::~Fixture() = default;

std::string Fixture::Unexpected() const {
  std::string out;
  for (const std::string& line : ui.Unexpected()) out += line + "\n";
  return out;
}

}  // namespace print_test
