// Start-up of the Windows program and the services its dialogs share.
#pragma once

#include <windows.h>

// The program's instance; both dialogs and the icon are loaded through it.
extern HINSTANCE gInstance;

// Runs the dialog that the program file's name selects; returns 0 when it
// has ended.
int ProgramEntry(HINSTANCE instance);
// Makes the program's icon the class icon of `dialog`.
void SetDialogIcon(HWND dialog);
