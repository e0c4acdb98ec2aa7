#pragma once
// Runs a window model as a real modal dialog: the dialog comes from a
// resource template whose control ids are the model's, the driver shows the
// model's control state and routes what the person does back to the model.

#include <windows.h>

#include "host/Window.h"

namespace kx {

struct DialogBinding;

// Shows `window` from the dialog template of `binding` in `module`, owned
// by `owner`, until the window ends; gives its result. -1 when the dialog
// cannot be created (the window is then closed as cancelled).
int RunWindowDialog(Window& window, HINSTANCE module, const DialogBinding& binding, HWND owner);

// The innermost dialog this thread is running, or null: the owner of the
// message boxes and file dialogs a window opens.
HWND InnermostDialog();

}  // namespace kx
