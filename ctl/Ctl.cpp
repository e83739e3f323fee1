#include "ctl/Ctl.h"

#include <algorithm>
#include <iomanip>
#include <span>
#include <string_view>

#include "ctl/CtlCommands.h"
#include "ctl/CtlOptions.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewayWait.h"
#include "ctl/StopSignals.h"

namespace {

struct CommandEntry {
    std::string_view name;  // one word, or two for a group ("python ls")
    std::string_view usage;
    std::string_view summary;
    std::size_t minArgs;
    std::size_t maxArgs;
    int (*run)(CtlCall&);
    std::string_view brief;  // its line in the list of commands, within 80 columns
};

constexpr std::size_t kMany = 1000;

constexpr CommandEntry kCommands[] = {
    {"ports", "ports [--json]",
     "Lists the attached gateways: device, by-id link, USB identity, and whether the port can be "
     "opened now.",
     0, 0, RunPorts, "list the attached gateways and whether they can be opened"},
    {"info", "info [--json]",
     "Shows the device information: product, firmware, SIM (its state: ready, absent, "
     "pin-required, puk-required or unknown; IMSI and phone number), modem, signal (CSQ and "
     "dBm), network registration (in words, and its +CREG number) and IP address. A missing or "
     "locked SIM is reported, not a failure.",
     0, 0, RunInfo, "show the device information, SIM, signal and registration"},
    {"get", "get PATH... | get --list [--json]",
     "Prints settings by their path, for example mobile_simple/apn or "
     "mgmtconnection&index=3/connectionEnabled; --list prints every setting the gateway reports.",
     0, kMany, RunGet, "print settings by their path, or every setting"},
    {"set", "set PATH=VALUE... [--check] [--json]",
     "Reads the gateway's settings; when every value already equals what is asked, sends nothing "
     "and prints \"unchanged\". Otherwise sends only the values that differ, reads them back and "
     "prints \"PATH: changed OLD -> NEW\" for each (\"(hidden)\" for a password or pin); exits 1 "
     "when the gateway kept another value than asked. --check prints what would change and "
     "sends nothing. PATH=- reads that one value from standard input, without its final line "
     "feed, so that a password stays out of the command line: "
     "r7ctl set mobile_simple/password=- < secret.txt",
     1, kMany, RunSet, "change settings, sending only the values that differ"},
    {"diff", "diff FILE [--json]",
     "Compares the gateway's settings with FILE (a backup, or PATH=VALUE lines with # comments; "
     "- for standard input) and prints \"PATH: GATEWAY -> FILE\" for each difference; exits 0 "
     "when they are equal, 1 when they differ.",
     1, 1, RunDiff, "compare the gateway's settings with a file"},
    {"apply", "apply FILE [--check] [--json]",
     "Makes the gateway's settings equal to FILE (as for diff), sending only the values that "
     "differ in one apply, and reports as set does.",
     1, 1, RunApply, "make the gateway's settings equal to a file"},
    {"python ls", "python ls [--json]", "Lists the Python programs stored on the gateway.", 0, 0,
     RunPythonList, "list the Python programs stored on the gateway"},
    {"python get", "python get NAME [DEST]",
     "Downloads a program into DEST (default: NAME in the current directory) and checks its "
     "digest.",
     1, 2, RunPythonGet, "download a Python program and check its digest"},
    {"python put", "python put FILE [--if-changed] [--check] [--json]",
     "Uploads a program to /WEB/python and checks the stored file's digest. --if-changed first "
     "compares the gateway's digest of the program with the file's and sends nothing when they "
     "are equal (\"unchanged\"); --check only says whether it would upload.",
     1, 1, RunPythonPut, "upload a Python program and check its digest"},
    {"python digest", "python digest NAME [--json]",
     "Prints the gateway's MD5 digest of the program NAME.", 1, 1, RunPythonDigest,
     "print the MD5 digest of a stored Python program"},
    {"python rm", "python rm NAME", "Removes a program from the gateway.", 1, 1, RunPythonRemove,
     "remove a Python program from the gateway"},
    {"backup", "backup FILE|- [--json]",
     "Saves the gateway's settings into FILE (left as it is when it already holds them), or "
     "writes them to standard output for -.",
     1, 1, RunBackup, "save the gateway's settings to a file"},
    {"restore", "restore FILE|- [--json]",
     "Sends the settings saved in FILE (- for standard input) to the gateway, reboots it and "
     "reads its settings again.",
     1, 1, RunRestore, "send saved settings to the gateway and restart it"},
    {"reboot", "reboot [--no-wait] [--json]",
     "Restarts the gateway and waits for it to answer again (as long as a restart may take), "
     "then prints \"restarted in N s\"; --no-wait ends once the gateway has gone away to "
     "restart.",
     0, 0, RunReboot, "restart the gateway and wait for it to answer again"},
    {"factory-reset", "factory-reset --yes",
     "Restores the gateway's factory settings and reboots it.", 0, 0, RunFactoryReset,
     "restore the factory settings and restart the gateway"},
    {"firmware", "firmware FILE [--version V [--check]] [--json]",
     "Uploads a firmware image with the digest check, installs it, waits for the gateway to "
     "restart and prints the new version. With --version V, a gateway that already reports "
     "firmware V is left alone (\"unchanged\"), and any other version after the install fails "
     "the command; --check only says whether it would install.",
     1, 1, RunFirmware, "install a firmware image and wait for the restart"},
    {"radio-firmware", "radio-firmware FILE",
     "Uploads a mesh radio firmware file with the digest check, has the radio install it and "
     "prints the new version.",
     1, 1, RunRadioFirmware, "install a firmware file in the mesh radio"},
    {"mesh discover", "mesh discover [--json]", "Lists the mesh radio nodes the gateway reaches.",
     0, 0, RunMeshDiscover, "list the mesh radio nodes the gateway reaches"},
    {"apn", "apn [--mccmnc DIGITS] [--provider TEXT] [--name TEXT] [--set [--check]] [--json]",
     "Lists the internet access points (APN, username, password, plan) that the mobile "
     "providers' database gives for the SIM's network, or for --mccmnc's without a gateway; "
     "--provider and --name narrow the list (equal, else contained, ignoring case). --set makes "
     "the gateway's APN, username and password those of the one access point left, as set does "
     "(\"unchanged\" when it holds them already); exits 1 listing the candidates when several "
     "are left.",
     0, 0, RunApn, "list the APN presets for the SIM's network, or apply one"},
    {"signal", "signal [--interval S] [--count N] [--json|--csv]",
     "Samples the signal, registration and operator every S seconds (default 2): one line a "
     "sample (time, dBm, CSQ, registration, operator with its access technology when the modem "
     "names one) until N samples or Ctrl+C. A gateway that does not answer gives a "
     "line saying so; sampling goes on when it is back.",
     0, 0, RunSignal, "sample the signal and registration until stopped"},
    {"metrics", "metrics [--all | --port DEVICE] [--textfile FILE]",
     "Samples every attached gateway (or the --port one), all at the same time, and prints "
     "their signal, registration and identity in Prometheus text format. --textfile writes "
     "FILE instead, replaced whole and readable by all (0644), for node_exporter's textfile "
     "collector. A gateway that did not answer, is held by another program (never waited for) "
     "or is gone has r7_up 0 and a reason label (no_answer, busy, absent, denied); one that "
     "FILE named and that is no longer attached stays in it so (remove FILE to forget it). "
     "r7_last_success_timestamp_seconds of a gateway that did not answer is carried over "
     "from FILE. Exits 3 when a gateway did not answer.",
     0, 0, RunMetrics, "write the gateways' health for Prometheus"},
};

constexpr std::string_view kCommonOptions =
    "Options:\n"
    "  --port DEVICE   the gateway's serial device (default: find the one attached)\n"
    "  --log FILE      append every exchange to FILE\n"
    "  --json          results as JSON, with \"changed\" where the command may change\n"
    "                  something\n"
    "  --check         say what would change, change nothing\n"
    "  --interactive   ask on the terminal where a question arises\n"
    "  --retries N     upload attempts before a digest mismatch fails (default 2)\n"
    "  --wait SECONDS  wait up to SECONDS for a gateway to be plugged in first\n"
    "  -q, --quiet     no progress bar\n"
    "  -v, --verbose   every exchange on standard error\n"
    "  --show-secrets  passwords and PINs in get --list and -v, not (hidden)\n"
    "  -h, --help      this text, or a command's own\n"
    "  --version       the program's version\n"
    "Exit status: 0 success, 1 refused, a needed reply missing or unreadable, or a\n"
    "check failed, 2 usage error, 3 no usable gateway (or its port went away for\n"
    "good); 130 or 143 when stopped by SIGINT or SIGTERM.\n";

// A terminal of 80 columns shows every line whole, without its last column.
constexpr std::size_t kLineWidth = 79;

// TEXT as lines of words within kLineWidth, each starting with INDENT spaces.
void PrintWrapped(std::ostream& out, std::string_view text, std::size_t indent) {
    std::size_t column = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        const std::string_view word = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (column > 0 && column + 1 + word.size() > kLineWidth) {
            out << '\n';
            column = 0;
        }
        if (column == 0) {
            out << std::string(indent, ' ') << word;
            column = indent + word.size();
        } else {
            out << ' ' << word;
            column += 1 + word.size();
        }
    }
    out << '\n';
}

