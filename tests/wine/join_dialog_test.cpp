// Join mode under Wine: a set made through the split dialog, copied into
// another folder and joined by running its part 0 there.
#include "cases.h"
#include "flows.h"

namespace {

// A split made through the dialog and its parts copied into `joinFolder`.
struct JoinStage {
    SplitStage split;
    std::string joinFolder;
    std::string partZero;
    int32_t lastPartIndex = 0;
};

// Splits a source of `sourceSize` bytes with `setting` and copies every
// part of the set into a fresh folder "join".
bool StageJoin(const CaseContext& context, const std::string& folder, size_t sourceSize, uint32_t seed,
               const SliceSetting& setting, int64_t sliceBytes, JoinStage* stage)
{
    if (!StageSplit(context, folder, sourceSize, seed, &stage->split) || !SplitThroughDialog(stage->split, setting))
        return false;
    stage->joinFolder = InFolder(folder, "join");
    stage->partZero = InFolder(stage->joinFolder, PartName("movie", 0));
    stage->lastPartIndex =
        ExpectedLastPartIndex(stage->split.stubBytes.size(), stage->split.sourceBytes.size(), sliceBytes);
    if (!MakeEmptyFolder(stage->joinFolder))
        return false;
    for (int32_t index = 0; index <= stage->lastPartIndex; ++index)
        if (!CopyWholeFile(InFolder(stage->split.data, PartName("movie", index)),
                           InFolder(stage->joinFolder, PartName("movie", index))))
            return false;
    return true;
}

// Checks the four fields and the two buttons of an open join dialog.
void ExpectJoinFields(HWND dialog, const std::string& name, const std::string& size, const std::string& parts,
                      const std::string& found, bool unsplitEnabled)
{
    Expect(WindowText(dialog).rfind("UnParvolin", 0) == 0, "join dialog caption \"%s\" does not begin with UnParvolin",
           WindowText(dialog).c_str());
    ExpectText(ItemText(dialog, IDC_INFO_NAME), name, "File Name");
    ExpectText(ItemText(dialog, IDC_INFO_SIZE), size, "File Size");
    ExpectText(ItemText(dialog, IDC_INFO_PARTS), parts, "Parts");
    ExpectText(ItemText(dialog, IDC_INFO_FOUND), found, "Found");
    Expect(IsItemEnabled(dialog, IDOK) == unsplitEnabled, "\"&Unsplit\" is %s",
           unsplitEnabled ? "disabled" : "enabled");
    Expect(IsItemEnabled(dialog, IDCANCEL), "\"&Cancel\" is disabled");
}

// The fields a complete set of the stage shows.
void ExpectCompleteSetFields(HWND dialog, const JoinStage& stage)
{
    const std::string parts = std::to_string(stage.lastPartIndex);
    ExpectJoinFields(dialog, stage.split.shownSource, std::to_string(stage.split.sourceBytes.size()), parts, parts,
                     true);
}

// Checks what a whole join leaves in the join folder.
void ExpectJoined(const JoinStage& stage)
{
    std::string output, tool;
    if (ReadWholeFile(InFolder(stage.joinFolder, "movie.avi"), &output))
        Expect(output == stage.split.sourceBytes, "movie.avi (%zu bytes) is not the source (%zu bytes)", output.size(),
               stage.split.sourceBytes.size());
    if (ReadWholeFile(InFolder(stage.joinFolder, "parvolin.exe"), &tool))
        Expect(tool == stage.split.stubBytes, "parvolin.exe (%zu bytes) is not the program that made the set",
               tool.size());
}

// Runs `exe` in the stage's join folder and returns its dialog.
HWND OpenJoinDialog(const JoinStage& stage, const std::string& exe, Program* program)
{
    if (!StartProgram(exe, "", stage.joinFolder, program))
        return nullptr;
    return WaitForMainDialog(*program);
}

const SliceSetting UserTenKb = {IDC_SLICE_USER, "10", false};

} // namespace

// Sets of each kind join back into the source and the program.
void JoinRoundTrip(const CaseContext& context)
{
    struct Row {
        const char* name;
        SliceSetting setting;
        int64_t sliceKb;
        size_t sourceSize;
        bool oldFilesFirst;
    };
    static const Row Rows[] = {
        {"&1.44 MB", {0, nullptr, false}, 1400, 3000000, false},
        {"&User Defined 10 with empty surplus parts", UserTenKb, 10, 100000, false},
        {"&360 KB over an old movie.avi and parvolin.exe", {IDC_SLICE_360, nullptr, false}, 320, 700000, true},
    };
    uint32_t seed = 10;
    for (const Row& row : Rows) {
        printf("round trip: %s\n", row.name);
        JoinStage stage;
        Program program;
        const std::string folder = InFolder(context.scratch, std::to_string(++seed));
        if (!StageJoin(context, folder, row.sourceSize, seed, row.setting, row.sliceKb * 1024, &stage))
            continue;
        if (row.oldFilesFirst && !(WriteWholeFile(InFolder(stage.joinFolder, "movie.avi"), PatternBytes(5000000, 99)) &&
                                   WriteWholeFile(InFolder(stage.joinFolder, "parvolin.exe"), "old tool")))
            continue;
        HWND dialog = OpenJoinDialog(stage, stage.partZero, &program);
        if (!dialog)
            continue;
        ExpectCompleteSetFields(dialog, stage);
        Click(dialog, IDOK);
        if (ExpectEndWithoutNotice(program, dialog, "a join of a complete set"))
            ExpectJoined(stage);
    }
}

