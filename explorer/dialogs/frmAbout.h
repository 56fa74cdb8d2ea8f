#pragma once
#include <QDialog>

namespace brindlex {

// The about box: the program's name, "Web Resource Organizer" and the version.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
};

}  // namespace brindlex
