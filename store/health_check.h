#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/progress.h"

namespace store {

// One thing the check found wrong on the drive.
struct Finding {
  enum class Kind {
    kPartRecord,      // a file's length is no whole number of records: a torn last record
    kUndecodable,     // a field holds bytes cp932 cannot decode
    kRecordNumber,    // a record's number is not its place in the file
    kMissingPicture,  // an examination names a picture that is not there
    kOrphanPicture,   // a picture that no examination names
    kMasterOrder,     // the patient master is not in ID order
    kDuplicateId,     // the patient master holds an ID twice
    kLeftover,        // a working copy or staging file of an operation that did not end
    kUnreadable,      // a file could not be read at all
  };
  Kind kind;
  std::string
      file;        // as the system writes it ("C:\VLN2\VLN2.ekg"), or a host path beside the drive
  int record = 0;  // 1-based; 0 for the file as a whole
  std::string what;    // in Japanese
  std::string action;  // what the program will do about it, in Japanese
};

// Reads every file of the drive at `driveRoot` and reports what is wrong,
// changing nothing. The working copies a running program keeps ("TEMP.DATA",
// "KARIKAN.DATA") are reported as leftovers only when
// `workingCopyIsLeftover` (no program runs on the drive).
std::vector<Finding> CheckDrive(platform::FileSystem& fs, const std::filesystem::path& driveRoot,
                                bool workingCopyIsLeftover, platform::Progress& progress);

// One finding as a line of the report: file, record, what, action.
std::string FindingLine(const Finding& finding);

}  // namespace store
