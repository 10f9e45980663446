#include "app/program.h"
#include "join/join.h"
#include "resources/resource.h"
#include "ui/dialogs.h"

// Shows what the running part set holds and how many of its parts are at
// hand; leaves "&Unsplit" enabled only when joining is allowed.
static void InitJoinDialog(HWND dialog)
{
    const PartSetSurvey survey = SurveyPartSet();
    if (survey.trailerRead) {
        SetDlgItemTextA(dialog, IDC_INFO_NAME, survey.trailer.sourcePath);
        SetDlgItemInt(dialog, IDC_INFO_SIZE, static_cast<UINT>(survey.trailer.sourceSize), FALSE);
        SetDlgItemInt(dialog, IDC_INFO_PARTS, static_cast<UINT>(survey.trailer.lastPartIndex), FALSE);
        SetDlgItemInt(dialog, IDC_INFO_FOUND, static_cast<UINT>(survey.presentCount), FALSE);
    }
    if (!survey.joinAllowed)
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
}

INT_PTR CALLBACK JoinDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDialogIcon(dialog);
        InitJoinDialog(dialog);
        break;
    case WM_COMMAND:
        if (wParam == IDOK) {
            JoinParts(reinterpret_cast<Owner>(dialog));
            EndDialog(dialog, 0);
        } else if (wParam == IDCANCEL) {
            EndDialog(dialog, 0);
        }
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_CLOSE)
            EndDialog(dialog, 0);
        break;
    }
    return FALSE;
}
