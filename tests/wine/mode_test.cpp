// Start-up under Wine: the file name picks the dialog, both dialogs open
// as their templates say and end on "&Cancel" and on the close command.
#include "cases.h"
#include "flows.h"

// Each program file name opens its dialog whatever the command line says,
// and the dialog ends on "&Cancel" or the close command.
void ModeByFileName(const CaseContext& context)
{
    struct Row {
        const char* fileName;
        const char* arguments;
        bool splits;
        bool closeByTitleBar;
    };
    static const Row Rows[] = {
        {"parvolin.exe", "", true, false},
        {"Parvolin.exe", "", true, true},
        {"PARVOLIN.EXE", "movie_00.exe /join", true, false},
        {"parvolin (2).exe", "", false, false},
        {"parvolin_00.exe", "", false, true},
        {"movie_00.exe", "parvolin.exe /split", false, false},
    };
    int folderNumber = 0;
    for (const Row& row : Rows) {
        const std::string folder = InFolder(context.scratch, std::to_string(++folderNumber));
        const std::string exe = InFolder(folder, row.fileName);
        Program program;
        if (!MakeEmptyFolder(folder) || !CopyWholeFile(context.program, exe) ||
            !StartProgram(exe, row.arguments, folder, &program))
            continue;
        HWND dialog = WaitForMainDialog(program);
        if (!dialog)
            continue;
        const bool isSplit = GetDlgItem(dialog, IDC_CHOOSE_FILE) && IsWindow(GetDlgItem(dialog, IDC_SLICE_USER));
        const bool isJoin = GetDlgItem(dialog, IDC_INFO_NAME) && IsWindow(GetDlgItem(dialog, IDC_INFO_FOUND));
        Expect(row.splits ? isSplit && !isJoin : isJoin && !isSplit, "%s %s opened the %s dialog, expected the %s one",
               row.fileName, row.arguments,
               isSplit  ? "split"
               : isJoin ? "join"
                        : "unknown",
               row.splits ? "split" : "join");
        if (row.closeByTitleBar)
            CloseByTitleBar(dialog);
        else
            Click(dialog, IDCANCEL);
        ExpectProgramEnds(program, row.closeByTitleBar ? "the close command" : "\"&Cancel\"");
    }
}

// The split dialog opens with "&1.44 MB" marked and nothing chosen.
void SplitDialogOpens(const CaseContext& context)
{
    SplitStage stage;
    Program program;
    if (!StageSplit(context, context.scratch, 0, 0, &stage) || !StartProgram(stage.program, "", stage.tool, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog)
        return;
    Expect(!WindowText(dialog).empty(), "the split dialog has no caption");
    MarkSlice(program, dialog, {0, nullptr, false});
    ExpectText(ItemText(dialog, IDC_SOURCE_PATH), "", "source path at start");
    ExpectText(ItemText(dialog, IDC_USER_KB), "", "size box at start");
    Expect(!ItemText(dialog, IDC_STATUS).empty(), "the status line is empty at start");
    Click(dialog, IDCANCEL);
    ExpectProgramEnds(program, "\"&Cancel\"");
}

// A program without a set, run as movie_00.exe, shows an empty set that may
// be joined, and the join reports the output it cannot create.
void JoinDialogWithoutSet(const CaseContext& context)
{
    const std::string exe = InFolder(context.scratch, "movie_00.exe");
    Program program;
    if (!MakeEmptyFolder(context.scratch) || !CopyWholeFile(context.program, exe) ||
        !StartProgram(exe, "", context.scratch, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog)
        return;
    Expect(WindowText(dialog).rfind("UnParvolin", 0) == 0, "join dialog caption \"%s\" does not begin with UnParvolin",
           WindowText(dialog).c_str());
    ExpectText(ItemText(dialog, IDC_INFO_NAME), "", "File Name of a program without a set");
    ExpectText(ItemText(dialog, IDC_INFO_SIZE), "0", "File Size of a program without a set");
    ExpectText(ItemText(dialog, IDC_INFO_PARTS), "0", "Parts of a program without a set");
    ExpectText(ItemText(dialog, IDC_INFO_FOUND), "0", "Found of a program without a set");
    Expect(IsItemEnabled(dialog, IDOK), "\"&Unsplit\" is disabled for a program without a set");
    Expect(IsItemEnabled(dialog, IDCANCEL), "\"&Cancel\" is disabled");
    Click(dialog, IDOK);
    Notice notice;
    if (TakeNotice(program, dialog, &notice))
        ExpectNotice(
            notice, "Unable to open output file, make sure there is no file with the same name in the output directory",
            "UnParvolin", true);
    ExpectProgramEnds(program, "a join that could not create its output");
    Expect(!FileExists(InFolder(context.scratch, "parvolin.exe")), "parvolin.exe was written without an output");
}
