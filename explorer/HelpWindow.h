#pragma once
#include <QDialog>

class QTextBrowser;

namespace brindlex {

// The program's manual, shipped inside the program as HTML, shown on its contents page
// or at a named section.
class HelpWindow : public QDialog
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return m_browser; }
    void showSection(const QString& anchor);

    // Shows the one manual window of `owner` (made on first use) at `anchor` (empty: the
    // contents page).
    static HelpWindow* showManual(QWidget* owner, const QString& anchor);

private:
    QTextBrowser* m_browser;
};

}  // namespace brindlex
