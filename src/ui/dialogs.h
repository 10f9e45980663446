// The two dialogs that are the whole user interface, one per mode.
#pragma once

#include <windows.h>

// Both answer every message with FALSE and end the dialog with 0.
INT_PTR CALLBACK SplitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK JoinDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
