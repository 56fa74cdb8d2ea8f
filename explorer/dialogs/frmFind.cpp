#include "explorer/dialogs/frmFind.h"

#include <functional>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderPanes.h"
#include "explorer/FolderTree.h"
#include "explorer/Icons.h"
#include "platform/EventPump.h"
#include "platform/qt/DialogHost.h"
#include "platform/qt/QtString.h"
#include "store/FolderSearch.h"
#include "store/Images.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

// Lets events run at most every 25 ms. A search passes thousands of folders, and running
// the event loop and repainting the status for each of them costs many times the search;
// at this rate the window still repaints and a close still stops the search at once.
// `beforePass` runs before each pass that is let through; a pass asked for while `urgent`
// holds is let through at once (the first result rows are shown without waiting).
class ThrottledEvents : public EventPump
{
public:
    ThrottledEvents(EventPump& events, std::function<void()> beforePass, std::function<bool()> urgent)
        : m_events(events)
        , m_beforePass(std::move(beforePass))
        , m_urgent(std::move(urgent))
    {
    }
    void processEvents() override
    {
        if (m_since.isValid() && m_since.elapsed() < 25 && !m_urgent()) {
            return;
        }
        m_beforePass();
        m_events.processEvents();
        m_since.start();
    }

private:
    EventPump& m_events;
    std::function<void()> m_beforePass;
    std::function<bool()> m_urgent;
    QElapsedTimer m_since;
};

QString dateText(const DateTime& value)
{
    if (value.isNull()) {
        return {};
    }
    const QDate date(value.year, value.month, value.day);
    return date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat) : QString();
}

}  // namespace

frmFind::frmFind(FolderPanes& panes, const DialogHost& host, EventPump& events)
    : QDialog(host.parent())
    , m_panes(panes)
    , m_host(host)
    , m_events(events)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find Brindlex Folder or Item"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setSizeGripEnabled(true);

    m_nameLabel = new QLabel(QStringLiteral("Name:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_nameLabel->setBuddy(m_text);
    m_typeLabel = new QLabel(QStringLiteral("Type:"), this);
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("Combo1"));
    m_type->addItems({ QStringLiteral("Unknown"), QStringLiteral("Folder"), QStringLiteral("Http"),
        QStringLiteral("Ftp"), QStringLiteral("File"), QStringLiteral("Url"), QStringLiteral("News"),
        QStringLiteral("EMail"), QStringLiteral("Gopher"), QStringLiteral("Archie"), QStringLiteral("Telnet") });
    m_type->setCurrentIndex(0);
    m_containing = new QCheckBox(QStringLiteral("Containing Text"), this);
    m_containing->setObjectName(QStringLiteral("Check2"));
    m_matchCase = new QCheckBox(QStringLiteral("Match Case"), this);
    m_matchCase->setObjectName(QStringLiteral("Check1"));
    m_find = new QPushButton(QStringLiteral("Find"), this);
    m_find->setObjectName(QStringLiteral("Command1"));
    m_find->setDefault(true);
    m_find->setEnabled(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Command3"));
    m_cancel->setAutoDefault(false);
    m_hint = new QLabel(QStringLiteral("Click on an item below to highlight it in the Brindlex Explorer"), this);
    m_hint->setObjectName(QStringLiteral("Label3"));

    m_results = new QTreeWidget(this);
    m_results->setObjectName(QStringLiteral("ListView1"));
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setHeaderLabels({ QStringLiteral("Name"), QStringLiteral("In Folder"), QStringLiteral("Date Added"),
        QStringLiteral("Type"), QStringLiteral("URL"), QStringLiteral("ID") });
    m_results->header()->setStretchLastSection(false);
    m_results->setColumnWidth(NameColumn, host.toPixels(2000));
    m_results->setColumnWidth(InFolderColumn, host.toPixels(2500));
    m_results->setColumnWidth(DateColumn, host.toPixels(1100));
    m_results->setColumnWidth(TypeColumn, host.toPixels(800));
    m_results->setColumnWidth(URLColumn, host.toPixels(4000));
    m_results->setColumnWidth(IDColumn, 1);  // the id column is there but not seen

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    m_statusText = new QLabel(m_status);
    m_statusText->setObjectName(QStringLiteral("StatusBar1_1"));
    m_status->addWidget(m_statusText, 1);

    connect(m_text, &QLineEdit::textChanged, this,
        [this](const QString& text) { m_find->setEnabled(!text.isEmpty() && !m_searching); });
    connect(m_find, &QPushButton::clicked, this, &frmFind::DoSearch);
    connect(m_cancel, &QPushButton::clicked, this, &frmFind::close);
    connect(m_results, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) { ShowFindResult(row); });

    host.ApplyProgramFont(this);
    resize(host.toPixels(7500), host.toPixels(5200));
    host.CenterOverMainWindow(this);
    layoutControls();
}

