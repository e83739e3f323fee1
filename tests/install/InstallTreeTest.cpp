#include <fnmatch.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "link/GatewayIdentity.h"
#include "tests/link/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string output;  // standard output and standard error
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Result RunShell(const std::string& command) {
    Result result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HasTool(const std::string& probe) {
    return RunShell(probe + " >/dev/null").status == 0;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class InstallTree : public testing::Test {
protected:
    void SetUp() override {
        const Result install =
            RunShell(Quote(R7_CMAKE_COMMAND) + " --install " + Quote(R7_BUILD_DIR) + " --prefix " +
                     Quote(prefix.Path().string()));
        ASSERT_EQ(install.status, 0) << install.output;
    }

    fs::path Installed(const std::string& relative) const { return prefix.Path() / relative; }

    TempDir prefix;
};

TEST_F(InstallTree, ProgramsRunFromThePrefixAndAnswerWithoutADisplay) {
    const std::string dashboard = Installed("bin/r7dashboard").string();
    ASSERT_TRUE(fs::exists(Installed("bin/r7sim")));
    // Without a display the toolkit would abort, so these must end before it starts.
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ";
    const Result version = RunShell(noDisplay + Quote(dashboard) + " --version");
    EXPECT_EQ(version.status, 0) << version.output;
    EXPECT_EQ(version.output, "r7dashboard 1.0.20.0\n");
    const Result help = RunShell(noDisplay + Quote(dashboard) + " --help");
    EXPECT_EQ(help.status, 0) << help.output;
    EXPECT_TRUE(help.output.starts_with("Usage: r7dashboard")) << help.output;
    for (const char* wrongArguments : {" --port", " --verbose"}) {
        const Result wrong = RunShell(noDisplay + Quote(dashboard) + wrongArguments);
        EXPECT_EQ(wrong.status, 2) << wrong.output;
        EXPECT_NE(wrong.output.find(help.output), std::string::npos) << wrong.output;
    }

    for (const std::string program : {"r7ctl", "r7sim"}) {
        const Result other = RunShell(Quote(Installed("bin/" + program).string()) + " --version");
        EXPECT_EQ(other.output, program + " 1.0.20.0\n");
    }

    // The simulated gateway's settings, and what the guide tells an administrator to
    // enable or import.
    for (const char* file :
         {"share/r7dashboard/sim/settings.xml", "lib/systemd/system/r7dashboard-metrics.service",
          "lib/systemd/system/r7dashboard-metrics.timer", "share/r7dashboard/grafana/r7-fleet.json",
          "share/r7dashboard/prometheus/r7-alerts.yml"})
        EXPECT_TRUE(fs::is_regular_file(Installed(file))) << file;
}

// The key=value lines of the [Desktop Entry] group.
std::map<std::string, std::string> DesktopEntry(const fs::path& file) {
    std::map<std::string, std::string> entry;
    std::ifstream in(file);
    bool inGroup = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('['))
            inGroup = line == "[Desktop Entry]";
        else if (const auto equals = line.find('='); inGroup && equals != std::string::npos)
            entry[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return entry;
}

TEST_F(InstallTree, DesktopEntryStartsTheProgramWithItsIconInEverySize) {
    const fs::path desktop = Installed("share/applications/r7dashboard.desktop");
    const auto entry = DesktopEntry(desktop);
    EXPECT_EQ(entry.at("Type"), "Application");
    EXPECT_EQ(entry.at("Name"), "Tarvel R7 Dashboard");
    EXPECT_FALSE(entry.at("Comment").empty());
    EXPECT_EQ(entry.at("Categories"), "Settings;HardwareSettings;");
    const std::string program = entry.at("Exec").substr(0, entry.at("Exec").find(' '));
    EXPECT_TRUE(fs::exists(Installed("bin/" + program))) << program;
    if (HasTool("command -v desktop-file-validate")) {
        const Result valid = RunShell("desktop-file-validate " + Quote(desktop.string()));
        EXPECT_EQ(valid.status, 0) << valid.output;
        EXPECT_EQ(valid.output, "") << "not even a hint";
    }

    // What software centres show: the entry it launches and a picture.
    const fs::path metainfo = Installed("share/metainfo/com.tarvel.r7dashboard.metainfo.xml");
    const std::string component = ReadFile(metainfo);
    EXPECT_NE(component.find("<launchable type=\"desktop-id\">r7dashboard.desktop<"),
              std::string::npos);
    EXPECT_NE(component.find("<screenshot type=\"default\">"), std::string::npos);
    if (HasTool("command -v appstreamcli")) {
        const Result valid = RunShell("appstreamcli validate --no-net " + Quote(metainfo.string()));
        EXPECT_EQ(valid.status, 0) << valid.output;
    }

    const std::string icon = entry.at("Icon");
    const fs::path hicolor = Installed("share/icons/hicolor");
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string dir = std::to_string(size) + "x" + std::to_string(size);
        const QImage png(
            QString::fromStdString((hicolor / dir / "apps" / (icon + ".png")).string()));
        EXPECT_EQ(png.size(), QSize(size, size)) << dir;
    }
    // A drawing, not one square per pixel of a small bitmap.
    const std::string svg = ReadFile(hicolor / "scalable/apps" / (icon + ".svg"));
    EXPECT_NE(svg.find("<path"), std::string::npos);
    EXPECT_EQ(svg.find("crispEdges"), std::string::npos);
}

struct UdevRule {
    std::map<std::string, std::string> matches;  // key == pattern
    std::vector<std::string> assignments;        // as written, for example TAG+="uaccess"
};

// One rule per line; comments and blank lines skipped. Only the shapes this
// file uses: KEY=="value" and KEY+="value" / KEY="value".
std::vector<UdevRule> ParseRules(const std::string& text) {
    std::vector<UdevRule> rules;
    static const QRegularExpression pair(
        R"re(\s*([A-Za-z_]+(?:\{[^}]*\})?)\s*(==|!=|\+=|:=|=)\s*"([^"]*)"\s*(,|$))re");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.starts_with('#'))
            continue;
        UdevRule rule;
        const QString qline = QString::fromStdString(line);
        int at = 0;
        for (auto match = pair.match(qline, at); match.hasMatch() && match.capturedStart() == at;
             match = pair.match(qline, at)) {
            const std::string key = match.captured(1).toStdString();
            const std::string op = match.captured(2).toStdString();
            const std::string value = match.captured(3).toStdString();
            if (op == "==")
                rule.matches[key] = value;
            else
                rule.assignments.push_back(key + op + "\"" + value + "\"");
            at = match.capturedEnd();
        }
        EXPECT_EQ(at, qline.size()) << "cannot read: " << line;
        rules.push_back(rule);
    }
    return rules;
}

bool Matches(const std::string& pattern, std::string_view value) {
    return ::fnmatch(pattern.c_str(), std::string(value).c_str(), 0) == 0;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

TEST_F(InstallTree, UdevRuleGivesTheSeatEveryGatewayPortAndKeepsModemManagerAway) {
    const fs::path dir = Installed("lib/udev/rules.d");
    ASSERT_TRUE(fs::is_directory(dir));
    const fs::path file = *fs::directory_iterator(dir);
    // uaccess is acted on by 73-seat-late.rules, and ModemManager reads its
    // properties after that: the rule must come first.
    EXPECT_LT(std::stoi(file.filename().string()), 73) << file;
    EXPECT_EQ(file.extension(), ".rules");
    if (HasTool("udevadm verify --help")) {
        const Result verified = RunShell("udevadm verify " + Quote(file.string()));
        EXPECT_EQ(verified.status, 0) << verified.output;
    }

    const std::vector<UdevRule> rules = ParseRules(ReadFile(file));
    ASSERT_FALSE(rules.empty());
    for (const UdevRule& rule : rules) {
        EXPECT_EQ(rule.matches.at("SUBSYSTEM"), "tty");
        EXPECT_EQ(rule.assignments,
                  (std::vector<std::string>{"TAG+=\"uaccess\"", "ENV{ID_MM_DEVICE_IGNORE}=\"1\""}));
    }
    // Discovery compares ignoring case, so the rule must too.
    const auto matchesAnyRule = [&](const std::map<std::string, std::string>& device) {
        return std::ranges::any_of(rules, [&](const UdevRule& rule) {
            return std::ranges::all_of(rule.matches, [&](const auto& match) {
                if (match.first == "SUBSYSTEM")
                    return true;
                const auto value = device.find(match.first);
                return value != device.end() && Matches(match.second, value->second);
            });
        });
    };
    for (const std::string& maker :
         {std::string(kGatewayManufacturer), Lower(kGatewayManufacturer)}) {
        EXPECT_TRUE(matchesAnyRule({{"ATTRS{manufacturer}", maker}})) << maker;
    }
    EXPECT_FALSE(matchesAnyRule({{"ATTRS{manufacturer}", "Other"}}));
    EXPECT_FALSE(
        matchesAnyRule({{"ATTRS{manufacturer}", std::string(kGatewayManufacturer) + "X"}}));
    // Nothing unconfirmed ships: any other device needs the administrator's list.
    EXPECT_FALSE(matchesAnyRule({{"ATTRS{idVendor}", "114f"}, {"ATTRS{idProduct}", "1234"}}));

    // The administrator's list becomes a rule of its own, without the lines
    // that are not a whole pair: an escaped line break writes no rule of its own,
    // and a last line without its line feed still counts.
    const fs::path list = prefix.Path() / "gateways";
    std::ofstream(list) << "# field units\n1BC7:0021  # bare modem\n1bc7\n"
                           "1bc7:0022\\nRUN+=\"/bin/sh\"\n2c7c:0125";
    const fs::path local = prefix.Path() / "70-r7dashboard-local.rules";
    const Result written = RunShell(Quote(Installed("sbin/r7dashboard-udev-rules").string()) + " " +
                                    Quote(list.string()) + " " + Quote(local.string()));
    EXPECT_EQ(written.status, 0) << written.output;
    EXPECT_NE(written.output.find(":3: not a vendor:product pair, left out: 1bc7\n"),
              std::string::npos)
        << written.output;
    EXPECT_NE(written.output.find(":4: not a vendor:product pair, left out: 1bc7:0022\\n"),
              std::string::npos)
        << written.output;
    const std::vector<UdevRule> listed = ParseRules(ReadFile(local));
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].matches.at("ATTRS{idVendor}"), "1bc7");
    EXPECT_EQ(listed[0].matches.at("ATTRS{idProduct}"), "0021");
    EXPECT_EQ(listed[1].matches.at("ATTRS{idVendor}"), "2c7c");
    for (const UdevRule& rule : listed)
        EXPECT_EQ(rule.assignments, rules[0].assignments);
}

// What the bash completion offers for the command line WORDS, the last being the word
// under the cursor.
std::set<std::string> Completions(const fs::path& completion,
                                  const std::vector<std::string>& words) {
    std::string array, line;
    for (const std::string& word : words) {
        array += ' ' + Quote(word);
        line += (line.empty() ? "" : " ") + word;
    }
    const std::string script =
        ". /usr/share/bash-completion/bash_completion; . " + Quote(completion.string()) +
        "; COMP_WORDS=(" + array + "); COMP_CWORD=" + std::to_string(words.size() - 1) +
        "; COMP_LINE=" + Quote(line) +
        "; COMP_POINT=${#COMP_LINE}; _r7ctl; printf \"%s\\n\" \"${COMPREPLY[@]}\"";
    std::set<std::string> offered;
    std::istringstream lines(RunShell("bash -c " + Quote(script)).output);
    for (std::string word; std::getline(lines, word);)
        offered.insert(word);
    return offered;
}

// The commands and the options r7ctl's own help names, the general list and each command's.
std::pair<std::set<std::string>, std::set<std::string>> HelpWords(const std::string& r7ctl) {
    std::set<std::string> commands, options;
    static const QRegularExpression option("--[a-z][a-z-]*");
    const std::string general = RunShell(Quote(r7ctl) + " --help").output;
    std::istringstream lines(general);
    bool inCommands = false;
    for (std::string line; std::getline(lines, line);) {
        if (line == "Commands:")
            inCommands = true;
        else if (line.empty())
            inCommands = false;
        else if (inCommands)
            commands.insert(line.substr(2, line.find(' ', 2) - 2));
    }
    std::string all = general;
    for (const std::string& command : commands)
        all += RunShell(Quote(r7ctl) + " help " + command).output;
    for (auto match = option.globalMatch(QString::fromStdString(all)); match.hasNext();)
        options.insert(match.next().captured().toStdString());
    return {commands, options};
}

}  // namespace

