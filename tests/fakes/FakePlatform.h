#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProgramStarter.h"
#include "platform/Progress.h"

namespace brindlex::test {

// A clock that stands still until told otherwise.
class FakeClock : public Clock
{
public:
    DateTime now() const override { return time; }
    DateTime time { 1996, 12, 7, 15, 4, 5, true };
};

struct ShownMessage
{
    std::string title;
    std::string text;
    MessageIcon icon;
    MessageButtons buttons;
};

// Records every box and beep; answers from a script, else with the first button.
class FakeMessageBoxes : public MessageBoxes
{
public:
    Answer show(const std::string& title, const std::string& text, MessageIcon icon, MessageButtons buttons) override
    {
        shown.push_back({ title, text, icon, buttons });
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
        case MessageButtons::Ok:
        case MessageButtons::OkCancel:
            return Answer::Ok;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return Answer::Yes;
        case MessageButtons::RetryCancel:
            return Answer::Retry;
        }
        return Answer::Ok;
    }
    void beep() override { ++beeps; }
    void answerNext(Answer a) { answers.push_back(a); }

    std::vector<ShownMessage> shown;
    std::deque<Answer> answers;
    int beeps = 0;
};

class FakeClipboard : public Clipboard
{
public:
    std::string text() const override { return contents; }
    void setText(const std::string& t) override { contents = t; }
    void clear() override { contents.clear(); }
    std::string contents;
};

struct StartedProgram
{
    std::string program;
    std::vector<std::string> arguments;
};

class FakeProgramStarter : public ProgramStarter
{
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        started.push_back({ program, arguments });
        return succeed;
    }
    std::vector<StartedProgram> started;
    bool succeed = true;
};

class CountingEvents : public EventPump
{
public:
    void processEvents() override { ++calls; }
    int calls = 0;
};

class RecordingProgress : public Progress
{
public:
    void setValue(int v) override { values.push_back(v); }
    void setLabel(const std::string& t) override { labels.push_back(t); }
    std::vector<int> values;
    std::vector<std::string> labels;
};

// A whole set of fakes, ready to hand to the code under test.
struct FakeWorld
{
    FakeClipboard clipboard;
    FakeMessageBoxes messages;
    FakeClock clock;
    FakeProgramStarter programs;
    CountingEvents events;
    Platform platform() { return Platform { clipboard, messages, clock, programs, events }; }
};

}  // namespace brindlex::test
