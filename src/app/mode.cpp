#include "app/mode.h"

#include "partset/pathpieces.h"

ProgramMode ModeForProgram(const char* programPath)
{
    const PathPieces pieces = SplitPathPieces(programPath);
    return EqualsIgnoringAsciiCase("parvolin", pieces.baseName) ? SplitMode : JoinMode;
}
