#include "flows.h"

static const int64_t BlockSize = 4096;

static int64_t RoundUpToBlock(int64_t bytes)
{
    return (bytes + BlockSize - 1) / BlockSize * BlockSize;
}

bool StageSplit(const CaseContext& context, const std::string& folder, size_t sourceSize, uint32_t seed,
                SplitStage* stage)
{
    stage->tool = InFolder(folder, "tool");
    stage->data = InFolder(folder, "Data");
    stage->program = InFolder(stage->tool, "parvolin.exe");
    stage->source = InFolder(stage->data, "Movie.AVI");
    stage->shownSource = LowercaseAscii(stage->source);
    if (!MakeEmptyFolder(folder) || !MakeFolder(stage->tool) || !MakeFolder(stage->data) ||
        !CopyWholeFile(context.program, stage->program) || !ReadWholeFile(stage->program, &stage->stubBytes))
        return false;
    if (sourceSize == 0)
        return true;
    stage->sourceBytes = PatternBytes(sourceSize, seed);
    return WriteWholeFile(stage->source, stage->sourceBytes);
}

bool ChooseSource(Program& program, HWND dialog, const SplitStage& stage)
{
    return ChooseInFileChooser(program, dialog, stage.source) &&
           ExpectText(WaitForItemText(dialog, IDC_SOURCE_PATH, stage.shownSource, 5000), stage.shownSource,
                      "shown source path");
}

void MarkSlice(Program& program, HWND dialog, const SliceSetting& setting)
{
    static const int Radios[] = {IDC_SLICE_360, IDC_SLICE_720, IDC_SLICE_144, IDC_SLICE_USER};
    const int marked = setting.radio != 0 ? setting.radio : IDC_SLICE_144;
    if (setting.radio != 0)
        Expect(ClickAndWait(dialog, setting.radio, 10000), "the click on slice choice %d was not handled",
               setting.radio);
    for (int radio : Radios)
        Expect(IsItemChecked(dialog, radio) == (radio == marked), "slice choice %d is %s", radio,
               radio == marked ? "not marked" : "marked too");
    if (setting.radio == IDC_SLICE_USER)
        Expect(FocusOf(program) == GetDlgItem(dialog, IDC_USER_KB),
               "\"&User Defined\" did not move the focus to the size box");
    if (setting.userText) {
        TypeText(dialog, IDC_USER_KB, setting.userText);
        ExpectText(ItemText(dialog, IDC_USER_KB), setting.userText, "size box");
    }
}

void PressSplit(HWND dialog, const SliceSetting& setting)
{
    if (setting.pressEnter)
        PressEnter(GetDlgItem(dialog, IDC_USER_KB));
    else
        Click(dialog, IDOK);
}

bool SplitThroughDialog(const SplitStage& stage, const SliceSetting& setting)
{
    Program program;
    if (!StartProgram(stage.program, "", stage.tool, &program))
        return false;
    HWND dialog = WaitForMainDialog(program);
    if (!dialog || !ChooseSource(program, dialog, stage))
        return false;
    MarkSlice(program, dialog, setting);
    PressSplit(dialog, setting);
    return ExpectEndWithoutNotice(program, dialog, "a split that should succeed");
}

int32_t ExpectedLastPartIndex(int64_t stubSize, int64_t sourceSize, int64_t sliceBytes)
{
    const int64_t allowance = RoundUpToBlock(stubSize) > 36864 ? RoundUpToBlock(stubSize) : 36864;
    return static_cast<int32_t>((sourceSize + allowance) / sliceBytes);
}

void ExpectPartSet(const std::string& folder, const SplitStage& stage, int64_t sliceBytes)
{
    const std::vector<int64_t> lengths = PartLengths(folder, stage.baseName);
    std::string partZero;
    TrailerFields trailer;
    if (!Expect(!lengths.empty(), "no %s in %s", PartName(stage.baseName, 0).c_str(), folder.c_str()) ||
        !ReadWholeFile(InFolder(folder, PartName(stage.baseName, 0)), &partZero) ||
        !Expect(ReadTrailer(partZero, &trailer), "%s has no trailer with a terminated path", PartName(stage.baseName, 0).c_str()))
        return;
    const int64_t stubSize = static_cast<int64_t>(stage.stubBytes.size());
    const int64_t sourceSize = static_cast<int64_t>(stage.sourceBytes.size());
    ExpectText(trailer.sourcePath, stage.shownSource, "trailer's source path");
    Expect(trailer.zeroAfterPath, "the trailer's path field is not zero after its terminator");
    ExpectNumber(trailer.stubSize, stubSize, "trailer's stub size");
    ExpectNumber(trailer.sourceSize, sourceSize, "trailer's source size");
    const int32_t lastPartIndex = ExpectedLastPartIndex(stubSize, sourceSize, sliceBytes);
    ExpectNumber(trailer.lastPartIndex, lastPartIndex, "trailer's last part index");
    ExpectNumber(static_cast<int64_t>(lengths.size()), lastPartIndex + 1, "files in the set");
    Expect(partZero.compare(0, stage.stubBytes.size(), stage.stubBytes) == 0,
           "%s does not begin with the program file", PartName(stage.baseName, 0).c_str());

    std::string joined = partZero.substr(stage.stubBytes.size(), partZero.size() - stage.stubBytes.size() - 272);
    const int64_t partZeroData = stubSize >= sliceBytes ? 0 : RoundUpToBlock(sliceBytes - stubSize);
    ExpectNumber(static_cast<int64_t>(joined.size()), partZeroData < sourceSize ? partZeroData : sourceSize,
                 ("data bytes in " + PartName(stage.baseName, 0)).c_str());
    for (size_t index = 1; index < lengths.size(); ++index) {
        const int64_t remaining = sourceSize - static_cast<int64_t>(joined.size());
        const int64_t full = RoundUpToBlock(sliceBytes);
        const std::string what = "bytes in " + PartName(stage.baseName, static_cast<int>(index));
        ExpectNumber(lengths[index], full < remaining ? full : remaining, what.c_str());
        std::string part;
        if (!ReadWholeFile(InFolder(folder, PartName(stage.baseName, static_cast<int>(index))), &part))
            return;
        joined += part;
    }
    Expect(joined == stage.sourceBytes, "the data of the parts is not the source byte for byte");
}
