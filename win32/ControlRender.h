#pragma once
// What the window driver shows of a window model: each control of a dialog
// made from the model's state, changed only where it differs from what was
// shown last, and the menu's check marks and captions.

#include <windows.h>

#include <string>

#include "host/Window.h"

namespace kx {

enum class ControlKind {
    Other,
    PushButton,
    CheckButton,
    GroupBox,
    Edit,
    Static,
    Slider,
    Spinner,
    ListView,
    TreeView,
    ComboBox,
    ListBox,
    StatusBar
};

// The control's kind, from its window class and style.
ControlKind KindOf(HWND control);

std::string WindowText(HWND hwnd);

bool IsEditableCombo(HWND combo);

// One control of a running dialog and what was last shown of it.
struct ShownControl {
    HWND hwnd = nullptr;
    ControlKind kind = ControlKind::Other;
    ControlState state;
    bool first = true;
};

// Shows `want` where it differs from what `shown` last showed (all of it
// the first time).
void RenderControl(ShownControl& shown, const ControlState& want);

// A menu item of `window`'s menu.
bool IsMenuCommand(HMENU menu, const Window& window, int id);
// The menu's check marks, states and captions from the window's controls.
void RenderMenu(HMENU menu, const Window& window);

}  // namespace kx
