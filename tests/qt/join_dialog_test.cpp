#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "qt_test_support.h"
#include "ui/qt/join_dialog.h"

namespace {

const int FixtureStubSize = 36352;
const char LocateNotice[] = "Unable to loacte original file information";
const char OutputNotice[] =
    "Unable to open output file, make sure there is no file with the same name in the output directory";

// The running set of the survey cases.
enum Running { CompleteSet, PartTwoMissing, DamagedNumbers, ProgramWithoutSet, RunningFileMissing, OtherFolder };
// How the user ends the dialog.
enum Way { ClickButton, PressEnter, PressAlt, PressEscape, CloseWindow };

template <class Widget>
Widget* Control(QWidget* dialog, const char* name)
{
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

QStringList Fields(QWidget* dialog)
{
    QStringList texts;
    for (const char* id : {"IDC_INFO_NAME", "IDC_INFO_SIZE", "IDC_INFO_PARTS", "IDC_INFO_FOUND"})
        texts << Control<QLabel>(dialog, id)->text();
    return texts;
}

// Presses Alt+`key`, the mnemonic of the button `id`, and waits until the
// button has acted on it; false when it never did.
bool PressMnemonic(QWidget* dialog, int key, const char* id)
{
    QSignalSpy clicked(Control<QAbstractButton>(dialog, id), &QAbstractButton::clicked);
    QTest::keyClick(dialog, Qt::Key(key), Qt::AltModifier);
    return !clicked.isEmpty() || clicked.wait(5000);
}

} // namespace

class JoinDialogTest : public QObject {
    Q_OBJECT

private:
    ScratchFolder scratch;
    QByteArray stub;
    QByteArray source;

    // Writes a set of "c:\data\movie.avi" made by hand into the folder
    // `folder`: part 0 holds the stub, the first 10,000 bytes of the source
    // and the trailer; parts 1 to 3 hold 20,000, 20,000 and 0 bytes. Returns
    // the folder, or an empty text when it cannot be written.
    QString WriteSet(const QString& folder)
    {
        const QString path = scratch.MakeFolder(folder);
        source = PatternBytes(50000, 5);
        const QList<int> sizes{10000, 20000, 20000, 0};
        int offset = 0;
        for (int i = 0; i < sizes.size(); ++i) {
            QByteArray part = source.mid(offset, sizes[i]);
            offset += sizes[i];
            if (i == 0)
                part = stub + part + TrailerBytes("c:\\data\\movie.avi", FixtureStubSize, 50000, 3);
            if (!WriteWholeFile(path + QLatin1Char('/') + PartName("movie", i), part))
                return QString();
        }
        return path;
    }

    static bool Open(JoinDialog& dialog)
    {
        dialog.show();
        return QTest::qWaitForWindowActive(&dialog);
    }

private slots:
    void init()
    {
        QVERIFY(scratch.Enter());
        stub = StubBytes(FixtureStubSize);
    }

    void cleanup() { scratch.Leave(); }

    void opensLaidOutAsItsTemplate()
    {
        scratch.RunAs(scratch.Path("gone/movie_00.exe"));
        JoinDialog dialog;
        QVERIFY(Open(dialog));
        CompareWithTemplate(&dialog, "IDD_JOIN");
        CompareNoOverlap(&dialog);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("IDOK"));
        QVERIFY(Control<QPushButton>(&dialog, "IDOK")->isDefault());
        QCOMPARE(TabStops("IDD_JOIN"), QStringList({"IDOK", "IDCANCEL"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("IDCANCEL"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("IDOK"));
    }

    void showsTheSurveyAndAllowsOnlyACompleteSet_data()
    {
        QTest::addColumn<int>("running");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("complete set") << int(CompleteSet)
                                      << QStringList{"c:\\data\\movie.avi", "50000", "3", "3"} << true;
        QTest::newRow("part 2 missing") << int(PartTwoMissing)
                                        << QStringList{"c:\\data\\movie.avi", "50000", "3", "2"} << false;
        QTest::newRow("negative size and count") << int(DamagedNumbers)
                                                 << QStringList{"c:\\data\\movie.avi", "4294967291", "4294967295", "0"}
                                                 << false;
        QTest::newRow("program without a set") << int(ProgramWithoutSet) << QStringList{"", "0", "0", "0"} << true;
        QTest::newRow("running file missing") << int(RunningFileMissing) << QStringList{"", "", "", ""} << true;
        QTest::newRow("run from another folder") << int(OtherFolder)
                                                 << QStringList{"c:\\data\\movie.avi", "50000", "3", "0"} << false;
    }

    void showsTheSurveyAndAllowsOnlyACompleteSet()
    {
        QFETCH(int, running);
        QFETCH(QStringList, fields);
        QFETCH(bool, allowed);
        const QString set = WriteSet("set");
        QVERIFY(!set.isEmpty());
        QVERIFY(QDir::setCurrent(running == OtherFolder ? scratch.MakeFolder("elsewhere") : set));
        scratch.RunAs(set + "/movie_00.exe");
        if (running == PartTwoMissing)
            QVERIFY(QFile::remove("movie_02"));
        if (running == DamagedNumbers)
            QVERIFY(WriteWholeFile("movie_00.exe",
                                   stub + TrailerBytes("c:\\data\\movie.avi", FixtureStubSize, -5, -1)));
        if (running == ProgramWithoutSet)
            QVERIFY(WriteWholeFile("movie_00.exe", stub));
        if (running == RunningFileMissing)
            QVERIFY(QFile::remove("movie_00.exe"));
        const QStringList before = FolderFiles(".");
        JoinDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QVERIFY(Open(dialog));

        QCOMPARE(Fields(&dialog), fields);
        QPushButton* unsplit = Control<QPushButton>(&dialog, "IDOK");
        QCOMPARE(unsplit->isEnabled(), allowed);
        QVERIFY(Control<QPushButton>(&dialog, "IDCANCEL")->isEnabled());
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(allowed ? "IDOK" : "IDCANCEL"));
        if (!allowed) {
            QTest::mouseClick(unsplit, Qt::LeftButton);
            QVERIFY(dialog.isVisible());
            QCOMPARE(FolderFiles("."), before);
            QTest::mouseClick(Control<QPushButton>(&dialog, "IDCANCEL"), Qt::LeftButton);
            QCOMPARE(finished.size(), 1);
        }
        QCOMPARE(FolderFiles("."), before);
    }

    void unsplitJoinsIntoTheCurrentDirectoryAndEnds_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Unsplit clicked") << int(ClickButton);
        QTest::newRow("Enter") << int(PressEnter);
        QTest::newRow("Alt+U") << int(PressAlt);
    }

