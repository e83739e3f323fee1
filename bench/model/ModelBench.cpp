#include <chrono>
#include <cstdio>
#include <string>

#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/ProviderDatabase.h"
#include "model/SettingBinding.h"

namespace {

constexpr std::size_t kTreeBytes = 1024 * 1024;
constexpr int kRounds = 20;

// A settings reply of about 1 MB: the groups the pages read come last, after
// many management connections, so every row walks past them.
std::string BuildSettingsReply() {
    std::string reply = "<rci_reply version=\"1.1\">\n  <query_setting>\n";
    for (int i = 0; reply.size() < kTreeBytes; ++i) {
        reply += "    <mgmtconnection index=\"" + std::to_string(i) +
                 "\">\n      <connectionEnabled>on</connectionEnabled>\n"
                 "      <ServerArray index=\"1\"><serverAddress>host" +
                 std::to_string(i) +
                 ".example.net</serverAddress></ServerArray>\n"
                 "    </mgmtconnection>\n";
    }
    reply +=
        "    <mobile_simple><apn>internet</apn><user>u</user><password>p</password>"
        "<enabled>on</enabled><idle>300</idle></mobile_simple>\n"
        "    <serial><baud>115200</baud><databits>8</databits><parity>none</parity>"
        "<stopbits>1</stopbits><flowcontrol>none</flowcontrol><alt>off</alt></serial>\n"
        "    <python><onboot>main.py</onboot><args/></python>\n"
        "  </query_setting>\n</rci_reply>\r\nOK\r\n";
    return reply;
}

struct BenchPage {
    std::string texts[19];
    int numbers[19] = {};
    BindingTable table;
};

void BuildTable(BenchPage& page) {
    const char* const paths[19] = {"mobile_simple/apn",
                                   "mobile_simple/user",
                                   "mobile_simple/password",
                                   "mobile_simple/enabled",
                                   "mobile_simple/idle",
                                   "serial/baud",
                                   "serial/databits",
                                   "serial/parity",
                                   "serial/stopbits",
                                   "serial/flowcontrol",
                                   "serial/alt",
                                   "python/onboot",
                                   "python/args",
                                   "mgmtconnection&index=3/connectionEnabled",
                                   "mgmtconnection&index=3/ServerArray&index=1/serverAddress",
                                   "mgmtconnection&index=1000/connectionEnabled",
                                   "mobile_simple/missing",
                                   "serial/missing",
                                   "nothing/here"};
    for (int i = 0; i < 19; ++i) {
        page.table.push_back(
            {paths[i], &page.texts[i], &page.numbers[i], i + 1, nullptr, kTextSetting, {}, {}});
    }
}

template <typename Work>
void Measure(const char* what, Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        work();
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("%-34s %8.2f ms per run (%d runs)\n", what, took.count() / kRounds, kRounds);
}

// The providers' database is read once, when "Choose Provider..." or r7ctl
// apn first needs it; that read must stay well under 100 ms.
void MeasureProviderDatabase() {
    constexpr double kBoundMs = 100;
    const auto start = std::chrono::steady_clock::now();
    const ProviderDatabase& database = ProviderDatabase::Installed();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (!database.Loaded()) {
        std::printf("provider database: %s\n", database.Problem().c_str());
        return;
    }
    std::printf("%-34s %8.2f ms once (%zu access points), %.2f of the %.0f ms bound\n",
                "provider database, first use", took.count(), database.Presets().size(),
                took.count() / kBoundMs, kBoundMs);
}

}  // namespace

int main() {
    const std::string reply = BuildSettingsReply();
    std::printf("settings reply: %zu bytes\n", reply.size());
    ConfigModel model;
    BenchPage page;
    BuildTable(page);
    int revealed = 0;
    const RevealControl reveal = [&revealed](int) { ++revealed; };
    std::size_t sent = 0;

    Measure("LoadSettingsReply", [&] { model.LoadSettingsReply(reply); });
    Measure("ReadSetting, 19 rows",
            [&] { ReadSetting(reveal, page.table, model.SettingsGroups()); });
    Measure("WriteSetting, 19 rows", [&] { WriteSetting(page.table, model.SettingsGroups()); });
    Measure("SerializeForRequest",
            [&] { sent = SerializeForRequest(model.SettingsDocument()).size(); });
    std::printf("revealed %d controls, request of %zu bytes\n", revealed / kRounds, sent);
    MeasureProviderDatabase();
    return 0;
}
