#include "explorer/WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QSignalBlocker>
#include <QTimer>
#include <QtTest>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderTree.h"
#include "fakes/StoreHelpers.h"

namespace brindlex::test {

QTimer* whenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
    return timer;
}

void WindowFixture::makeWorld()
{
    m_world = std::make_unique<ExplorerWorld>();
    QVERIFY(m_world->home.isValid() && m_world->config.isValid());
}

void WindowFixture::storeProgramFont(const char* name, int size)
{
    if (!m_world) {
        makeWorld();
    }
    m_world->settings->set("Browser", "ProgramFont", name);
    m_world->settings->set("Browser", "ProgramFontSize", std::to_string(size));
}

void WindowFixture::open(EventPump* events)
{
    if (!m_world) {
        makeWorld();
    }
    const Services services = m_world->services();
    if (events == nullptr) {
        open(services);
        return;
    }
    const Platform& p = services.platform;
    open(Services { services.store, Platform { p.clipboard, p.messages, p.clock, p.programs, *events },
        services.settings, services.fileDialogs, services.programDir, services.commandLine, services.newDatabase,
        services.trayAvailable });
}

void WindowFixture::open(const Services& services)
{
    m_window = std::make_unique<frmTarnwell>(services);
    m_window->Load();
    if (m_window->isVisible()) {
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
}

void WindowFixture::closeWindow()
{
    if (m_window) {
        m_world->fakes.messages.answerNext(Answer::No);
        m_window->close();
    }
    m_window.reset();
}

void WindowFixture::close()
{
    closeWindow();
    m_world.reset();
}

QAction* WindowFixture::action(Command id) const
{
    return m_window->action(id);
}

void WindowFixture::trigger(Command id)
{
    QAction* command = action(id);
    QVERIFY2(command->isEnabled(), CommandTable::name(id));
    command->trigger();
}

void WindowFixture::selectRows(const std::vector<std::string>& ids)
{
    ContentsList* list = m_window->ListView1();
    list->clearSelection();
    bool first = true;
    for (const std::string& id : ids) {
        list->selectRow(list->model().findId(QString::fromStdString(id)), first);
        first = false;
    }
}

void WindowFixture::selectNode(const std::string& key)
{
    FolderTree* tree = m_window->TreeView1();
    QTreeWidgetItem* node = tree->nodeByKey(QString::fromStdString(key));
    QVERIFY(node);
    const QSignalBlocker quiet(tree);
    tree->setCurrentItem(node);
}

QStringList WindowFixture::rowTexts(int column) const
{
    const ContentsModel& model = m_window->ListView1()->model();
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.append(model.text(row, column));
    }
    return texts;
}

std::map<std::string, std::string> WindowFixture::buildTree(const std::string& text)
{
    std::map<std::string, std::string> ids = test::buildTree(m_world->store, text);
    m_window->RefreshPanes(true);
    return ids;
}

std::map<std::string, std::string> WindowFixture::buildEditTree()
{
    return buildTree("Docs/\n"
                     "  Sub/\n"
                     "    Deep/\n"
                     "  in docs = http://in.example/\n"
                     "News/\n"
                     "A = http://a.example/\n"
                     "B = http://b.example/\n"
                     "C = ftp://c.example/\n");
}

}  // namespace brindlex::test
