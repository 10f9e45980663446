// Shared fixtures for the Qt dialog tests: a scratch folder that is the
// current directory, file helpers, the Windows templates read from the
// resource script, a watcher that answers message boxes, and a chooser the
// test answers. Helpers return false when the file system refuses them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <stdint.h>

#include <memory>

class QFontMetrics;
class QWidget;

// Reads or writes a whole file.
bool ReadWholeFile(const QString& path, QByteArray* bytes);
bool WriteWholeFile(const QString& path, const QByteArray& bytes);
// Deterministic bytes in which no two 4096-byte blocks are alike.
QByteArray PatternBytes(int size, uint32_t seed);
// A program file of `size` bytes that carries no set: varied bytes ending
// in 272 zeros.
QByteArray StubBytes(int size);
// The 272 bytes of a trailer laid out by hand: the path, zeros up to byte
// 259, then the three numbers little-endian.
QByteArray TrailerBytes(const QByteArray& sourcePath, int32_t stubSize, int32_t sourceSize, int32_t lastPartIndex);
// "<base>_NN.exe" for part 0 and "<base>_NN" after it.
QString PartName(const QString& base, int index);
// The names of the files in `folder`, sorted.
QStringList FolderFiles(const QString& folder);
// The permission bits of `path`, or -1 when it cannot be examined.
int PermissionBits(const QString& path);
// What a program file gets from this process's file-creation mask, and
// what a plain data file gets.
int RunnableBits();
int DataBits();

// One control of a dialog template in the resource script.
struct TemplateControl {
    QString text;
    QString id;
    QString windowClass;
    QStringList styles;
    QRect units;
    QString extendedStyle;
};
struct DialogTemplate {
    QString caption;
    QSize units;
    QList<TemplateControl> controls;
};
// Reads the template `name` (IDD_SPLIT, IDD_JOIN) from the resource script
// the program is built from; false when it is not there.
bool ReadDialogTemplate(const QString& name, DialogTemplate* dialog);
// Pixels of a rectangle in dialog units of the font `metrics` measures, as
// Windows computes them (dialog base units from the average width of the
// 52 ASCII letters and the line height).
QRect PixelsOf(const QFontMetrics& metrics, const QRect& units);

// Compares `dialog` with the template `name`: its caption and client size,
// and for every control in order (the dialog's child widgets in creation
// order) the kind, id, text, place and size in pixels (a button or static
// text is as wide as the template says or as its text needs, whichever is
// more), tab stop, default
// button (unless a push button has the focus and so stands in as the
// default), alignment and frame. Fails the running test on the
// first difference.
void CompareWithTemplate(QWidget* dialog, const QString& name);
// Checks that no two controls of `dialog` other than group boxes overlap
// and that each lies inside the dialog.
void CompareNoOverlap(QWidget* dialog);
// The ids of the template's controls that Tab stops at, in order.
QStringList TabStops(const QString& name);

// A message box as the user saw it.
struct SeenNotice {
    QString text;
    QString caption;
    QMessageBox::Icon icon;
    bool modal;
    QWidget* parent;
};

// While alive, answers every message box that shows up with a click on its
// OK button and keeps what it showed, in order.
class NoticeWatcher {
public:
    NoticeWatcher();
    QList<SeenNotice> notices;

private:
    void Look();
    QTimer timer_;
};

// A chooser that the test answers: it keeps each request and gives back
// `answer` (an empty text is a cancelled chooser).
struct ChooserRequest {
    QWidget* owner;
    QString title;
    QString filters;
};
class AnsweringChooser {
public:
    AnsweringChooser();
    ~AnsweringChooser();
    QString answer;
    QList<ChooserRequest> requests;
};

// A fresh scratch folder that is the current directory until Leave();
// Leave also restores the running program's path, the stub and the
// chooser.
class ScratchFolder {
public:
    bool Enter();
    void Leave();
    QString Path(const QString& name) const;
    // Makes a folder `name` inside the scratch folder; returns its path,
    // or an empty text when that fails.
    QString MakeFolder(const QString& name);
    // Makes `path` the running program's own file until Leave().
    void RunAs(const QString& path);

private:
    QByteArray running_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString previous_;
};
