// Names with double-byte characters of the ANSI code page 932, split and
// joined through the real dialogs. Run through double-byte.sh, which gives
// the processes a Japanese locale.
#include "cases.h"
#include "flows.h"

#include <stdio.h>

#include <algorithm>

namespace {

// A source's folder and file name in code page 932, the same names in
// UTF-16 as the file system keeps them, and what the program should make
// of them: the name shown (lowercased), the parts' base name and the
// joined file's name in UTF-16.
struct NameRow {
    const char* label;
    const char* folder;
    const char* name;
    const wchar_t* wideFolder;
    const wchar_t* wideName;
    const char* shownFolder;
    const char* shownName;
    const char* baseName;
    const wchar_t* wideBaseName;
    const wchar_t* wideShownName;
};

const NameRow Rows[] = {
    {"a name whose second byte is a backslash", "Data", "\x95\x5C.avi", L"Data", L"\u8868.avi", "data",
     "\x95\x5C.avi", "\x95\x5C", L"\u8868", L"\u8868.avi"},
    {"a name whose second byte is a capital letter", "Data", "\x83\x41" "Clip.AVI", L"Data", L"\u30A2Clip.AVI",
     "data", "\x83\x41" "clip.avi", "\x83\x41" "clip", L"\u30A2clip", L"\u30A2clip.avi"},
    {"a folder ending in a backslash byte", "\x83\x41" "Data\x95\x5C", "\x95\x5C" "Movie.AVI",
     L"\u30A2Data\u8868", L"\u8868Movie.AVI", "\x83\x41" "data\x95\x5C", "\x95\x5C" "movie.avi",
     "\x95\x5C" "movie", L"\u8868movie", L"\u8868movie.avi"},
};

// The names in `folder` as the ANSI API lists them, sorted.
std::vector<std::string> AnsiNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(InFolder(folder, "*").c_str(), &found);
    if (!Expect(search != INVALID_HANDLE_VALUE, "cannot list %s", folder.c_str()))
        return names;
    do
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The names in `folder` as the file system keeps them, sorted.
std::vector<std::wstring> WideNames(const std::string& folder)
{
    std::vector<std::wstring> names;
    wchar_t widePattern[MAX_PATH];
    if (!Expect(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, InFolder(folder, "*").c_str(), -1, widePattern,
                                    MAX_PATH) > 0,
                "cannot convert %s", folder.c_str()))
        return names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widePattern, &found);
    if (!Expect(search != INVALID_HANDLE_VALUE, "cannot list %s", folder.c_str()))
        return names;
    do
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// `names` in UTF-16, sorted, with every unit past ASCII in hexadecimal,
// for comparisons and failure reports.
std::string ShowWide(std::vector<std::wstring> names)
{
    std::sort(names.begin(), names.end());
    std::string shown;
    for (const std::wstring& name : names) {
        shown += shown.empty() ? "" : ", ";
        for (wchar_t c : name) {
            char unit[8];
            snprintf(unit, sizeof unit, c < 0x80 ? "%c" : "<%04X>", static_cast<unsigned>(c));
            shown += unit;
        }
    }
    return shown;
}

// Checks that `folder` holds exactly `extraAnsi`/`extraWide` and the parts
// 0 to `lastPartIndex` of the row's set, in both spellings.
void ExpectFolderNames(const std::string& folder, const NameRow& row, int32_t lastPartIndex,
                       std::vector<std::string> expectedAnsi, std::vector<std::wstring> expectedWide)
{
    for (int32_t index = 0; index <= lastPartIndex; ++index) {
        expectedAnsi.push_back(PartName(row.baseName, index));
        wchar_t suffix[16];
        swprintf(suffix, 16, index == 0 ? L"_%02d.exe" : L"_%02d", index);
        expectedWide.push_back(std::wstring(row.wideBaseName) + suffix);
    }
    std::sort(expectedAnsi.begin(), expectedAnsi.end());
    std::sort(expectedWide.begin(), expectedWide.end());
    const std::vector<std::string> ansi = AnsiNames(folder);
    std::string shownAnsi, shownExpected;
    for (const std::string& name : ansi)
        shownAnsi += (shownAnsi.empty() ? "" : ", ") + name;
    for (const std::string& name : expectedAnsi)
        shownExpected += (shownExpected.empty() ? "" : ", ") + name;
    ExpectText(shownAnsi, shownExpected, ("ANSI names in " + folder).c_str());
    const std::vector<std::wstring> wide = WideNames(folder);
    ExpectText(ShowWide(wide), ShowWide(expectedWide), ("UTF-16 names in " + folder).c_str());
}

