// Saves a picture of each dialog of the native program, as the README shows
// them: the split dialog with a file chosen, and the join dialog over a
// complete set of four parts. Run it on a display (take-screenshots.sh
// gives it a virtual one):
//
//     parvolin_qt_screenshots <folder for qt-split-dialog.png and qt-join-dialog.png>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <stdio.h>

#include "platform/posix/posix_platform.h"
#include "ui/qt/dialog_support.h"
#include "ui/qt/join_dialog.h"
#include "ui/qt/split_dialog.h"

static const char ShownSource[] = "/home/user/videos/Movie.avi";

// Writes a set of ShownSource whose part 0 is `stubSize` bytes of stub and
// the trailer, and whose parts 1 to 3 are empty, into `folder`.
static bool WriteSet(const QString& folder, int stubSize)
{
    QByteArray trailer(272, '\0');
    trailer.replace(0, int(sizeof ShownSource) - 1, ShownSource);
    trailer.truncate(272);
    const int32_t numbers[] = {stubSize, 3000000, 3};
    for (int n = 0; n < 3; ++n) {
        for (int i = 0; i < 4; ++i)
            trailer[260 + 4 * n + i] = static_cast<char>((static_cast<uint32_t>(numbers[n]) >> (8 * i)) & 0xFF);
    }
    for (int i = 0; i < 4; ++i) {
        QFile part(folder + QStringLiteral("/Movie_%1%2").arg(i, 2, 10, QLatin1Char('0')).arg(i == 0 ? ".exe" : ""));
        const QByteArray bytes = i == 0 ? QByteArray(stubSize, 'x') + trailer : QByteArray();
        if (!part.open(QIODevice::WriteOnly) || part.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

static bool Save(QDialog& dialog, const QString& path)
{
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return false;
    QTest::qWait(200);
    const bool saved = dialog.grab().save(path, "PNG");
    fprintf(stderr, "%s %s\n", saved ? "saved" : "cannot save", qPrintable(path));
    return saved;
}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir scratch;
    if (!scratch.isValid() || !WriteSet(scratch.path(), 36352) || !QDir::setCurrent(scratch.path()))
        return 1;

    SetFileChooser([](QWidget*, const QString&, const QString&) { return QString::fromLatin1(ShownSource); });
    SplitDialog split;
    split.findChild<QPushButton*>(QStringLiteral("IDC_CHOOSE_FILE"))->click();
    if (!Save(split, output + QStringLiteral("/qt-split-dialog.png")))
        return 1;
    split.hide();

    const QByteArray partZero = QFile::encodeName(scratch.filePath(QStringLiteral("Movie_00.exe")));
    SetOwnProgramPath(partZero.constData());
    JoinDialog join;
    if (!Save(join, output + QStringLiteral("/qt-join-dialog.png")))
        return 1;
    SetOwnProgramPath(nullptr);
    return 0;
}
