// What the two Qt dialogs share: placing controls by the dialog units of
// the Windows templates, the owner that the core shows notices and progress
// on, the program's icon and the file chooser.
#pragma once

#include <QRect>
#include <QString>

#include <functional>

#include "platform/posix/posix_platform.h"

class QFontMetrics;
class QLabel;
class QWidget;

// The pixels of a rectangle given in dialog units of the font `metrics`
// measures: a horizontal unit is a quarter of the average width of the 52
// ASCII letters, a vertical unit an eighth of the line height; each value
// is scaled and rounded on its own, as Windows lays out a template.
QRect DialogUnitRect(const QFontMetrics& metrics, int x, int y, int width, int height);

// Names `control` (a child of `dialog`) and puts it where the template
// places it, in dialog units of the dialog's font. A button or a static
// text whose text is wider in this font than the template allows grows to
// the right until its text shows whole.
void PlaceControl(QWidget* dialog, QWidget* control, const char* name, int x, int y, int width, int height);

// Gives `dialog` its fixed client size in dialog units, the program's icon
// and `title`.
void SetUpDialogWindow(QWidget* dialog, const char* title, int width, int height);

// The owner of notices and progress for one dialog: a modal message box
// over `dialog` with an OK button, and the text of `status`, repainted at
// once.
struct DialogOwner : OwnerWindow {
    QWidget* dialog = nullptr;
    QLabel* status = nullptr;
};
// Makes `owner` show its notices over `dialog` and its progress in `status`.
void BindOwner(DialogOwner& owner, QWidget* dialog, QLabel* status);

// Asks the user for an existing file, with `title` and the name filters
// `filters` (in QFileDialog's "Name (*.x);;..." form); returns the chosen
// path, or an empty text when the user cancelled.
using FileChooser = std::function<QString(QWidget* owner, const QString& title, const QString& filters)>;
QString ChooseFile(QWidget* owner, const QString& title, const QString& filters);
// Makes `chooser` answer every later ChooseFile; an empty one restores the
// platform's file dialog.
void SetFileChooser(FileChooser chooser);
