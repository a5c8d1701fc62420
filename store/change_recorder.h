#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/history.h"
#include "store/store.h"

namespace store {

// The one place where every write of the sessions records its change, just
// before the change is made: the entry is in the history (forced to the
// disk) and the files the change will replace or remove are kept beside it.
//
//   ChangeEntry entry{...};
//   if (Status s = RecordChange(store, entry, {picture}); !s.ok()) refuse;
//   make the change;
//   if it was not made: ChangeNotMade(store);
//
// When the machine stops between the entry and the change, the next use of
// the history finds the last entry's change not made (its record is not as
// the entry says) and takes the entry back: the data and the history always
// agree.

// Opens the history of the store's drive, taking back a last entry whose
// change was not made.
[[nodiscard]] Status OpenChanges(Store& store);

// Copies each of `keep` (paths of files that exist; a missing one is left
// out) beside the history under the next entry's name ("E000123.JPG", and
// "E000123.DATA" for the data file; "E000123-<name>" when there are many),
// fills in `entry.kept`, and appends `entry`. On failure nothing is kept and
// nothing is appended: the change must not be made.
[[nodiscard]] Status RecordChange(Store& store, ChangeEntry& entry,
                                  const std::vector<std::string>& keep = {});

// The change of the last entry was not made after all: the entry goes.
void ChangeNotMade(Store& store);

// After a change that failed: its entry stays only when the change was made.
void SettleChange(Store& store, const ChangeEntry& entry);

// Whether the change of `entry` (the last one) is what the files hold.
bool ChangeMade(Store& store, const ChangeEntry& entry);

}  // namespace store