// A missing part disables "&Unsplit"; "&Cancel" and the close command end
// the dialog without writing anything.
void JoinMissingPart(const CaseContext& context)
{
    JoinStage stage;
    if (!StageJoin(context, context.scratch, 100000, 21, UserTenKb, 10 * 1024, &stage) ||
        !RemoveFile(InFolder(stage.joinFolder, PartName("movie", 2))))
        return;
    const std::string parts = std::to_string(stage.lastPartIndex);
    const std::string found = std::to_string(stage.lastPartIndex - 1);
    for (bool byTitleBar : {false, true}) {
        Program program;
        HWND dialog = OpenJoinDialog(stage, stage.partZero, &program);
        if (!dialog)
            return;
        ExpectJoinFields(dialog, stage.split.shownSource, "100000", parts, found, false);
        if (byTitleBar)
            CloseByTitleBar(dialog);
        else
            Click(dialog, IDCANCEL);
        ExpectProgramEnds(program, byTitleBar ? "the close command" : "\"&Cancel\"");
    }
    Expect(!FileExists(InFolder(stage.joinFolder, "movie.avi")) &&
               !FileExists(InFolder(stage.joinFolder, "parvolin.exe")),
           "an incomplete set that was not joined left files behind");
}

// A part 0 under another name still joins whole.
void JoinRenamedPartZero(const CaseContext& context)
{
    JoinStage stage;
    const std::string renamed = InFolder(context.scratch, "join\\movie_00 (1).exe");
    if (!StageJoin(context, context.scratch, 3000000, 31, {0, nullptr, false}, 1400 * 1024, &stage) ||
        !Expect(MoveFileA(stage.partZero.c_str(), renamed.c_str()) != 0, "cannot rename part 0"))
        return;
    Program program;
    HWND dialog = OpenJoinDialog(stage, renamed, &program);
    if (!dialog)
        return;
    ExpectCompleteSetFields(dialog, stage);
    Click(dialog, IDOK);
    if (ExpectEndWithoutNotice(program, dialog, "a join from a renamed part 0"))
        ExpectJoined(stage);
}

// A part removed after the survey stops the join with its notice.
void JoinPartVanishes(const CaseContext& context)
{
    JoinStage stage;
    Program program;
    if (!StageJoin(context, context.scratch, 100000, 41, UserTenKb, 10 * 1024, &stage))
        return;
    HWND dialog = OpenJoinDialog(stage, stage.partZero, &program);
    if (!dialog)
        return;
    ExpectCompleteSetFields(dialog, stage);
    if (!RemoveFile(InFolder(stage.joinFolder, PartName("movie", 2))))
        return;
    Click(dialog, IDOK);
    Notice notice;
    if (TakeNotice(program, dialog, &notice))
        ExpectNotice(notice, "Unable to open part movie_02.", "UnParvolin", true);
    ExpectProgramEnds(program, "a join that lost a part");
}

// An output that cannot be created gets its notice and the dialog ends.
void JoinOutputBlocked(const CaseContext& context)
{
    JoinStage stage;
    Program program;
    if (!StageJoin(context, context.scratch, 100000, 51, UserTenKb, 10 * 1024, &stage) ||
        !MakeFolder(InFolder(stage.joinFolder, "movie.avi")))
        return;
    HWND dialog = OpenJoinDialog(stage, stage.partZero, &program);
    if (!dialog)
        return;
    ExpectCompleteSetFields(dialog, stage);
    Click(dialog, IDOK);
    Notice notice;
    if (TakeNotice(program, dialog, &notice))
        ExpectNotice(
            notice, "Unable to open output file, make sure there is no file with the same name in the output directory",
            "UnParvolin", true);
    ExpectProgramEnds(program, "a join that could not create its output");
    Expect(!FileExists(InFolder(stage.joinFolder, "parvolin.exe")), "parvolin.exe was written without an output");
}

// Damaged trailers show their numbers unsigned and open no part.
void JoinDamagedTrailers(const CaseContext& context)
{
    struct Row {
        const char* name;
        int32_t sourceSize;
        int32_t lastPartIndex;
        const char* shownSize;
        const char* shownParts;
        bool unsplitEnabled;
    };
    static const Row Rows[] = {
        {"negative part index", 5000000, -1, "5000000", "4294967295", false},
        {"part index far beyond the size", 100, 2000000000, "100", "2000000000", false},
        {"negative size", -5, 0, "4294967291", "0", true},
    };
    std::string program;
    if (!ReadWholeFile(context.program, &program))
        return;
    int folderNumber = 0;
    for (const Row& row : Rows) {
        printf("damaged trailer: %s\n", row.name);
        const std::string folder = InFolder(context.scratch, std::to_string(++folderNumber));
        const std::string exe = InFolder(folder, "movie_00.exe");
        const std::string stub = program.substr(0, program.size() - 272);
        if (!MakeEmptyFolder(folder) ||
            !WriteWholeFile(exe, stub + TrailerBytes("c:\\data\\movie.avi", static_cast<int32_t>(stub.size()),
                                                     row.sourceSize, row.lastPartIndex)))
            continue;
        bool staged = true;
        for (int index = 1; index <= 3; ++index)
            staged = staged && WriteWholeFile(InFolder(folder, PartName("movie", index)), "");
        Program running;
        if (!staged || !StartProgram(exe, "", folder, &running))
            continue;
        HWND dialog = WaitForMainDialog(running);
        if (!dialog)
            continue;
        ExpectJoinFields(dialog, "c:\\data\\movie.avi", row.shownSize, row.shownParts, "0", row.unsplitEnabled);
        Click(dialog, IDCANCEL);
        ExpectProgramEnds(running, "\"&Cancel\"");
    }
}
