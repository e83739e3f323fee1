#include "model/PowerLevel.h"

#include <algorithm>

#include "model/ChoiceList.h"

namespace {

// Where reading more digits stops mattering: the number is not in the list.
constexpr int kBeyondTheList = 1000;

const std::vector<std::string>& Entries() {
    static const std::vector<std::string> entries = SplitChoices(kPowerLevelChoices);
    return entries;
}

}  // namespace

std::optional<int> ReadPowerLevel(std::string_view stored) {
    const std::size_t start = std::min(stored.find_first_not_of(" \t\r\n"), stored.size());
    std::optional<int> number;
    for (char c : stored.substr(start)) {
        if (c < '0' || c > '9') {
            break;
        }
        number = std::min(number.value_or(0) * 10 + (c - '0'), kBeyondTheList);
    }
    return number;
}

int PowerLevelIndex(std::optional<int> number) {
    return number && *number < static_cast<int>(Entries().size()) ? *number : -1;
}

std::string PowerLevelToEntry(const std::string& stored) {
    const int index = PowerLevelIndex(ReadPowerLevel(stored));
    return index < 0 ? stored : Entries()[static_cast<std::size_t>(index)];
}

std::string PowerLevelFromEntry(const std::string& shown) {
    // The stored form of an entry is its position in the list.
    for (std::size_t i = 0; i < Entries().size(); ++i) {
        if (Entries()[i] == shown) {
            return std::to_string(i);
        }
    }
    return shown;
}
