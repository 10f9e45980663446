#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "qt_test_support.h"
#include "ui/qt/join_dialog.h"
#include "ui/qt/split_dialog.h"
#include "x11_driver.h"

namespace {

const int SourceSize = 3000000;
const uint32_t ReturnKeysym = 0xff0d;

template <class Widget>
Widget* Control(QWidget* dialog, const char* name)
{
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

// Waits until `process` shows its window on `display`; 0 when it ended or
// never showed one.
uint32_t WaitForWindow(X11Display& display, QProcess& process)
{
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && process.state() == QProcess::Running) {
        if (uint32_t window = display.FindWindowOf(process.processId()))
            return window;
        process.waitForFinished(50);
    }
    return 0;
}

// Starts `program` in `folder` on the X display, as a user's desktop does;
// false when it cannot be started.
bool StartOnDisplay(QProcess& process, const QString& program, const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, QStringList());
    return process.waitForStarted(30000);
}

} // namespace

// A set made by the built program's split dialog, joined in another folder
// by the join dialog and by the set's own part 0 run as a program.
class RoundTripTest : public QObject {
    Q_OBJECT

private:
    ScratchFolder scratch;
    QByteArray program;
    QByteArray source;

    // Splits a source of SourceSize bytes in the folder "a" through the
    // split dialog at 720 KB, with the built program as the stub; returns
    // the parts' names, or nothing when the split did not end the dialog.
    QStringList SplitThroughTheDialog()
    {
        const QString folder = scratch.MakeFolder("a");
        source = PatternBytes(SourceSize, 11);
        if (folder.isEmpty() || !WriteWholeFile(folder + "/movie.avi", source))
            return QStringList();
        scratch.RunAs(QStringLiteral(PARVOLIN_PROGRAM));
        AnsweringChooser chooser;
        chooser.answer = folder + "/movie.avi";
        SplitDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        if (!QTest::qWaitForWindowActive(&dialog))
            return QStringList();
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDC_CHOOSE_FILE"), Qt::LeftButton);
        QTest::mouseClick(Control<QRadioButton>(&dialog, "IDC_SLICE_720"), Qt::LeftButton);
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);
        if (finished.size() != 1)
            return QStringList();
        QStringList parts = FolderFiles(folder);
        parts.removeAll(QStringLiteral("movie.avi"));
        return parts;
    }

    // Copies the parts from "a" into a fresh folder `name`; returns its path.
    QString CopyParts(const QStringList& parts, const QString& name)
    {
        const QString folder = scratch.MakeFolder(name);
        for (const QString& part : parts) {
            if (!QFile::copy(scratch.Path("a/" + part), folder + "/" + part))
                return QString();
        }
        return folder;
    }

    // Checks the joined file and the restored tool in `folder`.
    void CheckJoined(const QString& folder)
    {
        QByteArray output;
        QVERIFY(ReadWholeFile(folder + "/movie.avi", &output));
        QVERIFY(output == source);
        QByteArray tool;
        QVERIFY(ReadWholeFile(folder + "/parvolin.exe", &tool));
        QVERIFY(tool == program);
        QCOMPARE(PermissionBits(folder + "/parvolin.exe"), RunnableBits());
    }

private slots:
    void init()
    {
        QVERIFY(scratch.Enter());
        QVERIFY(ReadWholeFile(QStringLiteral(PARVOLIN_PROGRAM), &program));
        QCOMPARE(program.right(272), QByteArray(272, '\0'));
    }

    void cleanup() { scratch.Leave(); }

    void splitDialogSetJoinsInAnotherFolderThroughTheJoinDialog()
    {
        const QStringList parts = SplitThroughTheDialog();
        QVERIFY(parts.size() > 2);
        QCOMPARE(parts.first(), QStringLiteral("movie_00.exe"));
        const int last = parts.size() - 1;
        QCOMPARE(parts.last(), PartName("movie", last));
        QByteArray partZero;
        QVERIFY(ReadWholeFile(scratch.Path("a/movie_00.exe"), &partZero));
        QVERIFY(partZero.startsWith(program));
        QCOMPARE(PermissionBits(scratch.Path("a/movie_00.exe")), RunnableBits());
        QCOMPARE(PermissionBits(scratch.Path("a/movie_01")), DataBits());

        const QString folder = CopyParts(parts, "b");
        QVERIFY(!folder.isEmpty());
        QVERIFY(QDir::setCurrent(folder));
        scratch.RunAs(folder + "/movie_00.exe");
        JoinDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(Control<QLabel>(&dialog, "IDC_INFO_NAME")->text(), scratch.Path("a/movie.avi"));
        QCOMPARE(Control<QLabel>(&dialog, "IDC_INFO_SIZE")->text(), QString::number(SourceSize));
        QCOMPARE(Control<QLabel>(&dialog, "IDC_INFO_PARTS")->text(), QString::number(last));
        QCOMPARE(Control<QLabel>(&dialog, "IDC_INFO_FOUND")->text(), QString::number(last));
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);
        QCOMPARE(finished.size(), 1);
        CheckJoined(folder);
    }

    void partZeroRunsAsTheJoinProgramAndTheRestoredToolAsTheSplitProgram()
    {
        X11Display display;
        if (!display.IsOpen())
            QSKIP("no X display to run the built program on: run this test under xvfb-run");
        const QStringList parts = SplitThroughTheDialog();
        QVERIFY(parts.size() > 2);
        const QString folder = CopyParts(parts, "c");
        QVERIFY(!folder.isEmpty());

        QProcess join;
        QVERIFY(StartOnDisplay(join, folder + "/movie_00.exe", folder));
        const uint32_t joinWindow = WaitForWindow(display, join);
        QVERIFY2(joinWindow != 0, "part 0 showed no window");
        QCOMPARE(display.Title(joinWindow), QStringLiteral("UnParvolin - Rebuild a Split File"));
        QVERIFY(display.PressKey(joinWindow, ReturnKeysym));
        QVERIFY(join.waitForFinished(30000));
        QCOMPARE(join.exitStatus(), QProcess::NormalExit);
        QCOMPARE(join.exitCode(), 0);
        CheckJoined(folder);
        if (QTest::currentTestFailed())
            return;

        const QStringList joined = FolderFiles(folder);
        QProcess split;
        QVERIFY(StartOnDisplay(split, folder + "/parvolin.exe", folder));
        const uint32_t splitWindow = WaitForWindow(display, split);
        QVERIFY2(splitWindow != 0, "the restored tool showed no window");
        QCOMPARE(display.Title(splitWindow), QStringLiteral("Parvolin - Split Large Files"));
        QVERIFY(display.RequestClose(splitWindow));
        QVERIFY(split.waitForFinished(30000));
        QCOMPARE(split.exitStatus(), QProcess::NormalExit);
        QCOMPARE(split.exitCode(), 0);
        QCOMPARE(FolderFiles(folder), joined);
    }
};

QTEST_MAIN(RoundTripTest)
#include "round_trip_test.moc"
