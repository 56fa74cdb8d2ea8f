#include "explorer/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace brindlex {

HelpWindow::HelpWindow(QWidget* parent)
    : QDialog(parent)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Brindlex Help"));
    setModal(false);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
    m_browser->setSource(QUrl(QStringLiteral("qrc:/manual/Brindlex.html")));
}

void HelpWindow::showSection(const QString& anchor)
{
    if (anchor.isEmpty()) {
        m_browser->setSource(QUrl(QStringLiteral("qrc:/manual/Brindlex.html")));
        m_browser->scrollToAnchor(QStringLiteral("contents"));
    } else {
        m_browser->scrollToAnchor(anchor);
    }
}

HelpWindow* HelpWindow::showManual(QWidget* owner, const QString& anchor)
{
    auto* window = owner->findChild<HelpWindow*>(QStringLiteral("HelpWindow"), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new HelpWindow(owner);
    }
    window->show();
    window->raise();
    window->showSection(anchor);
    return window;
}

}  // namespace brindlex
