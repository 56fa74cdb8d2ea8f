#include "formats/ui/frmImport.h"

#include <algorithm>

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "platform/qt/QtString.h"

namespace brindlex {

frmImport::frmImport(EventPump& events, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_events(events)
    , m_label(new QLabel(this))
    , m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(tr("Import"));
    // The main window takes no input while an import runs: nothing can start a second
    // command or close the window under the reader.
    setWindowModality(Qt::ApplicationModal);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setMinimumWidth(320);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
}

void frmImport::setValue(int value)
{
    m_pendingValue = std::clamp(value, 0, 100);
    m_changed = true;
}

void frmImport::setLabel(const std::string& text)
{
    m_pendingLabel = toQString(text);
    m_changed = true;
}

void frmImport::refresh()
{
    if (!m_changed) {
        return;
    }
    m_changed = false;
    if (m_label->text() != m_pendingLabel) {
        m_label->setText(m_pendingLabel);
    }
    m_bar->setValue(m_pendingValue);
}

void frmImport::processEvents()
{
    if (m_sinceRefresh.isValid() && m_sinceRefresh.elapsed() < RefreshInterval) {
        return;
    }
    refresh();
    m_events.processEvents();
    m_sinceRefresh.start();
}

void frmImport::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmImport::reject()
{
    // Escape does not end an import half-way.
}

}  // namespace brindlex