TEST_F(InstallTree, ManualPagesCompletionAndCopyrightDescribeTheInstalledPrograms) {
    for (const std::string program : {"r7ctl", "r7dashboard", "r7sim"}) {
        const fs::path page = Installed("share/man/man1/" + program + ".1.gz");
        const Result roff = RunShell("gzip -dc " + Quote(page.string()));
        ASSERT_EQ(roff.status, 0) << program << ": " << roff.output;
        std::string title = program;
        std::ranges::transform(title, title.begin(), ::toupper);
        EXPECT_TRUE(roff.output.starts_with(".\\\" DO NOT MODIFY")) << roff.output;
        EXPECT_NE(roff.output.find(".TH " + title + " \"1\""), std::string::npos) << roff.output;
        EXPECT_NE(roff.output.find(program + " 1.0.20.0"), std::string::npos) << roff.output;
        // The options come from the program's own help.
        EXPECT_NE(roff.output.find("\\-\\-port"), std::string::npos) << roff.output;
        for (const char* section : {".SH DESCRIPTION\n", ".SH OPTIONS\n", ".SH \"EXIT STATUS\"\n",
                                    ".SH FILES\n", ".SH ENVIRONMENT\n", ".SH EXAMPLES\n"})
            EXPECT_NE(roff.output.find(section), std::string::npos) << program << ": " << section;
    }
    // Each command with its arguments and its whole description, from the program itself.
    const Result r7ctl = RunShell("gzip -dc " + Quote(Installed("share/man/man1/r7ctl.1.gz")));
    EXPECT_NE(r7ctl.output.find(".SH COMMANDS\n.TP\n.B r7ctl ports [\\-\\-json]\nLists the "),
              std::string::npos)
        << r7ctl.output;
    EXPECT_NE(r7ctl.output.find("so that a password stays out of the command line"),
              std::string::npos);
    const Result admin = RunShell(
        "gzip -dc " + Quote(Installed("share/man/man8/r7dashboard-udev-rules.8.gz").string()));
    EXPECT_NE(admin.output.find(".SH \"EXIT STATUS\"\n"), std::string::npos) << admin.output;

    const fs::path completion = Installed("share/bash-completion/completions/r7ctl");
    if (HasTool("test -f /usr/share/bash-completion/bash_completion")) {
        EXPECT_EQ(Completions(completion, {"r7ctl", "--json", "python", "p"}),
                  std::set<std::string>{"put"});
        // Every command and option the program knows, from its own help.
        const auto [commands, options] = HelpWords(Installed("bin/r7ctl").string());
        EXPECT_GE(commands.size(), 15u);
        const std::set<std::string> offeredCommands = Completions(completion, {"r7ctl", ""});
        for (const std::string& command : commands)
            EXPECT_TRUE(offeredCommands.contains(command)) << "command " << command;
        const std::set<std::string> offeredOptions = Completions(completion, {"r7ctl", "--"});
        for (const std::string& name : options)
            EXPECT_TRUE(offeredOptions.contains(name)) << "option " << name;
    } else {
        EXPECT_TRUE(fs::is_regular_file(completion));
    }

    // The guide F1 opens, with every picture it shows.
    const fs::path guide = Installed("share/doc/r7dashboard/guide");
    const QString page = QString::fromStdString(ReadFile(guide / "index.html"));
    static const QRegularExpression picture(R"re(<img src="([^"]+)")re");
    int pictures = 0;
    for (auto match = picture.globalMatch(page); match.hasNext(); ++pictures) {
        const std::string file = match.next().captured(1).toStdString();
        EXPECT_FALSE(QImage(QString::fromStdString((guide / file).string())).isNull()) << file;
    }
    EXPECT_GE(pictures, 8);

    const std::string copyright = ReadFile(Installed("share/doc/r7dashboard/copyright"));
    EXPECT_TRUE(copyright.starts_with(
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
    EXPECT_NE(copyright.find("\nFiles: *\nCopyright: "), std::string::npos);
}

// The package a user installs: its fields, its programs' libraries, its maintainer
// scripts and Debian's own checks.
TEST(DebianPackage, DependsOnEveryLibraryItsProgramsNeedAndPassesLintian) {
    TempDir out;
    const Result made = RunShell(Quote(R7_CPACK_COMMAND) + " --config " +
                                 Quote(std::string(R7_BUILD_DIR) + "/CPackConfig.cmake") + " -B " +
                                 Quote(out.Path().string()));
    ASSERT_EQ(made.status, 0) << made.output;
    fs::path deb;
    for (const auto& file : fs::directory_iterator(out.Path()))
        if (file.path().extension() == ".deb")
            deb = file.path();
    ASSERT_FALSE(deb.empty()) << made.output;
    const auto field = [&](const std::string& name) {
        return RunShell("dpkg-deb -f " + Quote(deb.string()) + " " + name).output;
    };
    EXPECT_FALSE(field("Homepage").empty());
    EXPECT_EQ(field("Recommends"), "bash-completion, mobile-broadband-provider-info\n");
    std::istringstream description(field("Description"));
    for (std::string line; std::getline(description, line);)
        EXPECT_LE(line.size(), 80u) << line;

    // Every package Depends names, and every package those depend on in turn.
    std::set<std::string> provided;
    std::vector<std::string> pending = {field("Depends")};
    static const QRegularExpression name(R"((?:^|[,|])\s*([a-z0-9][a-z0-9+.-]+))");
    while (!pending.empty()) {
        const QString list = QString::fromStdString(pending.back());
        pending.pop_back();
        for (auto match = name.globalMatch(list); match.hasNext();) {
            const std::string package = match.next().captured(1).toStdString();
            if (provided.insert(package).second)
                pending.push_back(RunShell("dpkg-query -W -f='${Depends},${Pre-Depends}' " +
                                           package + " 2>/dev/null || true")
                                      .output);
        }
    }
    const fs::path tree = out.Path() / "tree";
    ASSERT_EQ(RunShell("dpkg-deb -x " + Quote(deb.string()) + " " + Quote(tree.string())).status,
              0);
    int elfFiles = 0;
    for (const auto& file : fs::recursive_directory_iterator(tree)) {
        if (!file.is_regular_file() || ReadFile(file.path()).substr(0, 4) !=
                                           "\x7f"
                                           "ELF")
            continue;
        ++elfFiles;
        std::istringstream needed(RunShell("readelf -d " + Quote(file.path().string()) +
                                           " | sed -n 's/.*(NEEDED).*\\[\\(.*\\)\\]/\\1/p'")
                                      .output);
        for (std::string library; std::getline(needed, library);) {
            const std::string owners = RunShell("dpkg -S " + Quote("*/" + library)).output;
            const bool depended = std::ranges::any_of(provided, [&](const std::string& package) {
                return owners.starts_with(package + ":") ||
                       owners.find("\n" + package + ":") != std::string::npos ||
                       owners.find(", " + package + ":") != std::string::npos;
            });
            EXPECT_TRUE(depended) << file.path().filename() << " needs " << library << ", from "
                                  << owners;
        }
    }
    EXPECT_GE(elfFiles, 3);

    // A purge takes the rule written from the administrator's list with it; a removal
    // leaves it, as the list stays.
    const fs::path control = out.Path() / "control";
    ASSERT_EQ(RunShell("dpkg-deb -e " + Quote(deb.string()) + " " + Quote(control.string())).status,
              0);
    const fs::path root = out.Path() / "root";
    const fs::path local = root / "etc/udev/rules.d/70-r7dashboard-local.rules";
    fs::create_directories(local.parent_path());
    std::ofstream(local) << "# written from the list\n";
    const std::string postrm =
        "DPKG_ROOT=" + Quote(root.string()) + " sh " + Quote((control / "postrm").string());
    EXPECT_EQ(RunShell(postrm + " remove").status, 0);
    EXPECT_TRUE(fs::exists(local));
    EXPECT_EQ(RunShell(postrm + " purge").status, 0);
    EXPECT_FALSE(fs::exists(local));

    if (HasTool("command -v lintian")) {
        const Result lintian = RunShell("lintian --fail-on error " + Quote(deb.string()));
        EXPECT_EQ(lintian.status, 0) << lintian.output;
        EXPECT_EQ(("\n" + lintian.output).find("\nE: "), std::string::npos) << lintian.output;
    }
}
