#include "app/options.h"

#include <string_view>

#ifndef VELUNOR_VERSION
#define VELUNOR_VERSION "0.0.0"
#endif

namespace app {

namespace {

Options Refused(Options options, const std::string& japanese, const std::string& english) {
  options.action = Options::Action::kError;
  options.error = japanese + "\n" + english;
  return options;
}

// Reads a tool's values after argv[i]; false when one is missing.
bool TakeTool(Options& options, std::string_view arg, int argc, const char* const* argv, int& i) {
  struct ToolOption {
    std::string_view name;
    Options::Tool tool;
    int values;
  };
  static constexpr ToolOption kTools[] = {{"--backup", Options::Tool::kBackup, 1},
                                    {"--restore", Options::Tool::kRestore, 1},
                                    {"--export-csv", Options::Tool::kExportCsv, 2},
                                    {"--check", Options::Tool::kCheck, 0}};
  for (const ToolOption& tool : kTools) {
    if (arg != tool.name) continue;
    if (i + tool.values >= argc) return false;
    options.tool = tool.tool;
    if (tool.values == 2) options.csvKind = argv[++i];
    if (tool.values >= 1) options.file = argv[++i];
    return true;
  }
  return false;
}

Options CheckTool(Options options) {
  if (options.tool == Options::Tool::kNone) {
    if (options.yes) {
      return Refused(options, "--yes は --restore と一緒に指定してください。",
                     "--yes goes with --restore.");
    }
    return options;
  }
  if (options.tool == Options::Tool::kRestore && !options.yes) {
    return Refused(options, "--restore は現在のデータを置き換えます。--yes を付けてください。",
                   "--restore replaces the data on the drive: add --yes.");
  }
  if (options.encoding != "cp932" && options.encoding != "utf-8") {
    return Refused(options, "--encoding は cp932 か utf-8 です。", "--encoding is cp932 or utf-8.");
  }
  options.action = Options::Action::kTool;
  return options;
}

}  // namespace

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
    } else if (arg == "--yes") {
      options.yes = true;
    } else if (arg == "--encoding") {
      if (i + 1 >= argc) {
        return Refused(options, "--encoding には cp932 か utf-8 を指定してください。",
                       "--encoding needs cp932 or utf-8.");
      }
      options.encoding = argv[++i];
    } else if (arg == "--backup" || arg == "--restore" || arg == "--export-csv" ||
               arg == "--check") {
      if (options.tool != Options::Tool::kNone) {
        return Refused(options, "ツールのオプションは一度に一つだけです。",
                       "Give one tool option at a time.");
      }
      if (!TakeTool(options, arg, argc, argv, i)) {
        return Refused(options, std::string(arg) + " に指定が足りません。",
                       std::string(arg) + " is missing its value.");
      }
    } else if (arg.starts_with("--")) {
      options.action = Options::Action::kError;
      options.error =
          "不明なオプションです: " + std::string(arg) + "\nUnknown option: " + std::string(arg);
      return options;
    }
  }
  return CheckTool(options);
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
         "\n"
         "データドライブのツール（画面なしで動き、進み具合を標準エラーに出し、失敗すると\n"
         "0 以外で終了します）/ Tools for the data drive (no display needed; progress on\n"
         "stderr; a failure ends with a non-zero status):\n"
         "  --backup FILE  データドライブ全体を "
         "FILE（.tar.gz）にバックアップし、読み返して確かめます。\n"
         "                 Backs up the whole data drive to FILE (.tar.gz) and reads it back.\n"
         "  --restore FILE --yes\n"
         "                 FILE "
         "からデータドライブを復元します（先に現在のデータを自動バックアップ。\n"
         "                 ほかのプログラムがドライブを使用中なら行いません）。\n"
         "                 Replaces the data drive with FILE (the current data is backed up\n"
         "                 first; refused while another program uses the drive).\n"
         "  --export-csv exams|patients|history FILE [--encoding cp932|utf-8]\n"
         "                 検査、患者マスタまたは変更履歴を CSV で書き出します（既定は cp932）。\n"
         "                 Exports the examinations, the patient master or the change history\n"
         "                 as CSV (cp932 by default, or UTF-8 with a byte-order mark).\n"
         "  --check        データを点検し、見つかった問題を表示します（何も変更しません）。\n"
         "                 Checks the data and lists what is wrong (changes nothing); exits 1\n"
         "                 when something was found.\n"
         "\n"
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
