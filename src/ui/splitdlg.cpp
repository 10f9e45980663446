#include "app/program.h"
#include "partset/pathpieces.h"
#include "resources/resource.h"
#include "split/split.h"
#include "ui/dialogs.h"

#include <commdlg.h>

// Marks "&1.44 MB" and keeps the program file that part 0 will carry.
static void InitSplitDialog(HWND dialog)
{
    CheckDlgButton(dialog, IDC_SLICE_144, BST_CHECKED);
    OwnProgramPath(gProgramPath);
}

// Lets the user pick the source; shows the choice lowercased, or nothing
// when the chooser was cancelled. The chooser leaves the current directory
// in the chosen file's folder, where the parts are written.
static void ChooseSourceFile(HWND dialog)
{
    char name[PathBufferSize] = "";
    OPENFILENAMEA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = dialog;
    chooser.lpstrTitle = "Select File";
    chooser.lpstrFilter = "All Files\0*.*\0ZIP Files\0*.zip\0EXE Files\0*.exe\0";
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = name;
    chooser.nMaxFile = sizeof name;
    chooser.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
    GetOpenFileNameA(&chooser);
    SetDlgItemTextA(dialog, IDC_SOURCE_PATH, LowercaseAscii(name));
}

// The slice choice that is marked.
static SliceChoice MarkedSlice(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_SLICE_360) == BST_CHECKED)
        return Slice360;
    if (IsDlgButtonChecked(dialog, IDC_SLICE_720) == BST_CHECKED)
        return Slice720;
    if (IsDlgButtonChecked(dialog, IDC_SLICE_USER) == BST_CHECKED)
        return SliceUser;
    return Slice144;
}

// Splits the shown file with the marked choice; ends the dialog only when
// every part was written.
static void OnSplit(HWND dialog)
{
    char sourcePath[PathBufferSize] = "";
    char userSize[128] = "";
    GetDlgItemTextA(dialog, IDC_SOURCE_PATH, sourcePath, sizeof sourcePath);
    SliceChoice choice = MarkedSlice(dialog);
    if (choice == SliceUser)
        GetDlgItemTextA(dialog, IDC_USER_KB, userSize, sizeof userSize);
    if (SplitFile(sourcePath, choice, userSize, reinterpret_cast<Owner>(dialog)) == SplitDone)
        EndDialog(dialog, 0);
}

INT_PTR CALLBACK SplitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDialogIcon(dialog);
        InitSplitDialog(dialog);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CHOOSE_FILE:
            ChooseSourceFile(dialog);
            break;
        case IDC_SLICE_USER:
            SetFocus(GetDlgItem(dialog, IDC_USER_KB));
            break;
        case IDOK:
            OnSplit(dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        }
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_CLOSE)
            EndDialog(dialog, 0);
        break;
    }
    return FALSE;
}
