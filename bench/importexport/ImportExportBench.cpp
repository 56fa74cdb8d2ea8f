// Speed of the import command of the main window: a Netscape bookmark file of 100,000
// links chosen in the File > Import menu, read behind the progress window with the real
// event pump, then the list and the tree refreshed. Runs on the offscreen platform unless
// another one is chosen.
#include <cstdlib>
#include <fstream>
#include <string>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "bench/WindowWorld.h"
#include "explorer/ContentsList.h"
#include "explorer/frmTarnwell.h"
#include "store/LinkStore.h"

using namespace brindlex;

namespace {

// A bookmark file of `links` links: `topLinks` of them at the top, the rest in folders of
// 100 links, every tenth folder holding the next nine.
std::string writeBookmarks(const std::string& path, int links, int topLinks)
{
    std::ofstream out(path, std::ios::binary);
    out << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<TITLE>Bookmarks</TITLE>\r\n<H1>Bookmarks</H1>\r\n\r\n<DL><p>\r\n";
    int written = 0;
    const auto link = [&](const char* indent) {
        out << indent << "<DT><A HREF=\"http://example.org/page/" << written << "\" ADD_DATE=\"846383416\" "
            << "LAST_VISIT=\"846383416\" LAST_MODIFIED=\"846383400\">Link number " << written << "</A>\r\n";
        ++written;
    };
    for (int i = 0; i < topLinks; ++i) {
        link("    ");
    }
    int folder = 0;
    while (written < links) {
        const bool outer = folder % 10 == 0;
        const char* indent = outer ? "    " : "        ";
        out << indent << "<DT><H3 ADD_DATE=\"846383500\">Folder " << folder << "</H3>\r\n" << indent << "<DL><p>\r\n";
        for (int i = 0; i < 100 && written < links; ++i) {
            link(outer ? "        " : "            ");
        }
        ++folder;
        // An outer folder stays open for the nine inner ones that follow it.
        if (!outer) {
            out << indent << "</DL><p>\r\n";
        }
        if (folder % 10 == 0 || written >= links) {
            out << "    </DL><p>\r\n";
        }
    }
    out << "</DL><p>\r\n";
    return path;
}

void importThroughTheMenu(benchmark::State& state, const std::string& path)
{
    bench::WindowWorld world;
    frmTarnwell window(world.services(true));
    window.Load();
    QAction* command = window.action(QStringLiteral("mnuImpNetscape"));
    for (auto _ : state) {
        world.dialogs.answerNext(path);
        command->trigger();
        QApplication::processEvents();
        state.PauseTiming();
        if (!world.fakes.messages.shown.empty()) {
            state.SkipWithError(world.fakes.messages.shown.back().text.c_str());
            break;
        }
        state.counters["rows"] = window.ListView1()->rowCount();
        world.store.NewDatabase(world.homePath());
        window.RefreshPanes(true);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    world.close(window);
}

// Mostly in folders, as a browser's bookmarks are.
void BM_ImportNetscape100000LinksInFolders(benchmark::State& state)
{
    const QTemporaryDir files;
    importThroughTheMenu(state, writeBookmarks(files.path().toStdString() + "/bookmark.htm", 100000, 1000));
}
BENCHMARK(BM_ImportNetscape100000LinksInFolders)->Unit(benchmark::kMillisecond)->Iterations(3);

// All at the top: the list shows every one of them afterwards.
void BM_ImportNetscape100000LinksFlat(benchmark::State& state)
{
    const QTemporaryDir files;
    importThroughTheMenu(state, writeBookmarks(files.path().toStdString() + "/bookmark.htm", 100000, 100000));
}
BENCHMARK(BM_ImportNetscape100000LinksFlat)->Unit(benchmark::kMillisecond)->Iterations(3);

// The file named by BRINDLEX_BENCH_BOOKMARKS, so that the window can be compared with
// bdxtool on the very same file (bench/compare.sh).
void BM_ImportNetscapeGivenFile(benchmark::State& state)
{
    const char* path = std::getenv("BRINDLEX_BENCH_BOOKMARKS");
    if (path == nullptr || *path == '\0') {
        state.SkipWithError("BRINDLEX_BENCH_BOOKMARKS names no bookmark file");
        return;
    }
    importThroughTheMenu(state, path);
}
BENCHMARK(BM_ImportNetscapeGivenFile)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    return bench::runWindowBenchmarks(argc, argv);
}
