#include "app/Startup.h"

#include <cstdlib>
#include <memory>

#include <QApplication>

#include "app/World.h"
#include "app/frmSplash.h"
#include "explorer/frmTarnwell.h"
#include "platform/qt/QtString.h"
#include "settings/Settings.h"

namespace brindlex {

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

int runBrindlex(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwell"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brindlex"));

    World world(argc > 1 ? std::string(argv[1]) : std::string());
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
    splash.close();
    return application.exec();
}

}  // namespace brindlex
