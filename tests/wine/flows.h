// The user's roads through the two dialogs that several cases take: a
// folder with the program and a source, a split through the split dialog,
// and the checks of a part set on disk.
#pragma once

#include "driver.h"

// A split-mode program in `tool` and a source "Movie.AVI" in `data`, both
// under one scratch folder; `baseName` is what the parts are named after.
struct SplitStage {
    std::string baseName = "movie";
    std::string tool;
    std::string data;
    std::string program;
    std::string source;
    std::string shownSource;
    std::string stubBytes;
    std::string sourceBytes;
};

// How the user sets the slice: the radio button to click (0 leaves the
// marked "&1.44 MB"), the text typed into the size box, and whether "&Split"
// is pressed by Enter in that box rather than clicked.
struct SliceSetting {
    int radio;
    const char* userText;
    bool pressEnter;
};

// Fills `folder` with a tool folder holding the program as parvolin.exe and
// a data folder holding a source of `sourceSize` pattern bytes (none when 0).
bool StageSplit(const CaseContext& context, const std::string& folder, size_t sourceSize, uint32_t seed,
                SplitStage* stage);
// Chooses the stage's source in the dialog's file chooser and checks that
// the dialog shows it lowercased.
bool ChooseSource(Program& program, HWND dialog, const SplitStage& stage);
// Marks the slice setting in an open split dialog and checks that exactly
// that radio button is marked; for "&User Defined" also that the size box
// has the focus.
void MarkSlice(Program& program, HWND dialog, const SliceSetting& setting);
// Presses "&Split" as the setting says, without waiting.
void PressSplit(HWND dialog, const SliceSetting& setting);
// Runs the whole road of a split: starts the tool, chooses the source, marks
// the setting, presses "&Split" and waits for the program to end with no
// notice. False, with failures reported, when any step goes wrong.
bool SplitThroughDialog(const SplitStage& stage, const SliceSetting& setting);
// Checks the part set named after the stage's base name in `folder`: part 0 is the stub, data and a
// trailer naming `shownSource`; the data of all parts is the source; the
// count and the part sizes follow from `sliceBytes`.
void ExpectPartSet(const std::string& folder, const SplitStage& stage, int64_t sliceBytes);
// The last part index a split with this stub and slice writes.
int32_t ExpectedLastPartIndex(int64_t stubSize, int64_t sourceSize, int64_t sliceBytes);
