#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

#include "app/options.h"
#include "platform/file_system.h"
#include "platform/progress.h"
#include "store/csv_export.h"

namespace app {

// What `--export-csv KIND` writes, by KIND: each kind writes its CSV to the
// target in the encoding.
struct CsvKind {
  std::string_view name;
  std::function<store::CsvResult(platform::FileSystem&, const std::filesystem::path&,
                                 store::CsvEncoding, platform::Progress&)>
      write;
};
const std::vector<CsvKind>& CsvKinds();

// Runs the tool `options` asks for on the drive at `driveRoot`, without a
// display: progress and the result go to stderr (the check's report to
// stdout). `automaticFolder` receives the drive as it was before a restore.
// Returns the exit status: 0 done, 1 failed (or the check found something),
// 3 refused because another program uses the drive.
int RunCommandLineTool(const Options& options, const std::filesystem::path& driveRoot,
                       const std::filesystem::path& automaticFolder);

}  // namespace app
