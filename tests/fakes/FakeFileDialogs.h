#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/FileDialogs.h"

namespace brindlex::test {

// Records every dialog request and answers from a script. With nothing scripted a dialog
// is cancelled.
class FakeFileDialogs : public FileDialogs
{
public:
    enum class Kind { Open, OpenMany, Save, Font };
    struct Asked
    {
        Kind kind;
        FileDialogRequest request;
    };

    std::optional<std::string> openFile(QWidget*, const FileDialogRequest& request) override
    {
        asked.push_back({ Kind::Open, request });
        return next();
    }
    std::vector<std::string> openFiles(QWidget*, const FileDialogRequest& request) override
    {
        asked.push_back({ Kind::OpenMany, request });
        if (manyAnswers.empty()) {
            return {};
        }
        std::vector<std::string> files = manyAnswers.front();
        manyAnswers.pop_front();
        return files;
    }
    std::optional<std::string> saveFile(QWidget*, const FileDialogRequest& request) override
    {
        asked.push_back({ Kind::Save, request });
        return next();
    }
    std::optional<FontChoice> chooseFont(QWidget*, const FontChoice&) override
    {
        asked.push_back({ Kind::Font, {} });
        if (fontAnswers.empty()) {
            return std::nullopt;
        }
        const std::optional<FontChoice> font = fontAnswers.front();
        fontAnswers.pop_front();
        return font;
    }

    // The next open or save dialog chooses `path`; std::nullopt cancels it.
    void answerNext(std::optional<std::string> path) { answers.push_back(std::move(path)); }

    std::vector<Asked> asked;
    std::deque<std::optional<std::string>> answers;
    std::deque<std::vector<std::string>> manyAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;

private:
    std::optional<std::string> next()
    {
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> path = answers.front();
        answers.pop_front();
        return path;
    }
};

}  // namespace brindlex::test
