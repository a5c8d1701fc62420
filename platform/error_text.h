#pragma once

#include <string>

namespace platform {

// A run-time error number as the user is shown it: the number the system
// has always shown, followed by its meaning ("61：ディスクがいっぱいです。").
// A number without a meaning in the table is shown alone.
std::string ErrorText(int errorNumber);

// The meaning alone ("ディスクがいっぱいです。"); empty for a number not in the table.
std::string ErrorMeaning(int errorNumber);

}  // namespace platform
