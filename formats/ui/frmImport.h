#pragma once
#include <string>

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include "platform/EventPump.h"
#include "platform/Progress.h"

class QLabel;
class QProgressBar;

namespace brindlex {

// The import progress window: Label1 shows the reader's current step, ProgressBar1 its
// value (0 to 100). The readers report through it as their Progress and let window events
// run through it as their EventPump.
//
// A large file reports hundreds of thousands of steps, and a progress bar repaints on
// every change, so the newest text and value are kept and shown, and the pending window
// events run, at most every RefreshInterval milliseconds (the first report at once).
// The window cannot be closed by the user while it is up; the import closes it.
class frmImport : public QDialog, public Progress, public EventPump
{
    Q_OBJECT

public:
    static constexpr int RefreshInterval = 25;

    // `events` is the program's event pump; it must outlive the window.
    explicit frmImport(EventPump& events, QWidget* parent = nullptr);

    QLabel* Label1() const { return m_label; }
    QProgressBar* ProgressBar1() const { return m_bar; }

    void setValue(int value) override;
    void setLabel(const std::string& text) override;
    void processEvents() override;
    // Shows the newest text and value now.
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    EventPump& m_events;
    QLabel* m_label;
    QProgressBar* m_bar;
    QString m_pendingLabel;
    int m_pendingValue = 0;
    bool m_changed = false;
    QElapsedTimer m_sinceRefresh;
};

}  // namespace brindlex
