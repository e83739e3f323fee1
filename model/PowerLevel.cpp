#include "model/PowerLevel.h"

#include "model/ChoiceList.h"

namespace {

const std::vector<std::string>& Entries() {
    static const std::vector<std::string> entries = SplitChoices(kPowerLevelChoices);
    return entries;
}

}  // namespace

int PowerLevelIndex(std::string_view stored) {
    if (stored.size() == 1 && stored[0] >= '0' &&
        stored[0] < '0' + static_cast<int>(Entries().size())) {
        return stored[0] - '0';
    }
    return -1;
}

std::string PowerLevelToEntry(const std::string& stored) {
    const int index = PowerLevelIndex(stored);
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
