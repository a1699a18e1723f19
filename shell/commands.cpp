#include "shell/commands.h"

#include "shell/progress.h"

namespace {

// One entry per command family: the handler returns non-zero when it took the id.
using CommandHandler = int (*)(WindowHandle window, int commandId);

// The families register here as their features arrive.
constexpr CommandHandler kCommandHandlers[] = {nullptr};

}  // namespace

int OnMainCommand(WindowHandle window, int commandId) {
  if (gProgressDlg != nullptr) return 0;
  for (CommandHandler handler : kCommandHandlers) {
    if (handler != nullptr && handler(window, commandId) != 0) {
      UpdateMenuStates();
      return 1;
    }
  }
  return 0;
}

void UpdateMenuStates() {}
