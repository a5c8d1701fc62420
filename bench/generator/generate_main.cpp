// velunor_generate DIR [EXAMS [PATIENTS]]: writes a data drive under DIR.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "bench/generator/generator.h"

int main(int argc, char** argv) {
  const bool help = argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
  if (argc < 2 || help || argv[1][0] == '-') {
    std::fprintf(help ? stdout : stderr,
                 "usage: %s DRIVE_ROOT [EXAMS [PATIENTS]]\n"
                 "Writes a data drive of EXAMS examinations (default 1000) and PATIENTS\n"
                 "patients (default EXAMS) under DRIVE_ROOT.\n",
                 argv[0]);
    return help ? 0 : 2;
  }
  bench::DriveSize size;
  if (argc > 2) size.exams = std::atoi(argv[2]);
  size.patients = argc > 3 ? std::atoi(argv[3]) : size.exams;
  try {
    bench::GenerateDrive(argv[1], size);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::printf("%d examinations, %d patients under %s\n", size.exams, size.patients, argv[1]);
  return 0;
}
