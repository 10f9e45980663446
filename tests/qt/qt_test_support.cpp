#include "qt_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

#include <sys/stat.h>

#include "platform/posix/posix_platform.h"
#include "split/split.h"
#include "ui/qt/dialog_support.h"

bool ReadWholeFile(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return file.error() == QFile::NoError;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray PatternBytes(int size, uint32_t seed)
{
    QByteArray bytes(size, '\0');
    uint32_t state = seed * 2654435761u + 0x9E3779B9u;
    for (int i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

QByteArray StubBytes(int size)
{
    QByteArray bytes = PatternBytes(size, 7);
    bytes.replace(size - 272, 272, QByteArray(272, '\0'));
    return bytes;
}

static void PutLittleEndian(QByteArray& bytes, int at, int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

QByteArray TrailerBytes(const QByteArray& sourcePath, int32_t stubSize, int32_t sourceSize, int32_t lastPartIndex)
{
    QByteArray bytes(272, '\0');
    bytes.replace(0, sourcePath.size(), sourcePath);
    bytes.truncate(272);
    PutLittleEndian(bytes, 260, stubSize);
    PutLittleEndian(bytes, 264, sourceSize);
    PutLittleEndian(bytes, 268, lastPartIndex);
    return bytes;
}

QString PartName(const QString& base, int index)
{
    return QStringLiteral("%1_%2%3").arg(base).arg(index, 2, 10, QLatin1Char('0')).arg(index == 0 ? ".exe" : "");
}

QStringList FolderFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

int PermissionBits(const QString& path)
{
    struct stat status;
    if (stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return static_cast<int>(status.st_mode & 07777);
}

static int CurrentMask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<int>(mask);
}

int RunnableBits()
{
    return 0777 & ~CurrentMask();
}

int DataBits()
{
    return 0666 & ~CurrentMask();
}

bool ReadDialogTemplate(const QString& name, DialogTemplate* dialog)
{
    QFile script(QStringLiteral(PARVOLIN_RESOURCE_SCRIPT));
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QRegularExpression head(QStringLiteral("^%1 DIALOGEX 0, 0, (\\d+), (\\d+)$").arg(name));
    const QRegularExpression caption(QStringLiteral("^CAPTION \"([^\"]*)\"$"));
    const QRegularExpression control(QStringLiteral(
        "^CONTROL \"([^\"]*)\", ([-\\w]+), \"(\\w+)\", ([^,]+), (\\d+), (\\d+), (\\d+), (\\d+)(?:, (\\w+))?$"));
    bool inside = false;
    bool found = false;
    while (!script.atEnd()) {
        const QString line = QString::fromLatin1(script.readLine()).trimmed();
        QRegularExpressionMatch match;
        if ((match = head.match(line)).hasMatch()) {
            inside = found = true;
            dialog->units = QSize(match.captured(1).toInt(), match.captured(2).toInt());
        } else if (inside && (match = caption.match(line)).hasMatch()) {
            dialog->caption = match.captured(1);
        } else if (inside && (match = control.match(line)).hasMatch()) {
            TemplateControl c;
            c.text = match.captured(1);
            c.id = match.captured(2);
            c.windowClass = match.captured(3);
            for (const QString& style : match.captured(4).split(QLatin1Char('|')))
                c.styles << style.trimmed();
            c.units = QRect(match.captured(5).toInt(), match.captured(6).toInt(), match.captured(7).toInt(),
                            match.captured(8).toInt());
            c.extendedStyle = match.captured(9);
            dialog->controls << c;
        } else if (inside && line == QLatin1String("END")) {
            inside = false;
        }
    }
    return found && !dialog->controls.isEmpty();
}

QRect PixelsOf(const QFontMetrics& metrics, const QRect& units)
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double averageWidth = qRound(metrics.horizontalAdvance(letters) / 52.0);
    const double lineHeight = metrics.height();
    return QRect(qRound(units.x() * averageWidth / 4), qRound(units.y() * lineHeight / 8),
                 qRound(units.width() * averageWidth / 4), qRound(units.height() * lineHeight / 8));
}

// The widget kind that mirrors a control of `windowClass` with `styles`.
static const char* KindFor(const TemplateControl& control)
{
    if (control.windowClass == QLatin1String("Edit"))
        return "QLineEdit";
    if (control.windowClass == QLatin1String("Static"))
        return "QLabel";
    if (control.styles.contains(QStringLiteral("BS_GROUPBOX")))
        return "QGroupBox";
    if (control.styles.contains(QStringLiteral("BS_AUTORADIOBUTTON")))
        return "QRadioButton";
    return "QPushButton";
}

static QString TextOf(QWidget* widget)
{
    if (QAbstractButton* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (QGroupBox* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    if (QLabel* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (QLineEdit* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    return QStringLiteral("<no text>");
}

void CompareWithTemplate(QWidget* dialog, const QString& name)
{
    DialogTemplate layout;
    QVERIFY2(ReadDialogTemplate(name, &layout), qPrintable(name + " in " PARVOLIN_RESOURCE_SCRIPT));
    const QFontMetrics metrics(dialog->font());
    QCOMPARE(dialog->windowTitle(), layout.caption);
    QCOMPARE(dialog->size(), PixelsOf(metrics, QRect(QPoint(0, 0), layout.units)).size());
    QList<QWidget*> widgets;
    for (QObject* child : dialog->children()) {
        if (child->isWidgetType())
            widgets << static_cast<QWidget*>(child);
    }
    QCOMPARE(widgets.size(), layout.controls.size());
    for (int i = 0; i < widgets.size(); ++i) {
        const TemplateControl& control = layout.controls[i];
        QWidget* widget = widgets[i];
        const QByteArray where = QStringLiteral("control %1 \"%2\" (%3)").arg(i).arg(control.text, control.id).toUtf8();
        QVERIFY2(widget->inherits(KindFor(control)), where + " is a " + widget->metaObject()->className());
        QCOMPARE(widget->objectName(), control.id == QLatin1String("-1") ? QString() : control.id);
        QCOMPARE(TextOf(widget), control.text);
        const QRect place = PixelsOf(metrics, control.units);
        const QRect actual = widget->geometry();
        QVERIFY2(actual.topLeft() == place.topLeft() && actual.height() == place.height(), where);
        const bool grows =
            widget->inherits("QAbstractButton") || (widget->inherits("QLabel") && !control.text.isEmpty());
        const int width = grows ? qMax(place.width(), widget->sizeHint().width()) : place.width();
        QVERIFY2(actual.width() == width, where);
        QVERIFY2(bool(widget->focusPolicy() & Qt::TabFocus) == control.styles.contains(QStringLiteral("WS_TABSTOP")),
                 where);
        QPushButton* button = qobject_cast<QPushButton*>(widget);
        if (button != nullptr && !QApplication::focusWidget()->inherits("QPushButton"))
            QVERIFY2(button->isDefault() == control.styles.contains(QStringLiteral("BS_DEFPUSHBUTTON")), where);
        if (QLabel* label = qobject_cast<QLabel*>(widget)) {
            const Qt::Alignment side =
                control.extendedStyle == QLatin1String("WS_EX_RIGHT") ? Qt::AlignRight : Qt::AlignLeft;
            const Qt::Alignment height =
                control.styles.contains(QStringLiteral("SS_CENTERIMAGE")) ? Qt::AlignVCenter : Qt::AlignTop;
            QVERIFY2(label->alignment() == (side | height), where);
            QVERIFY2((label->frameShadow() == QFrame::Sunken && label->frameShape() != QFrame::NoFrame) ==
                         control.styles.contains(QStringLiteral("SS_SUNKEN")),
                     where);
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
    }
}

void CompareNoOverlap(QWidget* dialog)
{
    QList<QWidget*> widgets;
    for (QObject* child : dialog->children()) {
        if (child->isWidgetType() && !child->inherits("QGroupBox"))
            widgets << static_cast<QWidget*>(child);
    }
    for (int i = 0; i < widgets.size(); ++i) {
        QVERIFY2(dialog->rect().contains(widgets[i]->geometry()), qPrintable(widgets[i]->objectName()));
        for (int j = i + 1; j < widgets.size(); ++j) {
            const QByteArray pair = QStringLiteral("controls %1 and %2").arg(i).arg(j).toUtf8();
            QVERIFY2(!widgets[i]->geometry().intersects(widgets[j]->geometry()), pair.constData());
        }
    }
}

QStringList TabStops(const QString& name)
{
    DialogTemplate layout;
    QStringList ids;
    if (!ReadDialogTemplate(name, &layout))
        return ids;
    for (const TemplateControl& control : layout.controls) {
        if (control.styles.contains(QStringLiteral("WS_TABSTOP")))
            ids << control.id;
    }
    return ids;
}

NoticeWatcher::NoticeWatcher()
{
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start(10);
}

void NoticeWatcher::Look()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        QMessageBox* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible() || box->button(QMessageBox::Ok) == nullptr)
            continue;
        notices << SeenNotice{box->text(), box->windowTitle(), box->icon(), box->isModal(), box->parentWidget()};
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }
}

AnsweringChooser::AnsweringChooser()
{
    SetFileChooser([this](QWidget* owner, const QString& title, const QString& filters) {
        requests << ChooserRequest{owner, title, filters};
        return answer;
    });
}

AnsweringChooser::~AnsweringChooser()
{
    SetFileChooser(FileChooser());
}

bool ScratchFolder::Enter()
{
    previous_ = QDir::currentPath();
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/parvolin-qt-XXXXXX"));
    return dir_->isValid() && QDir::setCurrent(dir_->path());
}

void ScratchFolder::Leave()
{
    SetOwnProgramPath(nullptr);
    gProgramPath[0] = '\0';
    QDir::setCurrent(previous_);
    dir_.reset();
}

QString ScratchFolder::Path(const QString& name) const
{
    return dir_->filePath(name);
}

void ScratchFolder::RunAs(const QString& path)
{
    running_ = QFile::encodeName(path);
    SetOwnProgramPath(running_.constData());
}

QString ScratchFolder::MakeFolder(const QString& name)
{
    const QString path = Path(name);
    return QDir().mkpath(path) ? path : QString();
}
