#pragma once

#include <cstdio>
#include <ostream>
#include <string>

#include "link/Prompter.h"

// The questions of the shared gateway scripts, answered for a command line.
// Messages go to standard error. Retry is answered without asking until the
// allowed attempts are used up, unless --interactive lets the user answer on
// the terminal. A save dialog returns the destination the command was given,
// for every attempt (a digest mismatch is retried into the same file), until
// the command has failed, so that a failed write is not retried forever.
class ConsolePrompter : public Prompter {
public:
    ConsolePrompter(std::ostream& err, int attempts, bool interactive);

    void SetSaveDestination(std::string path) { saveDestination_ = std::move(path); }

    // True once the user (or the attempt limit) declined a retry, or a
    // warning was shown: the command then ends with kExitRefused.
    bool Failed() const { return failed_; }

    bool AskRetry(const std::string& title, const std::string& text, const std::string& details,
                  MessageKind kind = MessageKind::Warning) override;
    void Inform(const std::string& title, const std::string& text) override;
    void Warn(const std::string& title, const std::string& text, const std::string& details,
              MessageKind kind = MessageKind::Warning) override;
    std::string ChooseOpenFile(const std::string& title, const std::string& currentPath,
                               const std::string& filter) override;
    std::string ChooseSaveFile(const std::string& title, const std::string& proposedPath,
                               const std::string& filter) override;
    std::string ChooseProduct(const std::vector<std::string>& candidates) override;

private:
    void Print(const std::string& title, const std::string& text, const std::string& details);
    bool AskTerminal();

    std::ostream& err_;
    int attemptsLeft_;
    bool interactive_;
    bool failed_ = false;
    std::string saveDestination_;
};