// Splits the row's source through the split dialog and checks the parts.
bool SplitRow(const CaseContext& context, const std::string& folder, const NameRow& row, uint32_t seed,
              SplitStage* stage)
{
    stage->tool = InFolder(folder, "tool");
    stage->data = InFolder(folder, row.folder);
    stage->program = InFolder(stage->tool, "parvolin.exe");
    stage->source = InFolder(stage->data, row.name);
    stage->shownSource = LowercaseAscii(folder) + "\\" + row.shownFolder + "\\" + row.shownName;
    stage->baseName = row.baseName;
    stage->sourceBytes = PatternBytes(50000, seed);
    if (!MakeEmptyFolder(folder) || !MakeFolder(stage->tool) || !MakeFolder(stage->data) ||
        !CopyWholeFile(context.program, stage->program) || !ReadWholeFile(stage->program, &stage->stubBytes) ||
        !WriteWholeFile(stage->source, stage->sourceBytes))
        return false;
    if (!ExpectText(ShowWide(WideNames(folder)), ShowWide({row.wideFolder, L"tool"}), "UTF-16 folders of the stage") ||
        !ExpectText(ShowWide(WideNames(stage->data)), ShowWide({row.wideName}), "UTF-16 name of the source"))
        return false;
    if (!SplitThroughDialog(*stage, {IDC_SLICE_USER, "10", false}))
        return false;
    ExpectPartSet(stage->data, *stage, 10 * 1024);
    const int32_t lastPartIndex =
        ExpectedLastPartIndex(stage->stubBytes.size(), stage->sourceBytes.size(), 10 * 1024);
    ExpectFolderNames(stage->data, row, lastPartIndex, {row.name}, {row.wideName});
    return true;
}

// Copies the row's parts into `joinFolder`, runs part 0 there and checks
// the dialog and what "&Unsplit" writes.
void JoinRow(const SplitStage& stage, const NameRow& row, const std::string& joinFolder)
{
    const int32_t lastPartIndex = ExpectedLastPartIndex(stage.stubBytes.size(), stage.sourceBytes.size(), 10 * 1024);
    if (!MakeEmptyFolder(joinFolder))
        return;
    for (int32_t index = 0; index <= lastPartIndex; ++index)
        if (!CopyWholeFile(InFolder(stage.data, PartName(row.baseName, index)),
                           InFolder(joinFolder, PartName(row.baseName, index))))
            return;
    Program program;
    if (!StartProgram(InFolder(joinFolder, PartName(row.baseName, 0)), "", joinFolder, &program))
        return;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog)
        return;
    const std::string parts = std::to_string(lastPartIndex);
    ExpectText(ItemText(dialog, IDC_INFO_NAME), stage.shownSource, "File Name");
    ExpectText(ItemText(dialog, IDC_INFO_SIZE), std::to_string(stage.sourceBytes.size()), "File Size");
    ExpectText(ItemText(dialog, IDC_INFO_PARTS), parts, "Parts");
    ExpectText(ItemText(dialog, IDC_INFO_FOUND), parts, "Found");
    if (!Expect(IsItemEnabled(dialog, IDOK), "\"&Unsplit\" is disabled for a complete set")) {
        Click(dialog, IDCANCEL);
        ExpectProgramEnds(program, "\"&Cancel\"");
        return;
    }
    Click(dialog, IDOK);
    if (!ExpectEndWithoutNotice(program, dialog, "a join of a complete set"))
        return;
    std::string output, tool;
    if (ReadWholeFile(InFolder(joinFolder, row.shownName), &output))
        Expect(output == stage.sourceBytes, "the joined file (%zu bytes) is not the source (%zu bytes)", output.size(),
               stage.sourceBytes.size());
    if (ReadWholeFile(InFolder(joinFolder, "parvolin.exe"), &tool))
        Expect(tool == stage.stubBytes, "parvolin.exe (%zu bytes) is not the program that made the set", tool.size());
    ExpectFolderNames(joinFolder, row, lastPartIndex, {row.shownName, "parvolin.exe"},
                      {row.wideShownName, L"parvolin.exe"});
}

} // namespace

// Under the ANSI code page 932, a source named with double-byte characters
// (a second byte that is a backslash or a capital letter, in the name and
// at the end of its folder) is shown whole and unlowered inside those
// characters, gives parts named after the whole name, keeps the name whole
// in the trailer and joins back in another folder under that name.
void SplitDoubleByteName(const CaseContext& context)
{
    if (!Expect(GetACP() == 932, "the ANSI code page is %u, not 932: run this case through double-byte.sh",
                GetACP()))
        return;
    uint32_t seed = 70;
    for (const NameRow& row : Rows) {
        printf("double-byte name: %s\n", row.label);
        const std::string folder = InFolder(context.scratch, std::to_string(++seed));
        SplitStage stage;
        if (SplitRow(context, folder, row, seed, &stage))
            JoinRow(stage, row, InFolder(folder, "join"));
    }
}
