#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "model/ProviderDatabase.h"
#include "tests/link/TempDir.h"

namespace {

bool Lists(const std::vector<ApnPreset>& presets, const std::string& provider,
           const std::string& apn) {
    return std::ranges::any_of(presets, [&](const ApnPreset& preset) {
        return preset.provider == provider && preset.apn == apn;
    });
}

}  // namespace

// The installed database: a three-digit MNC, a two-digit one shared by
// several providers, and only the access points meant for internet use.
TEST(ProviderDatabaseTest, FindsTheProvidersOfTheSimsNetwork) {
    const ProviderDatabase& database = ProviderDatabase::Installed();
    ASSERT_TRUE(database.Loaded()) << database.Problem();
    EXPECT_EQ(&database, &ProviderDatabase::Installed()) << "read once";

    const std::vector<ApnPreset> att = database.ForNetwork("310150");
    EXPECT_TRUE(Lists(att, "AT&T", "broadband"));
    EXPECT_EQ(att, database.ForImsi("310150123456789")) << "six digits first";

    const std::vector<ApnPreset> german = database.ForImsi("262021234567890");
    EXPECT_TRUE(Lists(german, "Vodafone", "web.vodafone.de"));
    EXPECT_TRUE(Lists(german, "1&1", "mail.partner.de"));
    EXPECT_TRUE(std::ranges::none_of(german, [](const ApnPreset& p) {
        return p.name == "VF DE MMS";
    })) << "an MMS access point is not for data";
    const auto vodafone = std::ranges::find(german, std::string("Vodafone"), &ApnPreset::provider);
    ASSERT_NE(vodafone, german.end());
    EXPECT_EQ(vodafone->country, "de");
    EXPECT_EQ(vodafone->plan, "postpaid");

    EXPECT_TRUE(database.ForImsi("No SIM Inserted").empty());
    EXPECT_TRUE(database.ForImsi("").empty());
}

// A file that cannot be used disables the presets with a reason, and only a
// DOCTYPE that names its DTD is accepted.
TEST(ProviderDatabaseTest, BrokenFilesAreRefusedWithAReason) {
    const std::string provider =
        "<country code=\"zz\"><provider><name xml:lang=\"de\">Netz</name><name>Net</name><gsm>"
        "<network-id mcc=\"001\" mnc=\"01\"/>";
    const struct {
        const char* what;
        std::string content;  // none: no file
        std::size_t presets;
    } kCases[] = {
        {"missing", {}, 0},
        {"not XML", "APN=internet", 0},
        {"another document", "<rci_reply/>", 0},
        {"entity",
         "<!DOCTYPE serviceproviders [<!ENTITY a \"aaaa\">]><serviceproviders>" + provider +
             "<apn value=\"&a;\"/></gsm></provider></country></serviceproviders>",
         0},
        {"only MMS",
         "<serviceproviders>" + provider +
             "<apn value=\"mms\"><usage type=\"mms\"/></apn></gsm></provider></country>"
             "</serviceproviders>",
         0},
        {"named DTD, unnamed access point",
         "<!DOCTYPE serviceproviders SYSTEM \"serviceproviders.2.dtd\"><serviceproviders>" +
             provider +
             "<apn value=\"data\"><username>u</username></apn></gsm></provider></country>"
             "</serviceproviders>",
         1},
    };
    TempDir directory;
    for (const auto& [what, content, presets] : kCases) {
        SCOPED_TRACE(what);
        const std::string path = (directory.Path() / what).string();
        if (!content.empty())
            std::ofstream(path) << content;
        ProviderDatabase database;
        EXPECT_EQ(database.Load(path), presets > 0);
        ASSERT_EQ(database.Presets().size(), presets);
        if (presets == 0) {
            EXPECT_NE(database.Problem().find(path), std::string::npos) << database.Problem();
            continue;
        }
        const ApnPreset& preset = database.Presets().front();
        EXPECT_EQ(preset.provider, "Net");
        EXPECT_EQ(preset.name, "data");
        EXPECT_EQ(preset.username, "u");
        EXPECT_EQ(database.ForImsi("001019999999999").size(), 1u);
    }
}
