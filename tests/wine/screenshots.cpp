// Pictures of the dialogs for the README, taken from the screen under Wine:
// a notice over the split dialog, the split dialog with a chosen file, and
// the join dialog of the set it made. Stages the set in the scratch folder,
// whose name the pictures show, and writes split-notice.bmp,
// split-dialog.bmp and join-dialog.bmp there.
#include "cases.h"
#include "flows.h"

namespace {

// Writes the screen's pixels inside `area` to a 24-bit BMP file.
bool SaveScreenArea(const RECT& area, const std::string& path)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = area.right - area.left;
    header.biHeight = area.bottom - area.top;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const std::string pixels = ScreenPixels(area);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    return !pixels.empty() && WriteWholeFile(path, bytes + pixels);
}

// Saves the window and, when given, a second one over it, once both have
// had time to paint.
bool SaveWindows(HWND window, HWND over, const std::string& path)
{
    Sleep(700);
    RECT area, second;
    GetWindowRect(window, &area);
    if (over && GetWindowRect(over, &second))
        UnionRect(&area, &area, &second);
    InflateRect(&area, 8, 8);
    return SaveScreenArea(area, path);
}

} // namespace

// Stages a set and saves the three pictures.
void TakeScreenshots(const CaseContext& context)
{
    SplitStage stage;
    if (!StageSplit(context, context.scratch, 3000000, 5, &stage))
        return;
    {
        Program program;
        if (!StartProgram(stage.program, "", stage.tool, &program))
            return;
        HWND dialog = WaitForMainDialog(program);
        if (!dialog)
            return;
        Click(dialog, IDOK);
        HWND box = WaitForOwnedWindow(program, dialog, 20000);
        if (!Expect(box != nullptr, "no notice appeared"))
            return;
        SaveWindows(dialog, box, InFolder(context.scratch, "split-notice.bmp"));
        Click(box, IDOK);
        for (int wait = 0; IsWindow(box) && wait < 200; ++wait)
            Sleep(50);
        if (!ChooseSource(program, dialog, stage))
            return;
        SaveWindows(dialog, nullptr, InFolder(context.scratch, "split-dialog.bmp"));
        Click(dialog, IDCANCEL);
        ExpectProgramEnds(program, "\"&Cancel\"");
    }
    if (!SplitThroughDialog(stage, {0, nullptr, false}))
        return;
    Program program;
    if (!StartProgram(InFolder(stage.data, PartName("movie", 0)), "", stage.data, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog)
        return;
    SaveWindows(dialog, nullptr, InFolder(context.scratch, "join-dialog.bmp"));
    Click(dialog, IDCANCEL);
    ExpectProgramEnds(program, "\"&Cancel\"");
}
