#pragma once

namespace brindlex {

class Clipboard;
class Clock;
class EventPump;
class MessageBoxes;
class ProgramStarter;

// The desktop services, handed by reference to the objects that need them.
struct Platform
{
    Clipboard& clipboard;
    MessageBoxes& messages;  // boxes and beep
    Clock& clock;
    ProgramStarter& programs;
    EventPump& events;  // "let pending events run"
};

}  // namespace brindlex
