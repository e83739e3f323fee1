#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/RequestDocuments.h"
#include "model/SettingBinding.h"
#include "tests/link/TempDir.h"
#include "tests/support/SimGateway.h"
#include "tests/support/WorkerScriptRunner.h"

// Values of every kind the pages edit travel from the gateway's settings into the model, are
// written back unchanged, go out as the request the apply sends and are stored by the
// simulated gateway; a second query must then report exactly what was stored at first. The
// values are generated; R7_ROUNDTRIP_SEED picks another sequence, and a failure names its
// seed.

namespace {

constexpr int kValuesPerKind = 300;
constexpr const char* kGroup = "roundtrip";

std::uint32_t BaseSeed() {
    const char* chosen = std::getenv("R7_ROUNDTRIP_SEED");
    return chosen != nullptr ? static_cast<std::uint32_t>(std::strtoul(chosen, nullptr, 10))
                             : 20261208u;
}

// One generated value: what the gateway stores at first, what the page edits it to (the
// same, except for bytes a page can hold but the gateway's UTF-8 tree cannot) and what the
// gateway must store in the end.
struct Value {
    std::string stored;
    std::string edited;
    std::string expected;
};

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    // Markup characters, quotes, line ends, tabs and non-ASCII characters among letters,
    // including values made only of blanks and the empty value.
    std::string Text() {
        static const std::vector<std::string> kPieces = {"a",
                                                         "Z",
                                                         "7",
                                                         " ",
                                                         "\"",
                                                         "'",
                                                         "&",
                                                         "<",
                                                         ">",
                                                         "&amp;",
                                                         "]]>",
                                                         "\r",
                                                         "\n",
                                                         "\r\n",
                                                         "\t",
                                                         "=",
                                                         "/",
                                                         "%s",
                                                         "\xC3\xA9",
                                                         "\xE2\x82\xAC",
                                                         "\xF0\x9F\x98\x80",
                                                         "\xD0\x96"};
        return Join(kPieces, Below(24));
    }

    // Text with bytes that are not UTF-8, and the same text as the gateway must keep it:
    // every stray byte read as the Latin-1 character it would be.
    Value Bytes() {
        static const std::vector<std::string> kPieces = {"a", " ", "&", "<", "\"", "\xC3\xA9"};
        Value value{"x", "", ""};
        for (int i = 1 + Below(12); i > 0; --i) {
            if (Below(3) == 0) {
                const auto stray = static_cast<unsigned char>(kStray[Below(sizeof kStray - 1)]);
                value.edited += static_cast<char>(stray);
                value.expected += static_cast<char>(0xC0 | (stray >> 6));
                value.expected += static_cast<char>(0x80 | (stray & 0x3F));
            } else {
                const std::string& piece = kPieces[Below(kPieces.size())];
                value.edited += piece;
                value.expected += piece;
            }
        }
        return value;
    }

    std::string Integer() {
        static const std::vector<std::string> kEdges = {
            "0", "-1", "1", std::to_string(std::numeric_limits<int>::max()),
            std::to_string(std::numeric_limits<int>::min())};
        if (Below(10) == 0) {
            return kEdges[Below(kEdges.size())];
        }
        return std::to_string(std::uniform_int_distribution<int>(-100000, 100000)(random_));
    }

    // "on", "off", or a word the page does not know and must leave alone.
    std::string OnOff() {
        static const std::vector<std::string> kWords = {"on", "off", "on", "off", "auto", ""};
        return kWords[Below(kWords.size())];
    }

    // A choice of a list the page knows, or one it has never heard of.
    std::string ListValue() {
        static const std::vector<std::string> kChoices = {"none", "odd", "even", "mark", "space"};
        return Below(2) == 0 ? kChoices[Below(kChoices.size())] : "new-" + Text();
    }

private:
    // Bytes that never start or continue a UTF-8 sequence where they stand.
    static constexpr char kStray[] = "\x80\x9F\xA0\xBF\xC0\xC1\xF5\xFF";

    int Below(std::size_t bound) {
        return std::uniform_int_distribution<int>(0, static_cast<int>(bound) - 1)(random_);
    }

    std::string Join(const std::vector<std::string>& pieces, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += pieces[Below(pieces.size())];
        }
        return text;
    }

    std::mt19937 random_;
};

// The gateway's settings file: one group holding every value, written as a careful XML
// writer would (a carriage return as a reference, so that the parser keeps it).
void WriteSettingsFile(const std::filesystem::path& path, const std::vector<Value>& values) {
    std::ofstream file(path, std::ios::binary);
    file << "<settings><" << kGroup << ">";
    for (std::size_t i = 0; i < values.size(); ++i) {
        file << "<v" << i << ">" << EscapeMarkupValue(values[i].stored) << "</v" << i << ">";
    }
    file << "</" << kGroup << "></settings>";
}

std::string RowPath(std::size_t row) {
    return std::string(kGroup) + "/v" + std::to_string(row);
}

// The rows of a page editing every value, with their targets.
struct Page {
    Page(std::size_t rows, unsigned kind) {
        for (std::size_t i = 0; i < rows; ++i) {
            texts.emplace_back();
            numbers.push_back(-1);
            table.push_back({RowPath(i), &texts.back(), &numbers.back(), 0, nullptr, kind, {}, {}});
        }
    }

