// Which of its two roles the program plays, decided from its own file name.
#pragma once

enum ProgramMode { SplitMode, JoinMode };

// Split mode when the base name of `programPath` is "parvolin" in any ASCII
// case, whatever its directory and extension; join mode otherwise.
ProgramMode ModeForProgram(const char* programPath);
