#pragma once
#include <QWidget>

class QProgressBar;

namespace brindlex {

// The splash window shown while the program starts; `PB1` follows the start-up steps.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);
    QProgressBar* PB1() const { return m_progress; }
    void setStep(int value);

private:
    QProgressBar* m_progress;
};

}  // namespace brindlex
