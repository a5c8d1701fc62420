// velunor_generate DIR [EXAMS [PATIENTS]]: writes a data drive under DIR.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "bench/generator/generator.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DRIVE_ROOT [EXAMS [PATIENTS]]\n", argv[0]);
    return 2;
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
