#include "app/program.h"

#include "app/mode.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "ui/dialogs.h"

HINSTANCE gInstance;

int ProgramEntry(HINSTANCE instance)
{
    gInstance = instance;
    char path[PathBufferSize] = "";
    OwnProgramPath(path);
    if (ModeForProgram(path) == SplitMode)
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SPLIT), nullptr, SplitDlgProc, 0);
    else
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_JOIN), nullptr, JoinDlgProc, 0);
    return 0;
}

void SetDialogIcon(HWND dialog)
{
    HICON icon = LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ProgramEntry(instance);
}
