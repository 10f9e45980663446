// Start-up of the native program: the dialog that the program file's name
// selects, as on Windows.
#include <QApplication>

#include "app/mode.h"
#include "platform/platform.h"
#include "ui/qt/join_dialog.h"
#include "ui/qt/split_dialog.h"

// Runs the split dialog under the program's own base name and the join
// dialog under any other; returns 0 when it has ended. Command-line
// arguments have no effect, not even Qt's own.
int main(int, char* argv[])
{
    static int qtArgumentCount = 1;
    static char* qtArguments[] = {argv[0], nullptr};
    QApplication application(qtArgumentCount, qtArguments);
    char path[PathBufferSize] = "";
    OwnProgramPath(path);
    if (ModeForProgram(path) == SplitMode) {
        SplitDialog dialog;
        dialog.exec();
    } else {
        JoinDialog dialog;
        dialog.exec();
    }
    return 0;
}
