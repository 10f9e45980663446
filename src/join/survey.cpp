#include "join/join.h"

#include "partset/pathpieces.h"

// Composes "<directory><separator><part name>"; false when it does not fit.
static bool MakePartPath(char (&path)[PathBufferSize], const char* directory, const char* baseName, int32_t index)
{
    char name[PathBufferSize];
    if (!MakePartName(name, baseName, index) || !CopyText(path, sizeof path, directory))
        return false;
    const int length = TextLength(path);
    const char separator[2] = {PlatformPathSeparator, '\0'};
    if (length > 0 && path[length - 1] != PlatformPathSeparator && !AppendText(path, sizeof path, separator))
        return false;
    return AppendText(path, sizeof path, name);
}

PartSetSurvey SurveyPartSet()
{
    PartSetSurvey survey = {};
    char directory[PathBufferSize];
    bool haveDirectory = PlatformCurrentDirectory(directory);
    survey.trailerRead = ReadPartSetTrailer(&survey.trailer);
    if (survey.trailerRead && !PartCountIsPlausible(survey.trailer))
        return survey;
    if (survey.trailerRead && haveDirectory) {
        const PathPieces pieces = SplitPathPieces(survey.trailer.sourcePath);
        for (int32_t n = 1; n <= survey.trailer.lastPartIndex; ++n) {
            char path[PathBufferSize];
            File part;
            if (MakePartPath(path, directory, pieces.baseName, n) && part.OpenForReading(path))
                ++survey.presentCount;
        }
    }
    survey.joinAllowed = survey.presentCount == survey.trailer.lastPartIndex;
    return survey;
}
