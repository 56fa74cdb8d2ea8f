#pragma once
#include <QDialog>

class QLabel;

namespace brindlex {

// "Confirm Item Delete": the question and the buttons Yes and No. The answer goes back
// to the caller directly; closing the dialog any other way counts as No.
class frmConfirmDelete : public QDialog
{
    Q_OBJECT

public:
    explicit frmConfirmDelete(const QString& question, QWidget* parent = nullptr);

    // Shows the dialog modally; true only when Yes was pressed.
    static bool ask(const QString& question, QWidget* parent = nullptr);

private:
    QLabel* m_label;  // Label1, carries the question
};

}  // namespace brindlex
