#pragma once

namespace brindlex {

class ContentsList;
class DialogHost;
class ProgramSettings;

// The contents list's column widths against the stored twips: set from them at start-up,
// the columns no earlier run stored sized to their contents, and at exit only the widths
// the user changed stored again (an unchanged one keeps its twips exactly).
class ColumnWidths
{
public:
    ColumnWidths(ContentsList& list, ProgramSettings& settings, const DialogHost& units);

    // Sets every column from its stored twips.
    void apply();
    // Columns whose widths no earlier run stored: their header and typical contents, the
    // URL and the Description sharing what the others leave of `listWidth`, the width
    // the list's rows will have once the window is shown.
    void sizeUnstored(int listWidth);
    // Stores the widths the user changed since they were set.
    void store();

private:
    ContentsList& m_list;
    ProgramSettings& m_settings;
    const DialogHost& m_units;
    int m_pixels[7] = {};  // the widths set from the stored twips, to tell a user's change
};

}  // namespace brindlex
