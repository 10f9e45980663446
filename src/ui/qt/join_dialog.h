// The join dialog of the native program: the whole user interface of join
// mode, laid out as the Windows template IDD_JOIN.
#pragma once

#include <QDialog>

#include "ui/qt/dialog_support.h"

// Surveys the running part set when it opens and shows its name, size,
// last part index and the parts found; "&Unsplit", enabled only when
// joining is allowed, joins into the current directory and ends the dialog
// whatever the join reported; "&Cancel", Escape and closing the window end
// it.
class JoinDialog : public QDialog {
public:
    JoinDialog();

private:
    DialogOwner owner_;
};
