#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sessions/outcome.h"
#include "store/store.h"

namespace sessions {

// A vocabulary's entries as its window shows them, one per box.
struct VocabularyLoad : Outcome {
  std::vector<std::string> entries;  // Store::ListEntries(list) of them, blanks included
};

// The four vocabularies (departments, lead sites, findings, arrhythmias): a
// list file read whole into its window's boxes and saved whole from them.
class VocabularySession {
 public:
  explicit VocabularySession(store::Store& store) : store_(store) {}

  // The entries of `list`. A list file that could not be opened reads as
  // blank entries with a warning naming it (none in a read-only run, where
  // a list never made reads empty); a read failure keeps the entries read
  // before it and reports its number.
  VocabularyLoad Load(store::LookupList list);

  // The entries replace the list file in one step (Store::ReplaceListFile).
  // Saved: "登録終了。"; otherwise the file keeps the old list and the
  // warning says so and why (NotSavedMessage of `caption`).
  Outcome Save(store::LookupList list, std::string_view caption,
               const std::vector<std::string>& entries);

  // The warning of a failed save for a failure's run-time error number.
  static std::string NotSavedMessage(std::string_view caption, int error);

 private:
  bool ListOpen(store::LookupList list) const;

  store::Store& store_;
};

}  // namespace sessions
