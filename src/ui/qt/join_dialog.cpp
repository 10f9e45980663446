#include "ui/qt/join_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "join/join.h"

// A static text of the template, one text line high: a caption aligned
// right or a field aligned left.
static QLabel* InfoLabel(QWidget* dialog, const char* text, const char* name, int x, int y, int width,
                         Qt::Alignment side)
{
    QLabel* label = new QLabel(QString::fromLatin1(text), dialog);
    label->setAlignment(side | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    PlaceControl(dialog, label, name, x, y, width, 8);
    return label;
}

static QString Unsigned(int32_t value)
{
    return QString::number(static_cast<uint32_t>(value));
}

JoinDialog::JoinDialog() : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint)
{
    SetUpDialogWindow(this, "UnParvolin - Rebuild a Split File", 194, 86);

    QPushButton* unsplit = new QPushButton(QStringLiteral("&Unsplit"), this);
    unsplit->setDefault(true);
    PlaceControl(this, unsplit, "IDOK", 139, 68, 50, 14);
    QPushButton* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    PlaceControl(this, cancel, "IDCANCEL", 88, 68, 50, 14);
    InfoLabel(this, "File Name", "", 14, 20, 43, Qt::AlignRight);
    InfoLabel(this, "File Size", "", 14, 30, 43, Qt::AlignRight);
    QLabel* name = InfoLabel(this, "", "IDC_INFO_NAME", 59, 20, 120, Qt::AlignLeft);
    QLabel* size = InfoLabel(this, "", "IDC_INFO_SIZE", 59, 30, 120, Qt::AlignLeft);
    InfoLabel(this, "Parts", "", 14, 40, 43, Qt::AlignRight);
    QLabel* parts = InfoLabel(this, "", "IDC_INFO_PARTS", 59, 40, 120, Qt::AlignLeft);
    InfoLabel(this, "Found", "", 14, 50, 43, Qt::AlignRight);
    QLabel* found = InfoLabel(this, "", "IDC_INFO_FOUND", 59, 50, 120, Qt::AlignLeft);
    QGroupBox* info = new QGroupBox(QStringLiteral("Original File Info"), this);
    PlaceControl(this, info, "", 5, 7, 184, 58);
    QLabel* status = new QLabel(QStringLiteral("Ready to rebuild"), this);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    status->setTextFormat(Qt::PlainText);
    PlaceControl(this, status, "IDC_STATUS", 9, 69, 79, 12);

    setTabOrder(unsplit, cancel);
    BindOwner(owner_, this, status);
    connect(unsplit, &QPushButton::clicked, this, [this] {
        JoinParts(&owner_);
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const PartSetSurvey survey = SurveyPartSet();
    if (survey.trailerRead) {
        name->setText(QString::fromLocal8Bit(survey.trailer.sourcePath));
        size->setText(Unsigned(survey.trailer.sourceSize));
        parts->setText(Unsigned(survey.trailer.lastPartIndex));
        found->setText(Unsigned(survey.presentCount));
    }
    unsplit->setEnabled(survey.joinAllowed);
    (survey.joinAllowed ? unsplit : cancel)->setFocus(Qt::OtherFocusReason);
}
