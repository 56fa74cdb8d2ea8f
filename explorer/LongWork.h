#pragma once

namespace brindlex {

// Long work on the store that lets events run (an import, an export): while any runs,
// the main window stays open, and a close chosen in the tray waits until it ends.
class LongWork
{
public:
    void begin() { ++m_running; }
    void end() { --m_running; }
    bool running() const { return m_running > 0; }

private:
    int m_running = 0;
};

}  // namespace brindlex
