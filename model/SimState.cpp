#include "model/SimState.h"

SimState ReadSimStateReply(bool refused, std::string_view payload) {
    if (refused)
        return SimState::Absent;
    if (payload == "+CPIN: SIM PIN")
        return SimState::PinRequired;
    if (payload == "+CPIN: SIM PUK")
        return SimState::PukRequired;
    return SimState::Unknown;
}

std::string SimStateText(SimState state) {
    switch (state) {
        case SimState::Absent:
            return "No SIM Inserted";
        case SimState::PinRequired:
            return "SIM PIN required";
        case SimState::PukRequired:
            return "SIM PUK required (blocked)";
        case SimState::Ready:
        case SimState::Unknown:
            break;
    }
    return "SIM not ready";
}

std::string SimStateWord(SimState state) {
    switch (state) {
        case SimState::Ready:
            return "ready";
        case SimState::Absent:
            return "absent";
        case SimState::PinRequired:
            return "pin-required";
        case SimState::PukRequired:
            return "puk-required";
        case SimState::Unknown:
            break;
    }
    return "unknown";
}
