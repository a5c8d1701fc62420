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
  };
  Action action = Action::kRun;
  bool demo = false;  // --demo: the demonstration drive instead of the user's
  std::string error;  // for kError, in Japanese and English
};

Options ParseOptions(int argc, const char* const* argv);

// The options in Japanese and in English.
std::string HelpText();

// "Velunor2.0 <version>".
std::string VersionText();

}  // namespace app
