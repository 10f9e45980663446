#include "ui/qt/dialog_support.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QWidget>

static FileChooser chooserOverride;

// Scales `value` by `numerator` / `denominator`, rounding halves away from
// zero as MulDiv does.
static int Scale(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

QRect DialogUnitRect(const QFontMetrics& metrics, int x, int y, int width, int height)
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int averageWidth = (metrics.horizontalAdvance(letters) + 26) / 52;
    const int lineHeight = metrics.height();
    return QRect(Scale(x, averageWidth, 4), Scale(y, lineHeight, 8), Scale(width, averageWidth, 4),
                 Scale(height, lineHeight, 8));
}

// True for a button, or a static text that holds a text, whose text must
// show whole.
static bool ShowsWholeText(QWidget* control)
{
    if (qobject_cast<QAbstractButton*>(control) != nullptr)
        return true;
    QLabel* label = qobject_cast<QLabel*>(control);
    return label != nullptr && !label->text().isEmpty();
}

void PlaceControl(QWidget* dialog, QWidget* control, const char* name, int x, int y, int width, int height)
{
    control->setObjectName(QString::fromLatin1(name));
    QRect place = DialogUnitRect(QFontMetrics(dialog->font()), x, y, width, height);
    if (ShowsWholeText(control) && control->sizeHint().width() > place.width())
        place.setWidth(control->sizeHint().width());
    control->setGeometry(place);
}

void SetUpDialogWindow(QWidget* dialog, const char* title, int width, int height)
{
    dialog->setWindowTitle(QString::fromLatin1(title));
    dialog->setWindowIcon(QIcon(QStringLiteral(":/parvolin.ico")));
    dialog->setFixedSize(DialogUnitRect(QFontMetrics(dialog->font()), 0, 0, width, height).size());
}

static void ShowDialogNotice(OwnerWindow* self, const char* text, const char* caption, NoticeIcon icon)
{
    DialogOwner* owner = static_cast<DialogOwner*>(self);
    QMessageBox box(icon == NoticeStopIcon ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text), QMessageBox::Ok, owner->dialog);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

static void SetDialogStatus(OwnerWindow* self, const char* text)
{
    DialogOwner* owner = static_cast<DialogOwner*>(self);
    owner->status->setText(QString::fromLocal8Bit(text));
    owner->status->repaint();
}

void BindOwner(DialogOwner& owner, QWidget* dialog, QLabel* status)
{
    owner.showNotice = ShowDialogNotice;
    owner.setStatus = SetDialogStatus;
    owner.dialog = dialog;
    owner.status = status;
}

QString ChooseFile(QWidget* owner, const QString& title, const QString& filters)
{
    if (chooserOverride)
        return chooserOverride(owner, title, filters);
    return QFileDialog::getOpenFileName(owner, title, QString(), filters);
}

void SetFileChooser(FileChooser chooser)
{
    chooserOverride = std::move(chooser);
}
