#include "app/Startup.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "app/CommandLine.h"
#include "app/World.h"
#include "app/frmSplash.h"
#include "explorer/Icons.h"
#include "explorer/frmTarnwell.h"
#include "platform/qt/QtString.h"
#include "settings/Settings.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

// The message boxes of a start-up check, which has no user to answer them: each box is
// written to standard error as one line, counted, and answered with its most careful button.
class ReportedMessageBoxes : public MessageBoxes
{
public:
    Answer show(const std::string& title, const std::string& text, MessageIcon, MessageButtons buttons) override
    {
        std::string line = text;
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::cerr << "brindlex: message box \"" << title << "\": " << line << '\n';
        ++m_shown;
        switch (buttons) {
        case MessageButtons::Ok:
            return Answer::Ok;
        case MessageButtons::YesNo:
            return Answer::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel:
        case MessageButtons::RetryCancel:
            return Answer::Cancel;
        }
        return Answer::Cancel;
    }
    void beep() override { }

    int shown() const { return m_shown; }

private:
    int m_shown = 0;
};

}  // namespace

bool displayAvailable()
{
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" }) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return true;
        }
    }
    return false;
}

void configureApplication()
{
    QApplication::setApplicationName(QStringLiteral("Tarnwell"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    // No display name: Qt would append it to every window title ("Confirm Item Delete —
    // Brindlex"), and the program's titles are its own texts. The desktop entry gives the
    // desktop the program's name and icon for its windows.
    QApplication::setApplicationVersion(QStringLiteral(BRINDLEX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brindlex.Brindlex"));
    QApplication::setWindowIcon(programIcon());
}

void runStartActions(frmTarnwell& window, const StartOptions& options)
{
    if (options.import) {
        QTimer::singleShot(0, &window, [&window] { window.action(Command::ImportNetscape)->trigger(); });
    }
}

std::string loadedSummary(const frmTarnwell& window, const LinkStore& store)
{
    size_t entries = store.Root().FolderItems.size();
    for (const auto& folder : store.Root().SubFolders) {
        entries += folder->FolderItems.size();
    }
    int nodes = 0;
    if (auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TreeView1"))) {
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            ++nodes;
        }
    }
    return "loaded " + store.DatabasePath() + ": " + std::to_string(store.Root().SubFolders.size()) + " folders, "
        + std::to_string(entries) + " entries; the folder tree shows " + std::to_string(nodes) + " nodes";
}

int runBrindlex(const StartOptions& options, char* program)
{
    int qtArgc = 1;
    char* qtArgv[] = { program, nullptr };
    QApplication application(qtArgc, qtArgv);
    configureApplication();

    World world(options.database);
    world.newDatabase = options.newDatabase;
    ReportedMessageBoxes reported;
    if (options.check) {
        world.shownMessages = &reported;
    }
    frmSplash splash;
    frmTarnwell::CenterWindow(&splash);
    splash.show();
    splash.setStep(0);
    // The program font is read before the main window loads.
    const std::string font = readText(world.settings, setting::ProgramFont);
    const int size = readInteger(world.settings, setting::ProgramFontSize);
    splash.setStep(5);
    splash.setStep(10);

    frmTarnwell window(world.services());
    window.setProgramFont(font, size);
    window.Load([&splash](int value) { splash.setStep(value); });
    window.closeTransient(&splash);
    if (options.check) {
        std::cout << "brindlex: " << loadedSummary(window, world.store) << std::endl;
        return reported.shown() == 0 ? 0 : 1;
    }
    runStartActions(window, options);
    return application.exec();
}

}  // namespace brindlex
