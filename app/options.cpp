#include "app/options.h"

#include <string_view>

#ifndef VELUNOR_VERSION
#define VELUNOR_VERSION "0.0.0"
#endif

namespace app {

Options ParseOptions(int argc, const char* const* argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (arg == "--help" || arg == "-h" || arg == "-?") {
      options.action = Options::Action::kHelp;
      return options;
    }
    if (arg == "--version") {
      options.action = Options::Action::kVersion;
      return options;
    }
    if (arg == "--demo") {
      options.demo = true;
    } else if (arg == "--drive-c") {
      if (i + 1 >= argc) {
        options.action = Options::Action::kError;
        options.error =
            "--drive-c にはフォルダを指定してください。\n"
            "--drive-c needs a folder.";
        return options;
      }
      ++i;  // read by platform::DataDrive::ResolveRoot
    } else if (arg.starts_with("--drive-c=")) {
      // read by platform::DataDrive::ResolveRoot
    } else if (arg.starts_with("--")) {
      options.action = Options::Action::kError;
      options.error =
          "不明なオプションです: " + std::string(arg) + "\nUnknown option: " + std::string(arg);
      return options;
    }
  }
  return options;
}

std::string HelpText() {
  return "使い方: Velunor2.0 [オプション]\n"
         "Usage:  Velunor2.0 [options]\n"
         "\n"
         "心電図検査ファイリングシステム Velunor2.0 を起動します。\n"
         "Starts Velunor2.0, the filing system for ECG examinations.\n"
         "\n"
         "  --drive-c DIR  DIR をデータドライブ（C:）として使います（VELUNOR_DRIVE_C より優先）。\n"
         "                 Uses DIR as the data drive (drive C:), over VELUNOR_DRIVE_C.\n"
         "  --demo         "
         "デモ用データドライブで起動します（初回に作成。実際のデータには触れません）。\n"
         "                 Starts on a demonstration drive of its own (made on first use;\n"
         "                 your own data is not touched).\n"
         "  --help, -h     このヘルプを表示して終了します。\n"
         "                 Prints this help and exits.\n"
         "  --version      バージョンを表示して終了します。\n"
         "                 Prints the version and exits.\n"
         "\n"
         "データドライブ: --drive-c、環境変数 VELUNOR_DRIVE_C、$XDG_DATA_HOME/velunor2/C\n"
         "（通常 ~/.local/share/velunor2/C）の順に決まります。\n"
         "デモ用データドライブ: $XDG_DATA_HOME/velunor2/demo\n"
         "Data drive: --drive-c if given, else VELUNOR_DRIVE_C, else $XDG_DATA_HOME/velunor2/C\n"
         "(normally ~/.local/share/velunor2/C). Demonstration drive: $XDG_DATA_HOME/velunor2/demo";
}

std::string VersionText() { return std::string("Velunor2.0 ") + VELUNOR_VERSION; }

}  // namespace app
