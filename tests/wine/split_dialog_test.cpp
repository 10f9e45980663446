// Split mode under Wine, through the real dialog and the real file chooser.
#include "cases.h"
#include "flows.h"

#include <stdio.h>

#include <set>

static const int ChooserNameField = 1148;
static const int ChooserFilterList = 1136;
static const int ChooserReadOnlyBox = 1040;
static const char RangeNotice[] = "Size must be between 10 KB and 2880 KB";
static const char InputNotice[] = "Unable to open input file, Please select a file to split.";

// Checks that nothing of the set was written in either folder.
static void ExpectNoParts(const SplitStage& stage)
{
    Expect(PartLengths(stage.data, "movie").empty() && PartLengths(stage.tool, "movie").empty(),
           "a refused split left parts on disk");
}

// Checks the dialog's choices after a failed split.
static void ExpectChoicesKept(HWND dialog, const std::string& shownPath, int radio, const char* userText)
{
    ExpectText(ItemText(dialog, IDC_SOURCE_PATH), shownPath, "source path after a failed split");
    Expect(IsItemChecked(dialog, radio), "slice choice %d is no longer marked after a failed split", radio);
    ExpectText(ItemText(dialog, IDC_USER_KB), userText, "size box after a failed split");
    Expect(IsWindowEnabled(dialog) != 0, "the dialog is not enabled again after the notice");
}

