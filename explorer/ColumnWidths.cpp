#include "explorer/ColumnWidths.h"

#include <QtGlobal>

#include "explorer/ContentsList.h"
#include "platform/qt/DialogHost.h"
#include "settings/ProgramSettings.h"

namespace brindlex {

ColumnWidths::ColumnWidths(ContentsList& list, ProgramSettings& settings, const DialogHost& units)
    : m_list(list)
    , m_settings(settings)
    , m_units(units)
{
}

void ColumnWidths::apply()
{
    for (int n = 0; n < 6; ++n) {
        m_pixels[n] = qMax(1, m_units.toPixels(m_settings.Columns[n]));
        m_list.setColumnWidth(n, m_pixels[n]);
    }
    m_pixels[6] = m_units.toPixels(m_settings.Columns[6]);
}

void ColumnWidths::sizeUnstored(int listWidth)
{
    int widths[6];
    bool sized[6];
    for (int n = 0; n < 6; ++n) {
        sized[n] = !m_settings.columnStored(n);
        widths[n] = sized[n] ? m_list.typicalColumnWidth(n) : m_pixels[n];
    }
    int rest = listWidth;
    for (int n = 0; n < 4; ++n) {
        rest -= widths[n];
    }
    if (sized[4] && sized[5]) {
        const int url = qMax(widths[4], rest * 11 / 20);
        widths[5] = qMax(widths[5], rest - url);
        widths[4] = url;
    } else if (sized[4]) {
        widths[4] = qMax(widths[4], rest - widths[5]);
    } else if (sized[5]) {
        widths[5] = qMax(widths[5], rest - widths[4]);
    }
    for (int n = 0; n < 6; ++n) {
        if (sized[n]) {
            m_list.setColumnWidth(n, widths[n]);
            m_pixels[n] = widths[n];
            m_settings.Columns[n] = m_units.toTwips(widths[n]);
        }
    }
}

void ColumnWidths::store()
{
    for (int n = 0; n < 6; ++n) {
        if (m_list.columnWidth(n) != m_pixels[n] && m_list.columnWidth(n) > 0) {
            m_settings.Columns[n] = m_units.toTwips(m_list.columnWidth(n));
        }
    }
}

}  // namespace brindlex
