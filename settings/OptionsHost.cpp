#include "settings/OptionsHost.h"

namespace brindlex {

namespace {
constexpr int HeaderBand = 375;
}

void RelayHeaderBars(PaneGeometry& panes, bool headerBars, bool toolbarShown)
{
    if (!headerBars) {
        panes.HeadersVisible = false;
        panes.TreeTop = panes.ListTop = toolbarShown ? 430 : 60;
        panes.TreeHeight += HeaderBand;
        panes.ListHeight += HeaderBand;
    } else {
        panes.HeadersVisible = true;
        panes.TreeHeight -= HeaderBand;
        panes.ListHeight -= HeaderBand;
        panes.HeaderTop = toolbarShown ? 420 : 60;
        panes.TreeTop = panes.ListTop = toolbarShown ? 780 : 430;
    }
}

}  // namespace brindlex