// The chooser: title, filters, options, a choice shown lowercased, and a
// cancel that empties the path, which then gets the input notice.
void SplitFileChooser(const CaseContext& context)
{
    SplitStage stage;
    Program program;
    if (!StageSplit(context, context.scratch, 2000000, 1, &stage) ||
        !StartProgram(stage.program, "", stage.tool, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog)
        return;

    HWND chooser = OpenFileChooser(program, dialog);
    if (!chooser)
        return;
    HWND filters = GetDlgItem(chooser, ChooserFilterList);
    static const char* const Filters[] = {"All Files", "ZIP Files", "EXE Files"};
    if (Expect(filters != nullptr, "the chooser has no filter list")) {
        ExpectNumber(SendMessageA(filters, CB_GETCOUNT, 0, 0), 3, "filters in the chooser");
        for (int i = 0; i < 3; ++i) {
            wchar_t wide[256] = L"";
            SendMessageW(filters, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
            char text[256] = "";
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
            ExpectText(text, Filters[i], ("filter " + std::to_string(i + 1)).c_str());
        }
        ExpectNumber(SendMessageA(filters, CB_GETCURSEL, 0, 0), 0, "filter in effect");
    }
    HWND readOnly = GetDlgItem(chooser, ChooserReadOnlyBox);
    Expect(!readOnly || !IsWindowVisible(readOnly), "the chooser shows its read-only box");

    HWND field = GetDlgItem(chooser, ChooserNameField);
    const std::string missing = "Missing.avi";
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(missing.c_str()));
    Click(chooser, IDOK);
    HWND refusal = WaitForOwnedWindow(program, chooser, 20000);
    if (Expect(refusal != nullptr, "the chooser accepted a file that does not exist"))
        Click(refusal, IDOK);
    for (int wait = 0; refusal && IsWindow(refusal) && wait < 400; ++wait)
        Sleep(50);
    Expect(IsWindow(chooser) && IsWindowVisible(chooser), "the chooser closed on a file that does not exist");
    Click(chooser, IDCANCEL);
    ExpectText(WaitForItemText(dialog, IDC_SOURCE_PATH, "", 5000), "", "source path after a cancelled chooser");

    ChooseSource(program, dialog, stage);
    if (CancelFileChooser(program, dialog))
        ExpectText(WaitForItemText(dialog, IDC_SOURCE_PATH, "", 5000), "", "source path after cancelling a choice");

    Click(dialog, IDOK);
    Notice notice;
    if (TakeNotice(program, dialog, &notice))
        ExpectNotice(notice, InputNotice, "Parvolin", true);
    ExpectProgramRuns(program, "after a split without a source");
    ExpectChoicesKept(dialog, "", IDC_SLICE_144, "");
    ExpectNoParts(stage);
    Click(dialog, IDCANCEL);
    ExpectProgramEnds(program, "\"&Cancel\"");
}

// Each slice choice, pressed by click or by Enter, writes its set into
// the chosen file's folder and ends the dialog.
void SplitSliceChoices(const CaseContext& context)
{
    struct Row {
        const char* name;
        SliceSetting setting;
        size_t sourceSize;
        int64_t sliceKb;
    };
    static const Row Rows[] = {
        {"&360 KB", {IDC_SLICE_360, nullptr, false}, 700000, 320},
        {"&720 KB", {IDC_SLICE_720, nullptr, false}, 1500000, 680},
        {"&1.44 MB as marked at start, one byte over a slice", {0, nullptr, false}, 1433601, 1400},
        {"&User Defined 2880", {IDC_SLICE_USER, "2880", false}, 3100000, 2880},
        {"&User Defined 10, surplus parts", {IDC_SLICE_USER, "10", false}, 100000, 10},
        {"&User Defined \"  25\" and Enter", {IDC_SLICE_USER, "  25", true}, 100000, 25},
    };
    uint32_t seed = 0;
    for (const Row& row : Rows) {
        printf("slice choice %s\n", row.name);
        SplitStage stage;
        const std::string folder = InFolder(context.scratch, std::to_string(++seed));
        if (!StageSplit(context, folder, row.sourceSize, seed, &stage) || !SplitThroughDialog(stage, row.setting))
            continue;
        ExpectPartSet(stage.data, stage, row.sliceKb * 1024);
        Expect(PartLengths(stage.tool, "movie").empty(), "parts were written into the program's folder");
    }
}

// Each refusal shows its notice before any part is written and keeps the
// dialog open with every choice as it was.
void SplitRefusals(const CaseContext& context)
{
    struct Row {
        const char* name;
        size_t sourceSize;
        SliceSetting setting;
        const char* notice;
        bool stopIcon;
    };
    static const Row Rows[] = {
        {"no source", 0, {0, nullptr, false}, InputNotice, true},
        {"no source and size 5", 0, {IDC_SLICE_USER, "5", false}, RangeNotice, false},
        {"empty size", 100000, {IDC_SLICE_USER, "", false}, RangeNotice, false},
        {"size abc", 100000, {IDC_SLICE_USER, "abc", false}, RangeNotice, false},
        {"size -15", 100000, {IDC_SLICE_USER, "-15", false}, RangeNotice, false},
        {"size 9", 100000, {IDC_SLICE_USER, "9", false}, RangeNotice, false},
        {"size 2881 by Enter", 100000, {IDC_SLICE_USER, "2881", true}, RangeNotice, false},
        {"size 4294967306", 100000, {IDC_SLICE_USER, "4294967306", false}, RangeNotice, false},
        {"source of exactly one slice", 1433600, {0, nullptr, false}, "File is too small to split!!", true},
        {"source smaller than 320 KB", 300000, {IDC_SLICE_360, nullptr, false}, "File is too small to split!!", true},
    };
    uint32_t seed = 0;
    for (const Row& row : Rows) {
        printf("refusal: %s\n", row.name);
        SplitStage stage;
        Program program;
        const std::string folder = InFolder(context.scratch, std::to_string(++seed));
        if (!StageSplit(context, folder, row.sourceSize, seed, &stage) ||
            !StartProgram(stage.program, "", stage.tool, &program))
            continue;
        HWND dialog = WaitForMainDialog(program);
        if (!dialog)
            continue;
        const std::string shown = row.sourceSize != 0 ? stage.shownSource : "";
        if (row.sourceSize != 0 && !ChooseSource(program, dialog, stage))
            continue;
        MarkSlice(program, dialog, row.setting);
        PressSplit(dialog, row.setting);
        Notice notice;
        if (TakeNotice(program, dialog, &notice))
            ExpectNotice(notice, row.notice, "Parvolin", row.stopIcon);
        ExpectProgramRuns(program, row.name);
        ExpectChoicesKept(dialog, shown, row.setting.radio ? row.setting.radio : IDC_SLICE_144,
                          row.setting.userText ? row.setting.userText : "");
        ExpectNoParts(stage);
        CloseByTitleBar(dialog);
        ExpectProgramEnds(program, "the close command");
    }
}

// A part that cannot be created stops the split silently with the parts
// before it kept; a second attempt then succeeds.
void SplitPartNotCreated(const CaseContext& context)
{
    SplitStage stage;
    Program program;
    const std::string blocker = InFolder(InFolder(context.scratch, "Data"), "movie_03");
    if (!StageSplit(context, context.scratch, 100000, 7, &stage) || !MakeFolder(blocker) ||
        !StartProgram(stage.program, "", stage.tool, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog || !ChooseSource(program, dialog, stage))
        return;
    const SliceSetting setting = {IDC_SLICE_USER, "10", false};
    MarkSlice(program, dialog, setting);
    Expect(ClickAndWait(dialog, IDOK, 30000), "the split did not return to the dialog");
    ExpectNoNotice(program, dialog, "a part that cannot be created");
    ExpectProgramRuns(program, "a part that cannot be created");
    const int32_t lastPartIndex = ExpectedLastPartIndex(stage.stubBytes.size(), stage.sourceBytes.size(), 10 * 1024);
    ExpectText(ItemText(dialog, IDC_STATUS), "Processing 3/" + std::to_string(lastPartIndex),
               "status after the third part");
    ExpectNumber(static_cast<int64_t>(PartLengths(stage.data, "movie").size()), 3, "parts kept before movie_03");
    ExpectChoicesKept(dialog, stage.shownSource, IDC_SLICE_USER, "10");

    Expect(RemoveDirectoryA(blocker.c_str()) != 0, "cannot remove %s", blocker.c_str());
    Click(dialog, IDOK);
    if (ExpectEndWithoutNotice(program, dialog, "the second attempt"))
        ExpectPartSet(stage.data, stage, 10 * 1024);
}

// A full disk gets the write notice and leaves the dialog open.
void SplitFullDisk(const CaseContext& context)
{
    SplitStage stage;
    stage.tool = InFolder(context.scratch, "tool");
    stage.data = InFolder(context.scratch, "disk");
    stage.program = InFolder(stage.tool, "parvolin.exe");
    stage.source = InFolder(stage.data, "Movie.AVI");
    stage.shownSource = LowercaseAscii(stage.source);
    Program program;
    if (!Expect(FileExists(stage.source), "the small disk holds no Movie.AVI; run this case through full-disk.sh") ||
        !MakeEmptyFolder(stage.tool) || !CopyWholeFile(context.program, stage.program) ||
        !StartProgram(stage.program, "", stage.tool, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog || !ChooseSource(program, dialog, stage))
        return;
    Click(dialog, IDOK);
    Notice notice;
    if (TakeNotice(program, dialog, &notice))
        ExpectNotice(notice, "Unable to write movie_00.exe, the disk may be full.", "Parvolin", true);
    ExpectProgramRuns(program, "a full disk");
    ExpectChoicesKept(dialog, stage.shownSource, IDC_SLICE_144, "");
    Expect(FileExists(InFolder(stage.data, "movie_00.exe")), "movie_00.exe, written in part, was removed");
    Click(dialog, IDCANCEL);
    ExpectProgramEnds(program, "\"&Cancel\"");
}

// The status line is seen to change on screen while a long split runs.
void SplitStatusRepaints(const CaseContext& context)
{
    SplitStage stage;
    Program program;
    if (!StageSplit(context, context.scratch, 20000000, 61, &stage) ||
        !StartProgram(stage.program, "", stage.tool, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog || !ChooseSource(program, dialog, stage))
        return;
    MarkSlice(program, dialog, {IDC_SLICE_USER, "10", false});
    HWND status = GetDlgItem(dialog, IDC_STATUS);
    RECT area;
    GetWindowRect(status, &area);
    const int32_t lastPartIndex = ExpectedLastPartIndex(stage.stubBytes.size(), stage.sourceBytes.size(), 10 * 1024);
    const std::string finalText =
        "Processing " + std::to_string(lastPartIndex + 1) + "/" + std::to_string(lastPartIndex);
    std::set<std::string> picturesDuringSplit;
    std::set<std::string> textsDuringSplit;
    Click(dialog, IDOK);
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(program.info.hProcess, 5) == WAIT_TIMEOUT) {
        if (OwnedWindowNow(program, dialog) || GetTickCount() - start > 120000) {
            ExpectNoNotice(program, dialog, "a long split");
            Fail("the long split did not end");
            return;
        }
        const std::string text = StoredWindowText(status);
        if (text.rfind("Processing ", 0) != 0 || text == finalText)
            continue;
        const std::string pixels = ScreenPixels(area);
        if (StoredWindowText(status) == finalText)
            continue;
        textsDuringSplit.insert(text);
        picturesDuringSplit.insert(pixels);
    }
    printf("%zu status texts and %zu different pictures of the status line seen during the split\n",
           textsDuringSplit.size(), picturesDuringSplit.size());
    Expect(textsDuringSplit.size() >= 3, "the split ended before its progress could be watched");
    Expect(picturesDuringSplit.size() >= 3, "the status line was not repainted while the split ran");
    ExpectProgramEnds(program, "a split that should succeed");
    ExpectNumber(static_cast<int64_t>(PartLengths(stage.data, "movie").size()), lastPartIndex + 1, "files in the set");
}
