#include "ctl/CtlOptions.h"

#include <charconv>

namespace {

// Splits "--name=value" into its name and value; a plain word keeps no value.
bool SplitOption(const std::string& argument, std::string& name, std::string& value) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) {
        name = argument;
        return false;
    }
    name = argument.substr(0, equals);
    value = argument.substr(equals + 1);
    return true;
}

// The short options stand for their long names.
std::string LongName(const std::string& argument) {
    if (argument == "-h")
        return "--help";
    if (argument == "-q")
        return "--quiet";
    if (argument == "-v")
        return "--verbose";
    return argument;
}

bool IsOption(const std::string& argument) {
    return argument.size() > 1 && argument.front() == '-';
}

bool ParseCount(const std::string& text, int& count) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, count);
    return error == std::errc() && stop == end && count >= 1;
}

}  // namespace

bool ParseCtlOptions(const std::vector<std::string>& arguments, CtlOptions& options,
                     std::string* error) {
    const auto fail = [error](const std::string& text) {
        if (error != nullptr)
            *error = text;
        return false;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (optionsEnded || !IsOption(arguments[i])) {
            options.words.push_back(arguments[i]);
            continue;
        }
        const std::string argument = LongName(arguments[i]);
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name;
        std::string value;
        const bool inlineValue = SplitOption(argument, name, value);
        const auto takeValue = [&]() {
            if (inlineValue)
                return true;
            if (i + 1 == arguments.size())
                return false;
            value = arguments[++i];
            return true;
        };
        // "firmware FILE --version V" names the version wanted; anywhere else
        // --version asks for the program's own.
        const bool firmwareCommand = !options.words.empty() && options.words[0] == "firmware";
        if (name == "--version" && (inlineValue || firmwareCommand)) {
            if (!takeValue() || value.empty())
                return fail("--version needs the firmware version wanted");
            options.firmwareVersion = value;
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--wait") {
            if (!takeValue() || !ParseCount(value, options.waitSeconds))
                return fail("--wait needs a whole number of seconds of at least 1");
        } else if (name == "--interval" || name == "--count") {
            int& field = name == "--interval" ? options.intervalSeconds : options.count;
            if (!takeValue() || !ParseCount(value, field))
                return fail(name + " needs a whole number of at least 1");
        } else if (name == "--mccmnc" || name == "--provider" || name == "--name") {
            if (!takeValue() || value.empty())
                return fail(name + " needs a value");
            std::string& field = name == "--mccmnc"     ? options.mccmnc
                                 : name == "--provider" ? options.provider
                                                        : options.presetName;
            field = value;
        } else if (name == "--port" || name == "--log" || name == "--retries" ||
                   name == "--textfile") {
            if (!takeValue() || value.empty())
                return fail(name + " needs a value");
            if (name == "--port")
                options.port = value;
            else if (name == "--log")
                options.logPath = value;
            else if (name == "--textfile")
                options.textfile = value;
            else if (!ParseCount(value, options.retries))
                return fail("--retries needs a whole number of at least 1, not '" + value + "'");
        } else if (inlineValue) {
            return fail(name + " takes no value");
        } else if (name == "--json") {
            options.json = true;
        } else if (name == "--csv") {
            options.csv = true;
        } else if (name == "--interactive") {
            options.interactive = true;
        } else if (name == "--yes") {
            options.yes = true;
        } else if (name == "--help") {
            options.help = true;
        } else if (name == "--quiet") {
            options.quiet = true;
        } else if (name == "--verbose") {
            options.verbose = true;
        } else if (name == "--check") {
            options.check = true;
        } else if (name == "--if-changed") {
            options.ifChanged = true;
        } else if (name == "--list") {
            options.list = true;
        } else if (name == "--all") {
            options.all = true;
        } else if (name == "--show-secrets") {
            options.showSecrets = true;
        } else if (name == "--no-wait") {
            options.noWait = true;
        } else if (name == "--set") {
            options.set = true;
        } else {
            return fail("unknown option " + name);
        }
    }
    return true;
}