void PrintCommandLine(std::ostream& out, std::string_view name, std::string_view brief) {
    out << "  " << std::left << std::setw(16) << name << brief << '\n';
}

void PrintUsage(std::ostream& out) {
    out << "Usage: r7ctl [OPTIONS] COMMAND [ARGS]\n"
           "  or:  r7ctl help [COMMAND]\n\nCommands:\n";
    for (const CommandEntry& command : kCommands)
        PrintCommandLine(out, command.name, command.brief);
    PrintCommandLine(out, "help", "this list, or a command's usage and description");
    out << "\nSee 'r7ctl help COMMAND' for a command's arguments.\n\n" << kCommonOptions;
}

void PrintCommandHelp(std::ostream& out, const CommandEntry& command) {
    out << "Usage: r7ctl " << command.usage << "\n\n";
    PrintWrapped(out, command.summary, 0);
    out << '\n' << kCommonOptions;
}

// The commands of a group ("python", "mesh"); false when there is no such group.
bool PrintGroupHelp(std::ostream& out, std::string_view group) {
    bool found = false;
    for (const CommandEntry& command : kCommands) {
        if (!command.name.starts_with(std::string(group) + ' '))
            continue;
        if (!found)
            out << "Usage: r7ctl " << group << " COMMAND [ARGS]\n\nCommands:\n";
        found = true;
        out << "  " << command.usage << '\n';
        PrintWrapped(out, command.summary, 6);
    }
    if (found)
        out << '\n' << kCommonOptions;
    return found;
}