    // What the row shows, written as the gateway writes it ("" for an on/off row that
    // could not read its word).
    std::string Shown(std::size_t row) const {
        if ((table[row].kind & kTextSetting) != 0) {
            return texts[row];
        }
        if ((table[row].kind & kOnOffSetting) != 0) {
            return numbers[row] == 1 ? "on" : numbers[row] == 0 ? "off" : "";
        }
        return std::to_string(numbers[row]);
    }

    // What the row must show for a value the gateway holds.
    static std::string ShownFor(unsigned kind, const std::string& stored) {
        const bool word = stored == "on" || stored == "off";
        return (kind & kOnOffSetting) != 0 && !word ? "" : stored;
    }

    BindingTable table;
    std::deque<std::string> texts;
    std::deque<int> numbers;
};

// The simulated gateway holding `values`, and the link to it.
struct Gateway {
    explicit Gateway(const std::vector<Value>& values)
        : sim(Configure(config, values)), runner(port) {
        DiscoveryOptions options;
        options.explicitPort = sim.LinkPath();
        std::string reason;
        opened = DiscoverPort(port, options, {}, &reason);
    }

    static std::vector<std::string> Configure(const TempDir& dir,
                                              const std::vector<Value>& values) {
        WriteSettingsFile(dir.Path() / "settings.xml", values);
        return {"--config", dir.Path().string()};
    }

    // Loads the settings the gateway holds now.
    bool Query(ConfigModel& model) {
        JobList jobs{CommandJob(InlineCommand(kSettingsQuery), "", 20000)};
        runner.Run(jobs);
        model.LoadSettingsReply(jobs[0].GetResponse());
        return jobs[0].GetStatus() == CommandJob::kSucceeded && model.SettingsGroups() != nullptr;
    }

    // Sends the tree as the apply does and returns the gateway's answer to it.
    std::string Send(xmlDocPtr document) {
        JobList jobs{CommandJob(std::string(kDocumentRequestCommand), "", 1000),
                     CommandJob(SerializeForRequest(document), "", 20000)};
        runner.Run(jobs);
        return jobs[1].GetResponse();
    }

    TempDir config;
    SimGateway sim;
    ModemPort port;
    WorkerScriptRunner runner;
    bool opened = false;
};

// The whole trip for one kind: load, read, write back, send, query again, compare.
void ExpectRoundTrip(const std::vector<Value>& values, unsigned kind, std::uint32_t seed) {
    SCOPED_TRACE("R7_ROUNDTRIP_SEED=" + std::to_string(seed));
    Gateway gateway(values);
    ASSERT_TRUE(gateway.opened);
    ConfigModel model;
    ASSERT_TRUE(gateway.Query(model));
    Page page(values.size(), kind);
    ReadSetting({}, page.table, model.SettingsGroups());
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(page.Shown(i), Page::ShownFor(kind, values[i].stored)) << "loading row " << i;
        if ((kind & kTextSetting) != 0) {
            page.texts[i] = values[i].edited;
        }
    }
    WriteSetting(page.table, model.SettingsGroups());

    const std::string answer = gateway.Send(model.SettingsDocument());
    ASSERT_NE(answer.find(std::string("<") + kGroup), std::string::npos) << answer;
    ASSERT_EQ(answer.find("<error"), std::string::npos) << answer;

    ConfigModel reloaded;
    ASSERT_TRUE(gateway.Query(reloaded));
    Page check(values.size(), kTextSetting);
    ReadSetting({}, check.table, reloaded.SettingsGroups());
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(check.texts[i], values[i].expected) << "row " << i;
    }
}

template <typename Make>
std::vector<Value> Unchanged(Make make) {
    std::vector<Value> values;
    for (int i = 0; i < kValuesPerKind; ++i) {
        const std::string value = make();
        values.push_back({value, value, value});
    }
    return values;
}

}  // namespace

TEST(SettingRoundTrip, TextsWithMarkupLineEndsAndNonAscii) {
    Generator generator(BaseSeed());
    ExpectRoundTrip(Unchanged([&] { return generator.Text(); }), kTextSetting, BaseSeed());
}

TEST(SettingRoundTrip, ListValuesKnownAndUnknown) {
    Generator generator(BaseSeed() + 1);
    ExpectRoundTrip(Unchanged([&] { return generator.ListValue(); }), kTextSetting | kComboSetting,
                    BaseSeed() + 1);
}

TEST(SettingRoundTrip, IntegersAndOnOff) {
    Generator integers(BaseSeed() + 2);
    ExpectRoundTrip(Unchanged([&] { return integers.Integer(); }), kIntegerSetting, BaseSeed() + 2);
    Generator words(BaseSeed() + 3);
    ExpectRoundTrip(Unchanged([&] { return words.OnOff(); }), kOnOffSetting, BaseSeed() + 3);
}

TEST(SettingRoundTrip, BytesThatAreNotUtf8AreKeptAsLatin1) {
    Generator generator(BaseSeed() + 4);
    std::vector<Value> values;
    for (int i = 0; i < kValuesPerKind; ++i) {
        values.push_back(generator.Bytes());
    }
    ExpectRoundTrip(values, kTextSetting, BaseSeed() + 4);
}
