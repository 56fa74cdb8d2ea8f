#pragma once
#include <string>

#include "settings/ProgramSettings.h"

namespace brindlex {

// Tops and heights of the folder tree, the contents list and their header bars, in twips.
struct PaneGeometry
{
    int TreeTop = 0;
    int TreeHeight = 0;
    int ListTop = 0;
    int ListHeight = 0;
    int HeaderTop = 0;
    bool HeadersVisible = false;
};

// The header bars switched on or off by the Options dialog: off hides them and gives
// their band to the panes; on takes it back.
void RelayHeaderBars(PaneGeometry& panes, bool headerBars, bool toolbarShown);

// What the Options dialog changes on the main window.
class OptionsHost
{
public:
    virtual ~OptionsHost() = default;
    // The program's options (of its one ProgramSettings), changed in place by the dialog.
    virtual ProgramOptions& Options() = 0;
    // Applies ProgramFont and ProgramFontSize to the main window's controls.
    virtual void ApplyProgramFont() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual bool ToolbarShown() const = 0;
    virtual PaneGeometry Panes() const = 0;
    virtual void SetPanes(const PaneGeometry& panes) = 0;
    virtual void SetTrayIcon(bool shown) = 0;
    // Whether the desktop has a system tray to show the icon in.
    virtual bool TrayAvailable() const = 0;
    // The client button's image and tool tip, and the status bar's client picture.
    virtual void ShowDefaultClient(int toolbarImage, const std::string& tooltip) = 0;
};

}  // namespace brindlex
