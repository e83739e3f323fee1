#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/Prompter.h"

// Answers questions from a script and remembers what was asked.
class FakePrompter : public Prompter {
public:
    struct Question {
        std::string title;
        std::string text;
        std::string details;
    };

    std::deque<bool> retryAnswers;  // when empty: Cancel
    std::string productAnswer;
    std::vector<Question> retryQuestions;
    std::vector<Question> messages;
    std::vector<std::vector<std::string>> productChoices;

    bool AskRetry(const std::string& title, const std::string& text,
                  const std::string& details) override {
        retryQuestions.push_back({title, text, details});
        if (retryAnswers.empty())
            return false;
        const bool retry = retryAnswers.front();
        retryAnswers.pop_front();
        return retry;
    }

    void Inform(const std::string& title, const std::string& text) override {
        messages.push_back({title, text, {}});
    }

    std::string ChooseProduct(const std::vector<std::string>& candidates) override {
        productChoices.push_back(candidates);
        return productAnswer;
    }
};
