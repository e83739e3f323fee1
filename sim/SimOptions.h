#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A configuration reply spoiled on request: one the dashboard cannot read, or
// one it must read in another encoding.
struct ReplyFault {
    enum class Kind {
        Cut,       // the root's end tag is missing
        Mismatch,  // an end tag that closes nothing
        Dtd,       // a document type declaration with an entity
        Deep,      // nested deeper than parsers allow
        Binary,    // control and non-UTF-8 bytes inside
        Echo,      // the request text in front of the reply
        Latin1     // ISO-8859-1 bytes with no encoding declared (still well-formed)
    };
    Kind kind;
    std::string on;  // replies to commands containing this text
};

// The SIM card in the gateway: working, missing, or locked until its PIN (or,
// once blocked, its PUK) is given.
enum class SimCard { Ready, Absent, Pin, Puk };

// How the simulated gateway behaves, from its command line.
struct SimOptions {
    std::string linkPath;
    std::string transcriptPath;
    std::string configDir;
    bool echo = false;
    bool noSim = false;  // the same as simCard Absent
    SimCard simCard = SimCard::Ready;
    bool extendedErrors = false;  // refusals are "+CME ERROR: <n>", as after AT+CMEE=1
    bool noRadio = false;
    int signal = 17;
    std::string registration;  // AT+CREG? payload; empty: derived from the SIM
    bool signalWalk = false;   // the signal wanders, with spells of roaming
    long signalSeed = 1;       // ... always the same way for the same seed
    // Faults on request.
    long silentAfter = -1;                    // commands answered before the gateway goes mute
    std::vector<std::string> errorOn;         // commands containing one of these get ERROR
    long wrongDigests = 0;                    // digest answers that are wrong, from the first
    std::optional<std::string> digestAnswer;  // every digest query gets this text instead
    std::vector<ReplyFault> spoiledOn;        // XML replies spoiled, by the commands they answer
    int replyDelayMs = 0;                     // every reply waits this long
    std::string vanishOn;                     // the port goes away instead of answering this
    long vanishAfterBytes = -1;               // ... or after this many bytes of upload data
    long stallAfterBytes = -1;                // stops reading after this many bytes of upload data
    int vanishForMs = 3000;                   // how long a vanished port stays away
    bool vanishForGood = false;               // ... or it never comes back
    double unplugEverySeconds = 0;            // > 0: the port goes away after this long up
    bool stayDown = false;                    // after a reboot or install the port never comes back
    std::size_t oversize = 0;                 // XML replies are padded to at least this size
    double timeScale = 1.0;                   // multiplies every delay
    int idleTimeoutMs = 2000;                 // a document or upload that stalls is dropped
    // Replies to commands containing one of these stream on without a status.
    std::vector<std::string> endlessOn;
    // Replies to commands containing one of these carry NUL bytes inside their payload.
    std::vector<std::string> nulOn;
    // Replies to commands containing one of these lack their final status line.
    std::vector<std::string> noStatusOn;
    long splitRepliesUs = -1;  // >= 0: every reply goes out one byte per write, this far apart

    int Scaled(int ms) const { return static_cast<int>(ms * timeScale); }
};

// False with a message when the arguments are not understood.
bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);
const char* SimUsage();
