#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>

#include <QtTest>

#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/WindowFixture.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

// While set, every allocation of at least this many bytes fails as it would when memory
// runs out; smaller ones (the window's own work) go on. Zero: none fails.
static std::atomic<size_t> failingFrom { 0 };

void* operator new(size_t size)
{
    const size_t limit = failingFrom.load(std::memory_order_relaxed);
    if (limit != 0 && size >= limit) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    return operator new(size);
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept
{
    std::free(memory);
}

using namespace brindlex;

namespace {

constexpr size_t Limit = size_t { 2 } << 20;
const std::string BigText(size_t { 4 } << 20, 'x');  // more than any allocation may take

// Allocations from Limit up fail for the lifetime of the scope.
class MemoryShort
{
public:
    MemoryShort() { failingFrom = Limit; }
    ~MemoryShort() { failingFrom = 0; }
    MemoryShort(const MemoryShort&) = delete;
    MemoryShort& operator=(const MemoryShort&) = delete;
};

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

// Commands that run out of memory on the real window: each ends with one message saying
// so, leaves the model and the files as they were, and the window goes on working.
class OutOfMemoryTest : public QObject, protected test::WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { open(); }
    void cleanup() { close(); }

    void aCommandThatRunsOutEndsWithAMessageAndKeepsWhatWasThere()
    {
        const auto ids = buildTree("Small = http://small.example/\nBig = http://big.example/\n");
        m_world->store.FindItem(m_world->store.Root(), ids.at("Big"))->Description = BigText;
        m_window->RefreshPanes(true);
        m_window->ListView1()->setFocus();
        m_window->setLastFocus("ListView1");
        selectRows({ ids.at("Small") });
        trigger(Command::Copy);
        const QStringList before = rowTexts();

        // Copying the big link needs a copy of its description.
        selectRows({ ids.at("Big") });
        {
            MemoryShort shortOfMemory;
            trigger(Command::Copy);
        }
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        const auto& box = m_world->fakes.messages.shown.front();
        QCOMPARE(QString::fromStdString(box.title), QStringLiteral("Error"));
        QCOMPARE(QString::fromStdString(box.text), QStringLiteral("Out of memory...\nCopy could not be completed."));
        QVERIFY(box.icon == MessageIcon::Critical);
        QTRY_COMPARE(rowTexts(), before);

        // The clipboard still holds the small link, and the window pastes it.
        trigger(Command::Paste);
        QCOMPARE(rowTexts().size(), 3);
        QCOMPARE(rowTexts().count(QStringLiteral("Small")), 2);
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
    }

    void anOpenThatRunsOutStartsANewDatabaseAndLeavesTheFile()
    {
        // A database whose one description is too long for the memory there is.
        const std::string path = m_world->homePath() + "/Big.bdx";
        {
            LinkStore other { m_world->fakes.clock };
            other.NewDatabase(m_world->homePath());
            other.SetDatabasePath(path);
            other.CreateEntry(false, "http://big.example/", 5, "Big", "HTTP", "");
            other.Root().FolderItems.back()->Description = BigText;
            QVERIFY(SaveDatabase(other).ok());
        }
        const std::string bytes = readBytes(path);
        buildTree("Kept = http://kept.example/\n");
        m_world->fakes.messages.answerNext(Answer::No);  // not saved before the open
        m_world->fileDialogs.answerNext(path);
        {
            MemoryShort shortOfMemory;
            trigger(Command::OpenFile);
        }
        const auto& box = m_world->fakes.messages.shown.back();
        QCOMPARE(QString::fromStdString(box.title), QStringLiteral("Error"));
        QCOMPARE(QString::fromStdString(box.text),
            QString::fromStdString("Out of memory loading " + path + "...\nLoading New Database..."));
        // Not the old model under the new name, which a save would write over the file.
        QVERIFY(m_world->store.DatabasePath() != path);
        QVERIFY(m_world->store.Root().FolderItems.empty());
        QCOMPARE(m_window->ListView1()->rowCount(), 0);
        QCOMPARE(readBytes(path), bytes);

        // With memory to spare the same file opens.
        m_world->fakes.messages.answerNext(Answer::No);
        m_world->fileDialogs.answerNext(path);
        trigger(Command::OpenFile);
        QCOMPARE(m_world->store.DatabasePath(), path);
        QCOMPARE(rowTexts(), QStringList { "Big" });
        QCOMPARE(m_world->store.Root().FolderItems.front()->Description.size(), BigText.size());
    }

    void anImportThatRunsOutSaysSo()
    {
        const std::string path = m_world->homePath() + "/big.htm";
        std::ofstream(path) << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://a/\">A</A>\n<DD>"
                            << BigText << "\n</DL><p>\n";
        m_world->fileDialogs.answerNext(path);
        {
            MemoryShort shortOfMemory;
            trigger(Command::ImportNetscape);
        }
        const auto& box = m_world->fakes.messages.shown.back();
        QCOMPARE(QString::fromStdString(box.title), QStringLiteral("Error"));
        QCOMPARE(QString::fromStdString(box.text), QString::fromStdString("Out of memory importing " + path + "..."));
        // The window goes on: the next import of the file reads it.
        m_world->fileDialogs.answerNext(path);
        trigger(Command::ImportNetscape);
        QCOMPARE(m_world->fakes.messages.shown.size(), size_t(1));
        QCOMPARE(rowTexts(), QStringList { "A" });
        QCOMPARE(m_world->store.Root().FolderItems.front()->Description.size(), BigText.size());
    }
};

QTEST_MAIN(OutOfMemoryTest)
#include "OutOfMemoryTest.moc"
