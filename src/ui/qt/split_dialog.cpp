#include "ui/qt/split_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "partset/pathpieces.h"

// The chooser's filters. A file name on this system need not hold a dot,
// so "All Files" matches every name.
static const char ChooserFilters[] = "All Files (*);;ZIP Files (*.zip);;EXE Files (*.exe)";
static const int UserSizeLimit = 127;

// A radio button that the keyboard reaches by its mnemonic, not by Tab.
static QRadioButton* SliceButton(QWidget* dialog, const char* text, const char* name, int x, int y, int width)
{
    QRadioButton* button = new QRadioButton(QString::fromLatin1(text), dialog);
    button->setFocusPolicy(Qt::ClickFocus);
    PlaceControl(dialog, button, name, x, y, width, 10);
    return button;
}

SplitDialog::SplitDialog() : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    SetUpDialogWindow(this, "Parvolin - Split Large Files", 181, 86);

    QPushButton* chooseFile = new QPushButton(QStringLiteral("&File ..."), this);
    PlaceControl(this, chooseFile, "IDC_CHOOSE_FILE", 3, 7, 48, 12);
    QGroupBox* sliceSize = new QGroupBox(QStringLiteral("Slice Size"), this);
    PlaceControl(this, sliceSize, "", 3, 19, 176, 46);
    slice360_ = SliceButton(this, "&360 KB", "IDC_SLICE_360", 16, 31, 40);
    slice720_ = SliceButton(this, "&720 KB", "IDC_SLICE_720", 72, 31, 40);
    slice144_ = SliceButton(this, "&1.44 MB", "IDC_SLICE_144", 128, 31, 40);
    sliceUser_ = SliceButton(this, "&User Defined", "IDC_SLICE_USER", 16, 49, 53);
    userKb_ = new QLineEdit(this);
    PlaceControl(this, userKb_, "IDC_USER_KB", 77, 47, 28, 12);
    QPushButton* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    PlaceControl(this, cancel, "IDCANCEL", 78, 71, 50, 14);
    QPushButton* split = new QPushButton(QStringLiteral("&Split"), this);
    split->setDefault(true);
    PlaceControl(this, split, "IDOK", 129, 71, 50, 14);
    QLabel* status = new QLabel(QStringLiteral("Choose a file to split"), this);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    status->setTextFormat(Qt::PlainText);
    PlaceControl(this, status, "IDC_STATUS", 3, 73, 69, 12);
    sourcePath_ = new QLabel(this);
    sourcePath_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sourcePath_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    sourcePath_->setTextFormat(Qt::PlainText);
    PlaceControl(this, sourcePath_, "IDC_SOURCE_PATH", 52, 7, 127, 12);
    QLabel* kb = new QLabel(QStringLiteral("KB"), this);
    kb->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    kb->setTextFormat(Qt::PlainText);
    PlaceControl(this, kb, "", 109, 49, 31, 8);

    setTabOrder(chooseFile, userKb_);
    setTabOrder(userKb_, cancel);
    setTabOrder(cancel, split);
    BindOwner(owner_, this, status);
    connect(chooseFile, &QPushButton::clicked, this, [this] { ChooseSourceFile(); });
    connect(sliceUser_, &QRadioButton::clicked, userKb_, [this] { userKb_->setFocus(Qt::OtherFocusReason); });
    connect(split, &QPushButton::clicked, this, [this] { Split(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    chooseFile->setFocus(Qt::OtherFocusReason);
    slice144_->setChecked(true);
    OwnProgramPath(gProgramPath);
}

// Shows the chosen file lowercased and makes its folder the current
// directory, where the parts are written; a cancelled choice empties the
// shown path and keeps the directory. The split opens the file under the
// name the file system knows, whose case it keeps.
void SplitDialog::ChooseSourceFile()
{
    const QString chosen = ChooseFile(this, QStringLiteral("Select File"), QString::fromLatin1(ChooserFilters));
    chosenPath_ = QFile::encodeName(chosen);
    QByteArray shown = chosenPath_;
    LowercaseAscii(shown.data());
    sourcePath_->setText(QFile::decodeName(shown));
    if (!chosen.isEmpty())
        QDir::setCurrent(QFileInfo(chosen).absolutePath());
}

SliceChoice SplitDialog::MarkedSlice() const
{
    if (slice360_->isChecked())
        return Slice360;
    if (slice720_->isChecked())
        return Slice720;
    if (sliceUser_->isChecked())
        return SliceUser;
    return Slice144;
}

// Splits the chosen file with the marked choice; ends the dialog only when
// every part was written, and keeps every choice otherwise.
void SplitDialog::Split()
{
    const SliceChoice choice = MarkedSlice();
    QByteArray userSize;
    if (choice == SliceUser)
        userSize = userKb_->text().toLocal8Bit().left(UserSizeLimit);
    if (SplitFile(chosenPath_.constData(), choice, userSize.constData(), &owner_) == SplitDone)
        accept();
}