    void unsplitJoinsIntoTheCurrentDirectoryAndEnds()
    {
        QFETCH(int, way);
        const QString set = WriteSet("set");
        QVERIFY(QDir::setCurrent(set));
        scratch.RunAs(set + "/movie_00.exe");
        QVERIFY(WriteWholeFile("parvolin.exe", "an older tool"));
        JoinDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QVERIFY(Open(dialog));
        NoticeWatcher watcher;
        if (way == ClickButton)
            QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);
        else if (way == PressEnter)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else
            QVERIFY(PressMnemonic(&dialog, Qt::Key_U, "IDOK"));

        QVERIFY(watcher.notices.isEmpty());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Control<QLabel>(&dialog, "IDC_STATUS")->text(), QStringLiteral("Processing 3/3"));
        QByteArray output;
        QVERIFY(ReadWholeFile("movie.avi", &output));
        QVERIFY(output == source);
        QByteArray tool;
        QVERIFY(ReadWholeFile("parvolin.exe", &tool));
        QVERIFY(tool == stub);
        QCOMPARE(PermissionBits("parvolin.exe"), RunnableBits());
        QCOMPARE(PermissionBits("movie.avi"), DataBits());
        QCOMPARE(FolderFiles("."),
                 QStringList({"movie.avi", "movie_00.exe", "movie_01", "movie_02", "movie_03", "parvolin.exe"}));
    }

    void unsplitReportsWhatStopsItAndStillEnds_data()
    {
        QTest::addColumn<int>("running");
        QTest::addColumn<QString>("text");
        QTest::newRow("running file missing") << int(RunningFileMissing) << LocateNotice;
        QTest::newRow("program without a set") << int(ProgramWithoutSet) << OutputNotice;
    }

    void unsplitReportsWhatStopsItAndStillEnds()
    {
        QFETCH(int, running);
        QFETCH(QString, text);
        const QString folder = scratch.MakeFolder("run");
        QVERIFY(QDir::setCurrent(folder));
        if (running == ProgramWithoutSet)
            QVERIFY(WriteWholeFile("movie_00.exe", stub));
        scratch.RunAs(folder + "/movie_00.exe");
        const QStringList before = FolderFiles(".");
        JoinDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QVERIFY(Open(dialog));
        NoticeWatcher watcher;
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);

        QCOMPARE(watcher.notices.size(), 1);
        QCOMPARE(watcher.notices[0].text, text);
        QCOMPARE(watcher.notices[0].caption, QStringLiteral("UnParvolin"));
        QCOMPARE(watcher.notices[0].icon, QMessageBox::Critical);
        QVERIFY(watcher.notices[0].modal);
        QCOMPARE(watcher.notices[0].parent, &dialog);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(FolderFiles("."), before);
    }

    void cancelEscapeAndCloseEndTheDialogWithoutWriting_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel clicked") << int(ClickButton);
        QTest::newRow("Alt+C") << int(PressAlt);
        QTest::newRow("Escape") << int(PressEscape);
        QTest::newRow("window closed") << int(CloseWindow);
    }

    void cancelEscapeAndCloseEndTheDialogWithoutWriting()
    {
        QFETCH(int, way);
        const QString set = WriteSet("set");
        QVERIFY(QDir::setCurrent(set));
        scratch.RunAs(set + "/movie_00.exe");
        const QStringList before = FolderFiles(".");
        JoinDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QVERIFY(Open(dialog));
        if (way == ClickButton)
            QTest::mouseClick(Control<QPushButton>(&dialog, "IDCANCEL"), Qt::LeftButton);
        else if (way == PressAlt)
            QVERIFY(PressMnemonic(&dialog, Qt::Key_C, "IDCANCEL"));
        else if (way == PressEscape)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            QVERIFY(dialog.close());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(FolderFiles("."), before);
    }
};

QTEST_MAIN(JoinDialogTest)
#include "join_dialog_test.moc"
