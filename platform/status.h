#pragma once

namespace platform {

// Failures are reported in the Windows run-time numbering, the numbers the
// users of this system have always seen in its warning boxes.
enum ErrorNumber : int {
  kNoError = 0,
  kOutOfMemory = 7,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kBadRecordNumber = 63,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kInvalidPicture = 481,
};

struct [[nodiscard]] Status {
  int error = kNoError;

  constexpr bool ok() const { return error == kNoError; }
  static constexpr Status Ok() { return {}; }
  static constexpr Status Error(int number) { return {number}; }
};

// The run-time error number of a failed POSIX call.
int ErrorFromErrno(int errnoValue);

}  // namespace platform
