#pragma once

#include <deque>
#include <string>
#include <vector>

#include "link/Prompter.h"

// Answers questions from a script and remembers what was asked.
class FakePrompter : public Prompter {
public:
    struct Question {
        std::string title;
        std::string text;
        std::string details;
        MessageKind kind = MessageKind::Warning;
    };

    std::deque<bool> retryAnswers;  // when empty: Cancel
    std::string productAnswer;
    std::vector<Question> retryQuestions;
    std::vector<Question> messages;
    std::vector<std::vector<std::string>> productChoices;
    std::vector<Question> warnings;
    std::deque<bool> confirmAnswers;  // when empty: `agree`
    bool agree = false;
    std::vector<Question> confirmations;      // details holds the action's caption
    std::deque<std::string> fileAnswers;      // paths the file dialogs return; when empty: cancel
    std::vector<std::string> fileFilters;     // the filter of every file dialog shown
    std::vector<std::string> fileStartPaths;  // where every file-open dialog opened

    bool AskRetry(const std::string& title, const std::string& text, const std::string& details,
                  MessageKind kind = MessageKind::Warning) override {
        retryQuestions.push_back({title, text, details, kind});
        if (retryAnswers.empty())
            return false;
        const bool retry = retryAnswers.front();
        retryAnswers.pop_front();
        return retry;
    }

    bool Confirm(const std::string& title, const std::string& text,
                 const std::string& action) override {
        confirmations.push_back({title, text, action});
        if (confirmAnswers.empty())
            return agree;
        const bool confirmed = confirmAnswers.front();
        confirmAnswers.pop_front();
        return confirmed;
    }

    void Inform(const std::string& title, const std::string& text) override {
        messages.push_back({title, text, {}});
    }

    void Warn(const std::string& title, const std::string& text, const std::string& details,
              MessageKind kind = MessageKind::Warning) override {
        warnings.push_back({title, text, details, kind});
    }

    std::string ChooseOpenFile(const std::string&, const std::string& currentPath,
                               const std::string& filter) override {
        fileStartPaths.push_back(currentPath);
        return NextFile(filter);
    }

    std::string ChooseSaveFile(const std::string&, const std::string&,
                               const std::string& filter) override {
        return NextFile(filter);
    }

    std::string ChooseProduct(const std::vector<std::string>& candidates) override {
        productChoices.push_back(candidates);
        return productAnswer;
    }

private:
    std::string NextFile(const std::string& filter) {
        fileFilters.push_back(filter);
        if (fileAnswers.empty())
            return {};
        std::string path = fileAnswers.front();
        fileAnswers.pop_front();
        return path;
    }
};
