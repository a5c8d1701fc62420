#include "sessions/outcome.h"

namespace sessions {

void Show(platform::Ui& ui, const Outcome& outcome) {
  for (const Message& m : outcome.messages) ui.MsgBox(m.text, m.style);
}

bool Held(const store::Store::DriveScope& held, Outcome& outcome) {
  if (!held && held.status().error != platform::kPermissionDenied) outcome.SayError(held.status());
  return static_cast<bool>(held);
}

}  // namespace sessions
