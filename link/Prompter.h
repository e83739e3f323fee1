#pragma once

#include <string>
#include <vector>

// Something a question can wait for besides the user's answer.
class AnswerTrigger {
public:
    virtual ~AnswerTrigger() = default;
    // Readable when it is worth checking again; -1 when only a timer helps.
    virtual int Descriptor() const = 0;
    // True once what was waited for has happened.
    virtual bool Happened() = 0;
};

// How a message box presents itself: a failure shows the error icon, a caution
// the warning icon.
enum class MessageKind { Warning, Error };

// Every question the shell puts to the user goes through this interface, so that
// start-up and the sheet can run without a person (tests answer instead).
class Prompter {
public:
    virtual ~Prompter() = default;

    // A warning, or with kind Error a failure, with Retry and Cancel; details is
    // extra text for whoever needs to fix the cause (may be empty). True means
    // Retry.
    virtual bool AskRetry(const std::string& title, const std::string& text,
                          const std::string& details, MessageKind kind = MessageKind::Warning) = 0;

    // AskRetry whose question also ends as Retry by itself once the trigger
    // has happened. A prompter that cannot watch just asks.
    virtual bool AskRetryUntil(const std::string& title, const std::string& text,
                               const std::string& details, AnswerTrigger& trigger) {
        static_cast<void>(trigger);
        return AskRetry(title, text, details);
    }

    // A plain message with an OK button.
    virtual void Inform(const std::string& title, const std::string& text) = 0;

    // A warning, or with kind Error a failure, with an OK button; details is
    // extra text shown on request (may be empty).
    virtual void Warn(const std::string& title, const std::string& text, const std::string& details,
                      MessageKind kind = MessageKind::Warning) = 0;

    // The file dialogs. filter is a name filter such as "Python files (*.py)".
    // Each opens at the given path (the file chosen before, or the name to
    // propose; may be empty), and a name typed without extension gets the
    // proposed name's. Both return the chosen path, or empty when the user
    // cancelled.
    virtual std::string ChooseOpenFile(const std::string& title, const std::string& currentPath,
                                       const std::string& filter) = 0;
    virtual std::string ChooseSaveFile(const std::string& title, const std::string& proposedPath,
                                       const std::string& filter) = 0;

    // Several gateways were found: the chosen or typed device name, or empty when
    // the user dismissed the choice.
    virtual std::string ChooseProduct(const std::vector<std::string>& candidates) = 0;
};
