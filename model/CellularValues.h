#pragma once

#include <optional>
#include <string>
#include <string_view>

// The modem's signal and registration values: read from its replies and put
// into words for people.

// The signal value of a "+CSQ: <rssi>,<ber>" reply; none for a reply of
// another form or without a number.
std::optional<int> ReadSignalReply(std::string_view reply);

// The registration state of a "+CREG: <n>,<stat>" reply, also when the modem
// leaves out <n> ("+CREG: <stat>") or adds location fields (quoted) after
// <stat>; none for a reply of another form or without a number.
std::optional<int> ReadRegistrationReply(std::string_view reply);

// The network the modem is registered on, as "+COPS: <mode>,<format>,
// "<operator>"[,<AcT>]" names it: by long or short name, or numerically (MCC
// and MNC run together).
struct NetworkOperator {
    std::string name;
    bool numeric = false;
    std::optional<int> accessTechnology;  // AcT: 0 GSM, 2 UTRAN, 3 EGPRS, 7 LTE, 9 NB-IoT...
};

// The operator of a "+COPS:" reply; none for a reply of another form or one
// that names no operator ("+COPS: 0": not registered).
std::optional<NetworkOperator> ReadOperatorReply(std::string_view reply);

// "T-Mobile (LTE)", "MCC 310 MNC 410 (UMTS)"; the access technology is left
// out when not reported.
std::string OperatorText(const NetworkOperator& network);

// What the modem defines: signal 0 to 31, or 99 for no measurement;
// registration 0 to 5.
bool IsDefinedSignal(int signal);
bool IsDefinedRegistration(int registration);

// The signal in dBm (-113 + 2 x signal) for 0 to 31; none for 99 and for any
// value the modem does not define.
std::optional<int> SignalDbm(int signal);

// "-79 dBm (CSQ 17)", or "unknown" when there is no level.
std::string SignalText(int signal);

// The registration state in words; "Unknown" for 4 and for values the modem
// does not define.
std::string RegistrationWords(int registration);
