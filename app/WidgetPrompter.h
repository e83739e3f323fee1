#pragma once

#include "link/Prompter.h"

// Asks the person at the screen with message boxes and the product selection
// dialog. The boxes have no owner: start-up shows them before any window exists.
class WidgetPrompter : public Prompter {
public:
    bool AskRetry(const std::string& title, const std::string& text, const std::string& details,
                  MessageKind kind = MessageKind::Warning) override;
    // The box closes itself as Retry when the trigger has happened.
    bool AskRetryUntil(const std::string& title, const std::string& text,
                       const std::string& details, AnswerTrigger& trigger) override;
    void Inform(const std::string& title, const std::string& text) override;
    void Warn(const std::string& title, const std::string& text, const std::string& details,
              MessageKind kind = MessageKind::Warning) override;
    std::string ChooseOpenFile(const std::string& title, const std::string& currentPath,
                               const std::string& filter) override;
    std::string ChooseSaveFile(const std::string& title, const std::string& proposedPath,
                               const std::string& filter) override;
    std::string ChooseProduct(const std::vector<std::string>& candidates) override;
};
