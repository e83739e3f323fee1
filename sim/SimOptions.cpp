#include "SimOptions.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>

namespace {

bool ToLong(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

bool ToDouble(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= 0;
}

template <typename T>
std::function<bool(const std::string&)> Number(T& target) {
    return [&target](const std::string& text) {
        long value = 0;
        if (!ToLong(text, value) || value < 0) {
            return false;
        }
        target = static_cast<T>(value);
        return true;
    };
}

std::function<bool(const std::string&)> Text(std::string& target) {
    return [&target](const std::string& text) {
        target = text;
        return true;
    };
}

std::function<bool(const std::string&)> Texts(std::vector<std::string>& target) {
    return [&target](const std::string& text) {
        target.push_back(text);
        return !text.empty();
    };
}

// "KIND:TEXT" for --spoil; --bad-xml TEXT is the same as --spoil cut:TEXT.
std::function<bool(const std::string&)> Faults(std::vector<ReplyFault>& target,
                                               std::optional<ReplyFault::Kind> fixed = {}) {
    return [&target, fixed](const std::string& text) {
        using Kind = ReplyFault::Kind;
        static const std::map<std::string, Kind> kKinds = {
            {"cut", Kind::Cut},      {"mismatch", Kind::Mismatch}, {"dtd", Kind::Dtd},
            {"deep", Kind::Deep},    {"binary", Kind::Binary},     {"echo", Kind::Echo},
            {"latin1", Kind::Latin1}};
        if (fixed) {
            target.push_back({*fixed, text});
            return !text.empty();
        }
        const std::size_t colon = text.find(':');
        const auto kind = kKinds.find(text.substr(0, colon));
        if (colon == std::string::npos || colon + 1 == text.size() || kind == kKinds.end()) {
            return false;
        }
        target.push_back({kind->second, text.substr(colon + 1)});
        return true;
    };
}

bool ReadSimCard(const std::string& text, SimCard& card) {
    static const std::map<std::string, SimCard> kCards = {{"ready", SimCard::Ready},
                                                          {"absent", SimCard::Absent},
                                                          {"pin", SimCard::Pin},
                                                          {"puk", SimCard::Puk}};
    const auto found = kCards.find(text);
    if (found == kCards.end())
        return false;
    card = found->second;
    return true;
}

}  // namespace

const char* SimUsage() {
    return "usage: r7sim [options]\n\n"
           "Options:\n"
           "  --link PATH            publish the serial device at PATH\n"
           "                         (default $XDG_RUNTIME_DIR/r7sim, or /tmp/r7sim)\n"
           "  --transcript FILE      record every received byte\n"
           "  --config DIR           load settings.xml, state.xml, radio.xml, discover.xml\n"
           "                         and fs/ from DIR (missing ones from the defaults)\n"
           "  --echo                 echo every command\n"
           "  --no-sim               no SIM card inserted (--sim-state absent)\n"
           "  --sim-state STATE      ready, absent, pin (locked, wants its PIN) or puk\n"
           "                         (blocked); AT+CPIN? answers accordingly\n"
           "  --extended-errors      refuse with +CME ERROR: <n> instead of ERROR (10 no SIM,\n"
           "                         11 PIN, 12 PUK, 100 anything else)\n"
           "  --no-radio             no mesh radio fitted\n"
           "  --csq N                signal quality reported by AT+CSQ (default 17)\n"
           "  --creg TEXT            payload of the AT+CREG? reply (default +CREG: 0,1)\n"
           "  --signal-walk          the signal wanders: AT+CSQ between 5 and 28, a step a\n"
           "                         second, now and then 99, and spells of roaming in AT+CREG?\n"
           "  --signal-seed N        the walk's seed; the same seed gives the same walk (default "
           "1)\n"
           "  --silent-after N       answer nothing after N commands\n"
           "  --error-on TEXT        answer ERROR to commands containing TEXT (repeatable)\n"
           "  --wrong-digest N       the first N digest answers are wrong\n"
           "  --digest-answer TEXT   answer every digest query with TEXT (may be empty)\n"
           "  --bad-xml TEXT         XML replies to commands containing TEXT are cut short\n"
           "  --spoil KIND:TEXT      spoil XML replies to commands containing TEXT (repeatable);\n"
           "                         KIND: cut, mismatch (stray end tag), dtd, deep (nesting\n"
           "                         over 256), binary (control and non-UTF-8 bytes), echo\n"
           "                         (request in front), latin1 (ISO-8859-1, no declaration)\n"
           "  --reply-delay MS       wait MS before every reply\n"
           "  --vanish-on TEXT       the port goes away on the first command containing TEXT\n"
           "  --vanish-after-bytes N the port goes away after N bytes of upload data\n"
           "  --vanish-for MS        how long a vanished port stays away (default 3000)\n"
           "  --stall-after-bytes N  stop reading after N bytes of upload data; the port stays\n"
           "                         attached\n"
           "  --vanish-for-good      a vanished port never comes back\n"
           "  --unplug-every S       take the port away after every S seconds it was there, for\n"
           "                         the time --vanish-for gives, as if the cable were pulled\n"
           "  --stay-down            after a reboot or firmware install the port never comes back\n"
           "  --endless-on TEXT      the reply to commands containing TEXT streams on without\n"
           "                         a status until the next command (repeatable)\n"
           "  --nul-on TEXT          put NUL bytes inside the payload of replies to commands\n"
           "                         containing TEXT (repeatable)\n"
           "  --no-status-on TEXT    replies to commands containing TEXT end without OK or ERROR\n"
           "                         (repeatable)\n"
           "  --split-replies US     write every reply one byte per write, US microseconds apart\n"
           "  --oversize BYTES       pad XML replies to at least BYTES\n"
           "  --time-scale F         multiply every delay by F\n"
           "  --idle-timeout MS      drop a document or upload that stalls (default 2000)\n"
           "  -h, --help             this text\n"
           "  --version              the program's version\n";
}

bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    std::map<std::string, bool*> flags = {{"--echo", &options.echo},
                                          {"--no-sim", &options.noSim},
                                          {"--no-radio", &options.noRadio},
                                          {"--vanish-for-good", &options.vanishForGood},
                                          {"--signal-walk", &options.signalWalk},
                                          {"--extended-errors", &options.extendedErrors},
                                          {"--stay-down", &options.stayDown}};
    std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"--link", Text(options.linkPath)},
        {"--transcript", Text(options.transcriptPath)},
        {"--config", Text(options.configDir)},
        {"--sim-state",
         [&options](const std::string& text) { return ReadSimCard(text, options.simCard); }},
        {"--csq", Number(options.signal)},
        {"--creg", Text(options.registration)},
        {"--signal-seed", Number(options.signalSeed)},
        {"--silent-after", Number(options.silentAfter)},
        {"--error-on", Texts(options.errorOn)},
        {"--wrong-digest", Number(options.wrongDigests)},
        {"--digest-answer",
         [&options](const std::string& text) {
             options.digestAnswer = text;
             return true;
         }},
        {"--bad-xml", Faults(options.spoiledOn, ReplyFault::Kind::Cut)},
        {"--spoil", Faults(options.spoiledOn)},
        {"--reply-delay", Number(options.replyDelayMs)},
        {"--vanish-on", Text(options.vanishOn)},
        {"--vanish-after-bytes", Number(options.vanishAfterBytes)},
        {"--stall-after-bytes", Number(options.stallAfterBytes)},
        {"--vanish-for", Number(options.vanishForMs)},
        {"--endless-on", Texts(options.endlessOn)},
        {"--nul-on", Texts(options.nulOn)},
        {"--no-status-on", Texts(options.noStatusOn)},
        {"--split-replies", Number(options.splitRepliesUs)},
        {"--oversize", Number(options.oversize)},
        {"--idle-timeout", Number(options.idleTimeoutMs)},
        {"--time-scale",
         [&options](const std::string& text) { return ToDouble(text, options.timeScale); }},
        {"--unplug-every",
         [&options](const std::string& text) {
             return ToDouble(text, options.unplugEverySeconds) && options.unplugEverySeconds > 0;
         }},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (auto flag = flags.find(name); flag != flags.end()) {
            *flag->second = true;
            continue;
        }
        auto option = valued.find(name);
        if (option == valued.end()) {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= argc || !option->second(argv[i + 1])) {
            error = "option " + name + " needs a valid value";
            return false;
        }
        ++i;
    }
    if (options.noSim)
        options.simCard = SimCard::Absent;
    options.noSim = options.simCard == SimCard::Absent;
    if (options.linkPath.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        options.linkPath = std::string(runtime && *runtime ? runtime : "/tmp") + "/r7sim";
    }
    return true;
}
