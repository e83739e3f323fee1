#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "model/CellularValues.h"

// The signal value in dBm and words at the ends of its range and beyond.
TEST(CellularValuesTest, SignalValuesAtTheirEdges) {
    const struct {
        int signal;
        std::optional<int> dbm;
        const char* text;
    } kCases[] = {
        {0, -113, "-113 dBm (CSQ 0)"}, {1, -111, "-111 dBm (CSQ 1)"}, {17, -79, "-79 dBm (CSQ 17)"},
        {30, -53, "-53 dBm (CSQ 30)"}, {31, -51, "-51 dBm (CSQ 31)"}, {99, std::nullopt, "unknown"},
        {32, std::nullopt, "unknown"}, {-1, std::nullopt, "unknown"}, {98, std::nullopt, "unknown"},
    };
    for (const auto& [signal, dbm, text] : kCases) {
        SCOPED_TRACE(signal);
        EXPECT_EQ(SignalDbm(signal), dbm);
        EXPECT_EQ(SignalText(signal), text);
    }
    EXPECT_EQ(ReadSignalReply("+CSQ: 17,99"), 17);
    EXPECT_EQ(ReadSignalReply("+CSQ: 99,99"), 99);
    EXPECT_EQ(ReadSignalReply("+CREG: 0,1"), std::nullopt);
}

// Each form of the +CREG reply, with and without <n> and location fields, and
// each state in words.
TEST(CellularValuesTest, RegistrationRepliesInEveryForm) {
    const struct {
        const char* reply;
        std::optional<int> registration;
        const char* words;
    } kCases[] = {
        {"+CREG: 0,0", 0, "Not registered"},
        {"+CREG: 0", 0, "Not registered"},
        {"+CREG: 0,1", 1, "Registered, home network"},
        {"+CREG: 1", 1, "Registered, home network"},
        {"+CREG: 2,2", 2, "Searching"},
        {"+CREG: 2", 2, "Searching"},
        {"+CREG: 1,3", 3, "Registration denied"},
        {"+CREG: 3", 3, "Registration denied"},
        {"+CREG: 0,4", 4, "Unknown"},
        {"+CREG: 4", 4, "Unknown"},
        {"+CREG: 0,5", 5, "Registered, roaming"},
        {"+CREG: 5", 5, "Registered, roaming"},
        {"+CREG: 2,5,\"1A2B\",\"01C3D4E5\"", 5, "Registered, roaming"},
        {"+CREG: 2,1,\"1A2B\",\"01C3D4E5\",7", 1, "Registered, home network"},
        {"+CREG: 5,\"1A2B\",\"01C3D4E5\"", 5, "Registered, roaming"},
        {"+CREG: 2, \"1A2B\", \"01C3D4E5\"", 2, "Searching"},
        {"+CREG: 0,7", 7, "Unknown"},
        {"+CREG: 0,", std::nullopt, nullptr},
        {"+CREG: ,\"1A2B\"", std::nullopt, nullptr},
        {"+CSQ: 0,1", std::nullopt, nullptr},
    };
    for (const auto& [reply, registration, words] : kCases) {
        SCOPED_TRACE(reply);
        EXPECT_EQ(ReadRegistrationReply(reply), registration);
        if (registration) {
            EXPECT_EQ(RegistrationWords(*registration), words);
        }
    }
    EXPECT_EQ(RegistrationWords(-1), "Unknown");
}

// Each form of the +COPS reply: named or numeric, with or without the access
// technology; none while not registered or for another reply.
TEST(CellularValuesTest, OperatorRepliesInEveryForm) {
    const struct {
        const char* reply;
        const char* text;  // nullptr: no operator
    } kCases[] = {
        {"+COPS: 0,0,\"T-Mobile\",7", "T-Mobile (LTE)"},
        {"+COPS: 0,1,\"TMO\"", "TMO"},
        {"+COPS: 1,2,\"310410\",2", "MCC 310 MNC 410 (UMTS)"},
        {"+COPS: 0,2,\"26202\",9", "MCC 262 MNC 02 (NB-IoT)"},
        {"+COPS: 0,0,\"12345\"", "12345"},
        {"+COPS: 0,0,\"Net, Inc\",12", "Net, Inc (AcT 12)"},
        {"+COPS: 0", nullptr},
        {"+COPS: 0,0,\"\"", nullptr},
        {"+CREG: 0,\"1\"", nullptr},
    };
    for (const auto& [reply, text] : kCases) {
        SCOPED_TRACE(reply);
        const std::optional<NetworkOperator> network = ReadOperatorReply(reply);
        ASSERT_EQ(network.has_value(), text != nullptr);
        if (network) {
            EXPECT_EQ(OperatorText(*network), text);
        }
    }
}
