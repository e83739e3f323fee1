#include "ctl/ConsolePrompter.h"

#include <unistd.h>

#include <iostream>

ConsolePrompter::ConsolePrompter(std::ostream& err, int attempts, bool interactive)
    : err_(err), attemptsLeft_(attempts - 1), interactive_(interactive) {}

// A dialog's caption ("Please enter a correct Filename") says nothing on a
// command line that the text does not say better.
void ConsolePrompter::Print(const std::string&, const std::string& text,
                            const std::string& details) {
    err_ << "r7ctl: " << text << '\n';
    if (!details.empty())
        err_ << details << '\n';
}

bool ConsolePrompter::AskTerminal(const std::string& question) {
    err_ << question << "? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

bool ConsolePrompter::AskRetry(const std::string& title, const std::string& text,
                               const std::string& details, MessageKind) {
    Print(title, text, details);
    const bool retry =
        interactive_ && ::isatty(STDIN_FILENO) == 1 ? AskTerminal("Retry") : attemptsLeft_-- > 0;
    if (!retry)
        failed_ = true;
    else if (!interactive_)
        err_ << "r7ctl: retrying\n";
    return retry;
}

bool ConsolePrompter::Confirm(const std::string& title, const std::string& text,
                              const std::string& action) {
    // Commands that erase ask for their own --yes; without a person at the
    // terminal the answer is no.
    Print(title, text, {});
    return interactive_ && ::isatty(STDIN_FILENO) == 1 && AskTerminal(action);
}

void ConsolePrompter::Inform(const std::string& title, const std::string& text) {
    Print(title, text, {});
    failed_ = true;
}

// Cautions and failures alike end the command with a failure status.
void ConsolePrompter::Warn(const std::string& title, const std::string& text,
                           const std::string& details, MessageKind) {
    Print(title, text, details);
    failed_ = true;
}

std::string ConsolePrompter::ChooseOpenFile(const std::string&, const std::string&,
                                            const std::string&) {
    return {};
}

std::string ConsolePrompter::ChooseSaveFile(const std::string&, const std::string&,
                                            const std::string&) {
    // Failed already (a file that could not be written): asking again for
    // the same path would loop; an empty answer ends the download.
    return failed_ ? std::string() : saveDestination_;
}

std::string ConsolePrompter::ChooseProduct(const std::vector<std::string>&) {
    return {};
}
