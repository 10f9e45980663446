#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "qt_test_support.h"
#include "split/split.h"
#include "ui/qt/split_dialog.h"

namespace {

const int FixtureStubSize = 36352;
const char InputNotice[] = "Unable to open input file, Please select a file to split.";
const char SizeNotice[] = "Size must be between 10 KB and 2880 KB";
const char Filters[] = "All Files (*);;ZIP Files (*.zip);;EXE Files (*.exe)";

// How the user sets the split going.
enum Press { ClickSplit, EnterInSizeBox, AltS };
// How the user marks the slice choice.
enum Mark { Keep144, Click360, Alt7, AltU };

template <class Widget>
Widget* Control(QWidget* dialog, const char* name)
{
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

// Presses Alt+`key`, the mnemonic of the button `id`, and waits until the
// button has acted on it; false when it never did.
bool PressMnemonic(QWidget* dialog, int key, const char* id)
{
    QSignalSpy clicked(Control<QAbstractButton>(dialog, id), &QAbstractButton::clicked);
    QTest::keyClick(dialog, Qt::Key(key), Qt::AltModifier);
    return !clicked.isEmpty() || clicked.wait(5000);
}

const char* MarkedId(QWidget* dialog)
{
    for (const char* id : {"IDC_SLICE_360", "IDC_SLICE_720", "IDC_SLICE_144", "IDC_SLICE_USER"}) {
        if (Control<QRadioButton>(dialog, id)->isChecked())
            return id;
    }
    return "none";
}

} // namespace

class SplitDialogTest : public QObject {
    Q_OBJECT

private:
    ScratchFolder scratch;
    QByteArray stub;

    // Writes a patterned source `name` of `size` bytes into the folder
    // `folder` of the scratch folder; returns its path.
    QString WriteSource(const QString& folder, const QString& name, int size, QByteArray* bytes)
    {
        const QString path = scratch.MakeFolder(folder) + QLatin1Char('/') + name;
        *bytes = PatternBytes(size, static_cast<uint32_t>(size));
        return WriteWholeFile(path, *bytes) ? path : QString();
    }

    // Marks a slice choice and types `userText` into the size box the way
    // `mark` says.
    // false when a mnemonic was not acted on.
    static bool MarkSlice(SplitDialog& dialog, int mark, const QString& userText)
    {
        bool marked = true;
        if (mark == Click360)
            QTest::mouseClick(Control<QRadioButton>(&dialog, "IDC_SLICE_360"), Qt::LeftButton);
        else if (mark == Alt7)
            marked = PressMnemonic(&dialog, Qt::Key_7, "IDC_SLICE_720");
        else if (mark == AltU)
            marked = PressMnemonic(&dialog, Qt::Key_U, "IDC_SLICE_USER");
        QLineEdit* size = Control<QLineEdit>(&dialog, "IDC_USER_KB");
        size->clear();
        QTest::keyClicks(size, userText);
        return marked;
    }

    // false when a mnemonic was not acted on.
    static bool PressSplit(SplitDialog& dialog, int press)
    {
        if (press == ClickSplit)
            QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);
        else if (press == EnterInSizeBox)
            QTest::keyClick(Control<QLineEdit>(&dialog, "IDC_USER_KB"), Qt::Key_Return);
        else
            return PressMnemonic(&dialog, Qt::Key_S, "IDOK");
        return true;
    }

    static bool Open(SplitDialog& dialog)
    {
        dialog.show();
        return QTest::qWaitForWindowActive(&dialog);
    }

private slots:
    void init()
    {
        QVERIFY(scratch.Enter());
        stub = StubBytes(FixtureStubSize);
        QVERIFY(!scratch.MakeFolder("tool").isEmpty());
        QVERIFY(WriteWholeFile(scratch.Path("tool/parvolin"), stub));
        scratch.RunAs(scratch.Path("tool/parvolin"));
    }

    void cleanup() { scratch.Leave(); }

    void opensLaidOutAsItsTemplateWithTheLargestSliceMarked()
    {
        SplitDialog dialog;
        QVERIFY(Open(dialog));
        QCOMPARE(QApplication::focusWidget(), Control<QWidget>(&dialog, "IDC_CHOOSE_FILE"));
        QTest::mouseClick(Control<QWidget>(&dialog, "IDC_USER_KB"), Qt::LeftButton);
        CompareWithTemplate(&dialog, "IDD_SPLIT");
        CompareNoOverlap(&dialog);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QString::fromLatin1(MarkedId(&dialog)), QStringLiteral("IDC_SLICE_144"));
        QVERIFY(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
        QCOMPARE(QByteArray(gProgramPath), QFile::encodeName(scratch.Path("tool/parvolin")));
    }