// The entry named by the first one or two words; nullptr for none.
const CommandEntry* FindCommand(const std::vector<std::string>& words, std::size_t& nameWords) {
    for (const CommandEntry& command : kCommands) {
        const bool twoWords = command.name.find(' ') != std::string_view::npos;
        nameWords = twoWords ? 2 : 1;
        if (words.size() < nameWords)
            continue;
        const std::string name = twoWords ? words[0] + ' ' + words[1] : words[0];
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

}  // namespace

int RunCtl(const std::vector<std::string>& arguments, CtlEnvironment& environment) {
    CtlOptions options;
    std::string error;
    if (!ParseCtlOptions(arguments, options, &error)) {
        environment.err << "r7ctl: " << error << "\nTry 'r7ctl --help'.\n";
        return kExitUsage;
    }
    if (options.version) {
        environment.out << "r7ctl " << R7_VERSION << '\n';
        return kExitSuccess;
    }
    // "help [COMMAND]" is "[COMMAND] --help".
    if (!options.words.empty() && options.words[0] == "help") {
        options.words.erase(options.words.begin());
        options.help = true;
    }
    if (options.words.empty()) {
        PrintUsage(options.help ? environment.out : environment.err);
        return options.help ? kExitSuccess : kExitUsage;
    }
    std::size_t nameWords = 0;
    const CommandEntry* command = FindCommand(options.words, nameWords);
    // A group's word alone, or with a command it lacks: its commands.
    if (command == nullptr &&
        PrintGroupHelp(options.help ? environment.out : environment.err, options.words[0]))
        return options.help ? kExitSuccess : kExitUsage;
    if (command == nullptr) {
        environment.err << "r7ctl: unknown command '" << options.words[0]
                        << "'\nTry 'r7ctl --help'.\n";
        return kExitUsage;
    }
    if (options.help) {
        PrintCommandHelp(environment.out, *command);
        return kExitSuccess;
    }
    CtlCall call{options, environment,
                 std::vector<std::string>(options.words.begin() + nameWords, options.words.end())};
    if (call.args.size() < command->minArgs || call.args.size() > command->maxArgs) {
        environment.err << "r7ctl: usage: r7ctl " << command->usage << '\n';
        return kExitUsage;
    }
    if (options.waitSeconds > 0 && !WaitForGateway(options, environment))
        return kExitNoGateway;
    const int status = command->run(call);
    // Stopped by a signal held back during an upload: the command gave up
    // the port on its way out; say why it ended.
    if (const int signal = StopSignalReceived())
        return StopStatus(signal);
    // The log asked for is incomplete: a command that went through still
    // fails, since what it did cannot be traced.
    if (!environment.logProblem.empty()) {
        environment.err << "r7ctl: the command log could not be written: " << environment.logProblem
                        << '\n';
        if (status == kExitSuccess)
            return kExitRefused;
    }
    // A gateway whose port went away and never came back is no usable
    // gateway, whatever step noticed it.
    if (status == kExitRefused && environment.gatewayLost) {
        environment.err << "r7ctl: the gateway's port went away and did not come back\n";
        return kExitNoGateway;
    }
    return status;
}
