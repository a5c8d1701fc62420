#include "sessions/outcome.h"

namespace sessions {

void Show(platform::Ui& ui, const Outcome& outcome) {
  for (const Message& m : outcome.messages) ui.MsgBox(m.text, m.style);
}

}  // namespace sessions
