// The split dialog of the native program: the whole user interface of split
// mode, laid out as the Windows template IDD_SPLIT.
#pragma once

#include <QByteArray>
#include <QDialog>

#include "split/split.h"
#include "ui/qt/dialog_support.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Opens with "&1.44 MB" marked and the running program kept as the stub.
// "&File ..." picks the source, "&Split" splits it into the current
// directory and ends the dialog only when every part was written;
// "&Cancel", Escape and closing the window end it.
class SplitDialog : public QDialog {
public:
    SplitDialog();

private:
    void ChooseSourceFile();
    SliceChoice MarkedSlice() const;
    void Split();

    DialogOwner owner_;
    QRadioButton* slice360_;
    QRadioButton* slice720_;
    QRadioButton* slice144_;
    QRadioButton* sliceUser_;
    QLineEdit* userKb_;
    QLabel* sourcePath_;
    QByteArray chosenPath_;
};
