#pragma once

#include <string>

namespace app {

// What the command line asks for. Options of the program start with "--";
// options with one dash ("-platform offscreen", "-style fusion") are Qt's
// and are left to it.
struct Options {
  enum class Action {
    kRun,      // start the program
    kHelp,     // --help, -h: print HelpText() and end
    kVersion,  // --version: print VersionText() and end
    kError,    // an unknown option or a missing value: print `error` and HelpText(), end
    kTool,     // a command-line tool (`tool`): run it without windows and end
  };
  // The tools that work on the data drive without a display.
  enum class Tool { kNone, kBackup, kRestore, kExportCsv, kCheck };
  Action action = Action::kRun;
  bool demo = false;  // --demo: the demonstration drive instead of the user's
  std::string error;  // for kError, in Japanese and English
  Tool tool = Tool::kNone;
  std::string file;                // --backup FILE, --restore FILE, --export-csv KIND FILE
  std::string csvKind;             // --export-csv KIND
  std::string encoding = "cp932";  // --encoding cp932|utf-8
  bool yes = false;                // --yes: --restore asks nothing
};

Options ParseOptions(int argc, const char* const* argv);

// The options in Japanese and in English.
std::string HelpText();

// "Velunor2.0 <version>".
std::string VersionText();

}  // namespace app
