#include "model/ChoiceList.h"

#include "link/AsciiText.h"

std::vector<std::string> SplitChoices(std::string_view choices) {
    std::vector<std::string> entries;
    while (true) {
        const std::size_t end = choices.find('\n');
        entries.emplace_back(choices.substr(0, end));
        if (end == std::string_view::npos) {
            return entries;
        }
        choices.remove_prefix(end + 1);
    }
}

int FindChoice(const std::vector<std::string>& choices, std::string_view text) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (EqualsIgnoringAsciiCase(choices[i], text)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