void frmFind::DoSearch()
{
    if (m_searching || m_text->text().isEmpty()) {
        return;
    }
    // The search lets events run; a second press must wait for it to end.
    m_searching = true;
    m_find->setEnabled(false);
    m_results->clear();
    SearchHooks hooks;
    hooks.nodePath = [this](const Folder& folder) {
        const QTreeWidgetItem* node = m_panes.TreeView1()->nodeByKey(toQString(folder.id));
        return node != nullptr ? toUtf8(FolderTree::fullPath(node)) : std::string();
    };
    hooks.status = [this](const std::string& text) { m_statusText->setText(toQString(text)); };
    hooks.stopped = [this] { return m_closeRequested; };
    // Rows are shown as they are found: those found since the last event pass join the
    // list before the next one.
    QList<QTreeWidgetItem*> found;
    bool shownAny = false;
    hooks.found = [&found](const FindResultRow& row) { found.append(resultItem(row)); };
    const auto showFound = [this, &found, &shownAny] {
        if (!found.isEmpty()) {
            m_results->addTopLevelItems(found);
            found.clear();
            shownAny = true;
        }
    };
    const FindQuery query { toUtf8(m_text->text()), m_matchCase->isChecked(), m_containing->isChecked() };
    ThrottledEvents events(m_events, showFound, [&] { return !shownAny && !found.isEmpty(); });
    brindlex::DoSearch(m_panes.store(), query, hooks, events);
    m_searching = false;
    if (m_closeRequested) {
        // Closed while the search let events run: the close waited for the search to end.
        qDeleteAll(found);
        close();
        return;
    }
    showFound();
    m_find->setEnabled(!m_text->text().isEmpty());
}

QTreeWidgetItem* frmFind::resultItem(const FindResultRow& row)
{
    auto* item = new QTreeWidgetItem();
    item->setText(NameColumn, toQString(row.Name));
    item->setIcon(NameColumn, paneImage(row.Icon));
    item->setData(NameColumn, IconRole, row.Icon);
    item->setText(InFolderColumn, toQString(row.InFolder));
    item->setText(DateColumn, dateText(row.MDate));
    // The NUL that orders folder rows first is never shown.
    QString type = toQString(row.Type);
    type.remove(QChar(u'\0'));
    item->setText(TypeColumn, type);
    item->setText(URLColumn, toQString(row.URL));
    item->setText(IDColumn, toQString(row.ID));
    return item;
}

void frmFind::ShowFindResult(QTreeWidgetItem* row)
{
    if (row == nullptr) {
        return;
    }
    const std::string id = toUtf8(row->text(IDColumn));
    const bool isFolder = row->data(NameColumn, IconRole).toInt() == Image::Folder;
    const FindResultTarget target = findResultTarget(m_panes.store(), id);
    if (target.folder != nullptr) {
        m_panes.store().SetCurrentFolder(*target.folder);
        RefreshList();
        m_panes.SelectFolderNode();
        if (target.selectEntry) {
            ContentsList* list = m_panes.ListView1();
            list->clearSelection();
            const int index = list->model().findId(toQString(id));
            if (index >= 0) {
                list->selectRow(index, false);
                list->scrollToRow(index);
            }
        }
    }
    m_host.parent()->activateWindow();
    if (isFolder) {
        m_panes.TreeView1()->setFocus();
    } else {
        m_panes.ListView1()->setFocus();
    }
}

void frmFind::RefreshList()
{
    m_panes.ListView1()->model().setRows(refreshListRows(m_panes.store().CurrentFolder()));
}

void frmFind::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutControls();
}

void frmFind::closeEvent(QCloseEvent* event)
{
    if (m_searching) {
        // Deleting the dialog in the middle of a search would pull it out from under the
        // search: the search stops at its next step and closes the dialog then.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmFind::reject()
{
    if (m_searching) {
        m_closeRequested = true;
        return;
    }
    QDialog::reject();
}

void frmFind::layoutControls()
{
    // Sizes follow the window: the buttons keep to the right edge, the text boxes and
    // the results list take the rest.
    const double w = m_host.toTwips(width());
    const double h = m_host.toTwips(height());
    auto px = [this](double twips) { return m_host.toPixels(twips); };
    const int rowHeight = qMax(px(315), m_text->sizeHint().height());
    m_nameLabel->setGeometry(px(90), px(150), px(600), rowHeight);
    m_text->setGeometry(px(690), px(150), qMax(1, px(w - 2250 - 690)), rowHeight);
    m_typeLabel->setGeometry(px(90), px(600), px(600), rowHeight);
    m_type->setGeometry(px(690), px(600), qMax(1, px(w - 4680 - 690)), rowHeight);
    m_containing->setGeometry(px(w - 4680 + 120), px(600), px(1700), rowHeight);
    m_matchCase->setGeometry(px(w - 4680 + 1900), px(600), px(1500), rowHeight);
    m_find->setGeometry(px(w - 1455), px(150), px(1335), rowHeight + px(60));
    m_cancel->setGeometry(px(w - 1455), px(600), px(1335), rowHeight + px(60));
    m_hint->setGeometry(px(90), px(1560), qMax(1, px(w - 180)), px(315));
    m_results->setGeometry(px(75), px(1990), qMax(1, px(w - 150)), qMax(1, px(h - 270 - 30 - 1990)));
    const int statusHeight = qMax(px(270), m_status->sizeHint().height());
    m_status->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

}  // namespace brindlex
