#include <gtest/gtest.h>

#include <string>

#include "link/ModemPort.h"

namespace {

struct Parsed {
    bool outcome;
    std::string payload;
};

Parsed ParseReply(const std::string& command, const std::string& reply) {
    ModemPort port;
    Parsed parsed{};
    parsed.outcome = port.Parse(command, reply, parsed.payload);
    return parsed;
}

TEST(Parse, StatusLinesDecideTheOutcome) {
    EXPECT_TRUE(ParseReply("AT\r\n", "\r\nOK\r\n").outcome);
    EXPECT_EQ(ParseReply("AT\r\n", "\r\nOK\r\n").payload, "");

    const Parsed error = ParseReply("AT+X\r\n", "\r\nERROR\r\n");
    EXPECT_FALSE(error.outcome);
    EXPECT_EQ(error.payload, "");

    const Parsed errorThenOk = ParseReply("AT+X\r\n", "\r\nsome text\r\nERROR\r\nOK\r\n");
    EXPECT_FALSE(errorThenOk.outcome);
    EXPECT_EQ(errorThenOk.payload, "some text");

    // An extended error result fails as ERROR does, keeping what preceded it.
    const Parsed cme = ParseReply("AT+CPIN?\r\n", "\r\n+CME ERROR: SIM not inserted\r\n");
    EXPECT_FALSE(cme.outcome);
    EXPECT_EQ(cme.payload, "");
    const Parsed cms = ParseReply("AT+CMGS\r\n", "\r\npartial\r\n+CMS ERROR: 500\r\n");
    EXPECT_FALSE(cms.outcome);
    EXPECT_EQ(cms.payload, "partial");

    // Text shorter than a status word does not end with it.
    EXPECT_TRUE(ParseReply("AT\r\n", "RROR\r\n").outcome);
    EXPECT_EQ(ParseReply("AT\r\n", "K\r\n").payload, "K");
}

TEST(Parse, EchoIsRemovedOnlyWhenExact) {
    EXPECT_EQ(ParseReply("AT+CGMI\r\n", "AT+CGMI\r\n\r\nWAVECOM\r\n\r\nOK\r\n").payload, "WAVECOM");
    // A terminal that echoed an extra CR did not echo the command as sent.
    EXPECT_EQ(ParseReply("AT+CGMI\r\n", "AT+CGMI\r\r\n\r\nWAVECOM\r\n\r\nOK\r\n").payload,
              "AT+CGMI\r\r\n\r\nWAVECOM");
    EXPECT_EQ(ParseReply("AT+CGMI\r\n", "at+cgmi\r\nWAVECOM\r\nOK\r\n").payload,
              "at+cgmi\r\nWAVECOM");
}

TEST(Parse, OutputBlocksAreCutOutWithTheirMarkers) {
    EXPECT_EQ(
        ParseReply("AT\r\n", "a<pyPrint>hello</pyPrint>b<pyPrint>x</pyPrint>c\r\nOK\r\n").payload,
        "abc");
    EXPECT_EQ(ParseReply("AT\r\n", "a<usb>frame</usb>b\r\nOK\r\n").payload, "ab");
    // An unclosed block is payload.
    EXPECT_EQ(ParseReply("AT\r\n", "a<pyPrint>tail\r\nOK\r\n").payload, "a<pyPrint>tail");
    // A closing marker ahead of the opening one must not splice text back in
    // (which would grow the text without end).
    EXPECT_EQ(ParseReply("AT\r\n", "a</pyPrint>b<pyPrint>c\r\nOK\r\n").payload,
              "a</pyPrint>b<pyPrint>c");
    EXPECT_EQ(ParseReply("AT\r\n", "a</usb>b<usb>c</usb>d\r\nOK\r\n").payload, "a</usb>bd");
}

TEST(Parse, AckLineAndLineBreaksAreTrimmed) {
    EXPECT_EQ(ParseReply("at&usbinterface=22\r\n", "\r\ndone\r\n\x06\r\nOK\r\n").payload, "done");
    EXPECT_EQ(ParseReply("AT\r\n", "\r\nA\x06\r\nB\n\r").payload, "A\x06\r\nB");
    // The reply ends at a NUL byte.
    EXPECT_EQ(ParseReply("AT\r\n", std::string("\r\nAB\0CD\r\nOK\r\n", 13)).payload, "AB");
}

TEST(Parse, SleepLeavesAnEmptySuccess) {
    const Parsed sleep = ParseReply("SLEEP", "SLEEP");
    EXPECT_TRUE(sleep.outcome);
    EXPECT_EQ(sleep.payload, "");
}

}  // namespace
