// The about dialog, shown when the host asks the saver to configure itself.
#pragma once

#include <windows.h>

#include <cstdint>

// Shows the modal about dialog (template 2003) owned by owner, or unowned when owner is null. Returns 1
// after OK, 2 after Esc or the close box, or DialogBoxParamA's failure value.
int32_t ShowAboutDialog(HWND owner);

// Registers window classes the dialog needs; it uses only standard controls, so this does nothing.
int32_t DialogClassHook(HINSTANCE instance);

INT_PTR CALLBACK AboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