    void tabVisitsTheTemplatesTabStopsInOrder()
    {
        SplitDialog dialog;
        QVERIFY(Open(dialog));
        const QStringList stops = TabStops("IDD_SPLIT");
        QCOMPARE(stops, QStringList({"IDC_CHOOSE_FILE", "IDC_USER_KB", "IDCANCEL", "IDOK"}));
        QStringList forward;
        QStringList backward;
        for (int i = 0; i < stops.size(); ++i) {
            forward << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        for (int i = 0; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            backward.prepend(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(forward, stops);
        QCOMPARE(backward, stops);
    }

    void slicesAreMarkedOneAtATimeAndUserDefinedFocusesTheSizeBox_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QString>("focused");
        const int click = 0;
        QTest::newRow("Alt+3") << "IDC_SLICE_720" << int(Qt::Key_3) << "IDC_SLICE_360" << "IDC_SLICE_360";
        QTest::newRow("Alt+7") << "IDC_SLICE_360" << int(Qt::Key_7) << "IDC_SLICE_720" << "IDC_SLICE_720";
        QTest::newRow("Alt+1") << "IDC_SLICE_360" << int(Qt::Key_1) << "IDC_SLICE_144" << "IDC_SLICE_144";
        QTest::newRow("Alt+U") << "IDC_SLICE_360" << int(Qt::Key_U) << "IDC_SLICE_USER" << "IDC_USER_KB";
        QTest::newRow("click on 720") << "IDC_SLICE_USER" << click << "IDC_SLICE_720" << "IDC_SLICE_720";
        QTest::newRow("click on User Defined") << "IDC_SLICE_360" << click << "IDC_SLICE_USER" << "IDC_USER_KB";
    }

    void slicesAreMarkedOneAtATimeAndUserDefinedFocusesTheSizeBox()
    {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(QString, marked);
        QFETCH(QString, focused);
        SplitDialog dialog;
        QVERIFY(Open(dialog));
        QTest::mouseClick(Control<QRadioButton>(&dialog, before.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(QString::fromLatin1(MarkedId(&dialog)), before);
        Control<QWidget>(&dialog, "IDC_CHOOSE_FILE")->setFocus();
        if (key == 0)
            QTest::mouseClick(Control<QRadioButton>(&dialog, marked.toLatin1().constData()), Qt::LeftButton);
        else
            QVERIFY(PressMnemonic(&dialog, key, marked.toLatin1().constData()));
        QCOMPARE(QString::fromLatin1(MarkedId(&dialog)), marked);
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    }

    void chooserShowsTheChoiceLowercasedAndMovesToItsFolder()
    {
        QByteArray source;
        const QString path = WriteSource("Data Dir", "Movie.AVI", 2000000, &source);
        QVERIFY(!path.isEmpty());
        AnsweringChooser chooser;
        chooser.answer = path;
        SplitDialog dialog;
        QVERIFY(Open(dialog));
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDC_CHOOSE_FILE"), Qt::LeftButton);

        QCOMPARE(chooser.requests.size(), 1);
        QCOMPARE(chooser.requests[0].owner, &dialog);
        QCOMPARE(chooser.requests[0].title, QStringLiteral("Select File"));
        QCOMPARE(chooser.requests[0].filters, QString::fromLatin1(Filters));
        QLabel* shown = Control<QLabel>(&dialog, "IDC_SOURCE_PATH");
        QCOMPARE(shown->text(), path.toLower());
        QVERIFY(shown->text() != path);
        QCOMPARE(QDir::currentPath(), QFileInfo(path).absolutePath());

        QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(FolderFiles(".").contains(QStringLiteral("Movie_00.exe")));
        QByteArray partZero;
        QVERIFY(ReadWholeFile("Movie_00.exe", &partZero));
        QCOMPARE(partZero.right(272), TrailerBytes(QFile::encodeName(path), FixtureStubSize, 2000000, 1));
    }

    void cancellingTheChooserEmptiesThePathAndTheSplitAsksForAFile()
    {
        QByteArray source;
        const QString path = WriteSource("data", "movie.avi", 2000000, &source);
        AnsweringChooser chooser;
        chooser.answer = path;
        SplitDialog dialog;
        QVERIFY(Open(dialog));
        QPushButton* chooseFile = Control<QPushButton>(&dialog, "IDC_CHOOSE_FILE");
        QTest::mouseClick(chooseFile, Qt::LeftButton);
        const QString folder = QDir::currentPath();
        chooser.answer.clear();
        QVERIFY(PressMnemonic(&dialog, Qt::Key_F, "IDC_CHOOSE_FILE"));
        QCOMPARE(chooser.requests.size(), 2);
        QCOMPARE(Control<QLabel>(&dialog, "IDC_SOURCE_PATH")->text(), QString());
        QCOMPARE(QDir::currentPath(), folder);

        NoticeWatcher watcher;
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);
        QCOMPARE(watcher.notices.size(), 1);
        QCOMPARE(watcher.notices[0].text, QString::fromLatin1(InputNotice));
        QVERIFY(dialog.isVisible());
        QCOMPARE(FolderFiles("."), QStringList({"movie.avi"}));
    }

    void eachSliceChoiceReachesTheSplitWhichEndsTheDialog_data()
    {
        QTest::addColumn<int>("mark");
        QTest::addColumn<QString>("userText");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("sourceSize");
        QTest::addColumn<QList<qint64>>("partSizes");
        QTest::newRow("1.44 MB, clicked") << int(Keep144) << "" << int(ClickSplit) << 2000000
                                          << QList<qint64>{1437456, 599168};
        QTest::newRow("360 KB, Alt+S") << int(Click360) << "" << int(AltS) << 1000000
                                       << QList<qint64>{331536, 327680, 327680, 49728};
        QTest::newRow("720 KB, Enter in the size box")
            << int(Alt7) << "" << int(EnterInSizeBox) << 1500000 << QList<qint64>{700176, 696320, 140128};
        QTest::newRow("user 10 KB, Enter") << int(AltU) << "10" << int(EnterInSizeBox) << 100000
                                           << QList<qint64>{36624, 12288, 12288, 12288, 12288, 12288, 12288,
                                                            12288, 12288, 1696, 0, 0, 0, 0};
        QTest::newRow("user text with spaces") << int(AltU) << "  2880" << int(ClickSplit) << 3000000
                                               << QList<qint64>{2952976, 83648};
    }

    void eachSliceChoiceReachesTheSplitWhichEndsTheDialog()
    {
        QFETCH(int, mark);
        QFETCH(QString, userText);
        QFETCH(int, press);
        QFETCH(int, sourceSize);
        QFETCH(QList<qint64>, partSizes);
        QByteArray source;
        const QString path = WriteSource("data", "movie.avi", sourceSize, &source);
        AnsweringChooser chooser;
        chooser.answer = path;
        SplitDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QVERIFY(Open(dialog));
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDC_CHOOSE_FILE"), Qt::LeftButton);
        QVERIFY(MarkSlice(dialog, mark, userText));
        NoticeWatcher watcher;
        QVERIFY(PressSplit(dialog, press));

        QVERIFY(watcher.notices.isEmpty());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!dialog.isVisible());
        const int last = partSizes.size() - 1;
        QCOMPARE(Control<QLabel>(&dialog, "IDC_STATUS")->text(),
                 QStringLiteral("Processing %1/%2").arg(last + 1).arg(last));
        QStringList expectedFiles{"movie.avi"};
        QByteArray data;
        for (int i = 0; i <= last; ++i) {
            const QString name = PartName("movie", i);
            expectedFiles << name;
            QByteArray part;
            QVERIFY2(ReadWholeFile(name, &part), qPrintable(name));
            QCOMPARE(qint64(part.size()), partSizes[i]);
            QCOMPARE(PermissionBits(name), i == 0 ? RunnableBits() : DataBits());
            if (i == 0) {
                QCOMPARE(part.left(FixtureStubSize), stub);
                QCOMPARE(part.right(272), TrailerBytes(QFile::encodeName(path), FixtureStubSize, sourceSize, last));
                part = part.mid(FixtureStubSize, part.size() - FixtureStubSize - 272);
            }
            data += part;
        }
        QVERIFY(data == source);
        expectedFiles.sort();
        QCOMPARE(FolderFiles("."), expectedFiles);
    }

    void failedSplitsShowTheirNoticeAndKeepEveryChoice_data()
    {
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<int>("sourceSize");
        QTest::addColumn<int>("mark");
        QTest::addColumn<QString>("userText");
        QTest::addColumn<bool>("programMissing");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        const int stop = QMessageBox::Critical;
        const int none = QMessageBox::NoIcon;
        QTest::newRow("no file") << false << 0 << int(Keep144) << "" << false << InputNotice << stop;
        QTest::newRow("no file, size 5") << false << 0 << int(AltU) << "5" << false << SizeNotice << none;
        QTest::newRow("size 9") << true << 100000 << int(AltU) << "9" << false << SizeNotice << none;
        QTest::newRow("size 2881") << true << 100000 << int(AltU) << "2881" << false << SizeNotice << none;
        QTest::newRow("empty size") << true << 100000 << int(AltU) << "" << false << SizeNotice << none;
        QTest::newRow("size abc") << true << 100000 << int(AltU) << "abc" << false << SizeNotice << none;
        QTest::newRow("size -15") << true << 100000 << int(AltU) << "-15" << false << SizeNotice << none;
        QTest::newRow("exactly one slice") << true << 1433600 << int(Keep144) << "" << false
                                           << "File is too small to split!!" << stop;
        QTest::newRow("program file gone") << true << 2000000 << int(Click360) << "" << true
                                           << "Unable to write header!!" << stop;
    }

    void failedSplitsShowTheirNoticeAndKeepEveryChoice()
    {
        QFETCH(bool, chooseFile);
        QFETCH(int, sourceSize);
        QFETCH(int, mark);
        QFETCH(QString, userText);
        QFETCH(bool, programMissing);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QByteArray source;
        AnsweringChooser chooser;
        if (chooseFile)
            chooser.answer = WriteSource("data", "movie.avi", sourceSize, &source);
        if (programMissing)
            scratch.RunAs(scratch.Path("tool/gone"));
        SplitDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QVERIFY(Open(dialog));
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDC_CHOOSE_FILE"), Qt::LeftButton);
        QVERIFY(MarkSlice(dialog, mark, userText));
        const QString marked = QString::fromLatin1(MarkedId(&dialog));
        const QString shown = Control<QLabel>(&dialog, "IDC_SOURCE_PATH")->text();
        NoticeWatcher watcher;
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);

        QCOMPARE(watcher.notices.size(), 1);
        QCOMPARE(watcher.notices[0].text, text);
        QCOMPARE(watcher.notices[0].caption, QStringLiteral("Parvolin"));
        QCOMPARE(int(watcher.notices[0].icon), icon);
        QVERIFY(watcher.notices[0].modal);
        QCOMPARE(watcher.notices[0].parent, &dialog);
        QVERIFY(dialog.isVisible());
        QCOMPARE(finished.size(), 0);
        QCOMPARE(QString::fromLatin1(MarkedId(&dialog)), marked);
        QCOMPARE(Control<QLineEdit>(&dialog, "IDC_USER_KB")->text(), userText);
        QCOMPARE(Control<QLabel>(&dialog, "IDC_SOURCE_PATH")->text(), shown);
        const QStringList expected = programMissing ? QStringList{"movie.avi", "movie_00.exe"}
                                     : chooseFile   ? QStringList{"movie.avi"}
                                                    : QStringList{"tool"};
        QCOMPARE(FolderFiles("."), expected);
    }

    void partThatCannotBeCreatedStopsSilentlyAndKeepsTheDialog()
    {
        QByteArray source;
        AnsweringChooser chooser;
        chooser.answer = WriteSource("data", "movie.avi", 1000000, &source);
        QVERIFY(QDir().mkdir(scratch.Path("data/movie_02")));
        SplitDialog dialog;
        QVERIFY(Open(dialog));
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDC_CHOOSE_FILE"), Qt::LeftButton);
        QVERIFY(PressMnemonic(&dialog, Qt::Key_3, "IDC_SLICE_360"));
        NoticeWatcher watcher;
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDOK"), Qt::LeftButton);

        QVERIFY(watcher.notices.isEmpty());
        QVERIFY(dialog.isVisible());
        QCOMPARE(Control<QLabel>(&dialog, "IDC_STATUS")->text(), QStringLiteral("Processing 2/3"));
        QCOMPARE(FolderFiles("."), QStringList({"movie.avi", "movie_00.exe", "movie_01", "movie_02"}));
    }

    void cancelEscapeAndCloseEndTheDialogWithoutWriting_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel clicked") << 0;
        QTest::newRow("Alt+C") << 1;
        QTest::newRow("Escape") << 2;
        QTest::newRow("window closed") << 3;
    }

    void cancelEscapeAndCloseEndTheDialogWithoutWriting()
    {
        QFETCH(int, way);
        QByteArray source;
        AnsweringChooser chooser;
        chooser.answer = WriteSource("data", "movie.avi", 2000000, &source);
        SplitDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QVERIFY(Open(dialog));
        QTest::mouseClick(Control<QPushButton>(&dialog, "IDC_CHOOSE_FILE"), Qt::LeftButton);
        if (way == 0)
            QTest::mouseClick(Control<QPushButton>(&dialog, "IDCANCEL"), Qt::LeftButton);
        else if (way == 1)
            QVERIFY(PressMnemonic(&dialog, Qt::Key_C, "IDCANCEL"));
        else if (way == 2)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            QVERIFY(dialog.close());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(FolderFiles("."), QStringList({"movie.avi"}));
    }
};

QTEST_MAIN(SplitDialogTest)
#include "split_dialog_test.moc"
