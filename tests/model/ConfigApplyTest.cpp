#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "FakeScriptRunner.h"
#include "model/ConfigApply.h"
#include "model/RequestQuoting.h"
#include "model/SettingBinding.h"
#include "model/XmlDocument.h"

namespace {

const std::string kSettingsQuery =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_setting></query_setting>"
    "</rci_request>\"\r\n";
const std::string kRadioQuery =
    "at&usbinterface=20,\"<rci_request version='1.1'><do_command target='zigbee'>"
    "<query_setting/></do_command></rci_request>\"\r\n";

std::string SettingsReply(const std::string& apn) {
    return "<rci_reply version=\"1.1\"><query_setting><mobile_simple><apn>" + apn +
           "</apn></mobile_simple></query_setting></rci_reply>";
}

std::string RadioReply(const std::string& pan) {
    return "<rci_reply><do_command target=\"zigbee\"><query_setting><radio><pan>" + pan +
           "</pan></radio></query_setting></do_command></rci_reply>";
}

std::string ReadText(xmlNodePtr groups, const std::string& path) {
    std::string text;
    ReadSetting({}, {{path, &text, nullptr, 0, nullptr, kTextSetting, {}, {}}}, groups);
    return text;
}

void ExpectJob(const CommandJob& job, const std::string& command, const std::string& text,
               int timeoutMs) {
    EXPECT_EQ(job.GetCommand(), command);
    EXPECT_EQ(job.GetText(), text);
    EXPECT_EQ(job.GetTimeout(), timeoutMs);
}

TEST(SerializeForRequestTest, QuotesAreMadeSafeForTheGateway) {
    ConfigModel model;
    model.LoadSettingsReply(
        "<rci_reply version=\"1.1\" note='it&apos;s \"x\"'><query_setting>\n"
        "<g a=\"1\"><pw>say \"hi\" it's</pw><!-- \"c\" --><![CDATA[\"d\"]]><?pi \"e\"?></g>\n"
        "</query_setting></rci_reply>");
    EXPECT_EQ(SerializeForRequest(model.SettingsDocument()),
              "<rci_request version='1.1' note='it&apos;s &quot;x&quot;'><set_setting>\n"
              "<g a='1'><pw>say &quot;hi&quot; it's</pw><!-- 'c' -->&quot;d&quot;<?pi 'e'?></g>\n"
              "</set_setting></rci_request>");
    EXPECT_EQ(SerializeForRequest(nullptr), "");
}

TEST(SerializeForRequestTest, CutMarkupIsCopiedToItsEnd) {
    EXPECT_EQ(RequoteMarkup("<a b=\"it's"), "<a b='it&apos;s");
    EXPECT_EQ(RequoteMarkup("x\"<a b=\"1\""), "x&quot;<a b='1'");
    EXPECT_EQ(RequoteMarkup("<!-- \"open"), "<!-- 'open");
    EXPECT_EQ(RequoteMarkup("<?"), "<?");
    EXPECT_EQ(RequoteMarkup("<"), "<");
}

// Only the serialiser's plain declaration goes; one naming an encoding tells
// the gateway how to read the bytes and stays as written, line feed included.
TEST(SerializeForRequestTest, DeclarationNamingAnEncodingStays) {
    ConfigModel model;
    model.LoadSettingsReply(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r a=\"1\"><query_setting/></r>");
    EXPECT_EQ(SerializeForRequest(model.SettingsDocument()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rci_request a='1'><set_setting/>"
              "</rci_request>");
    model.LoadSettingsReply(
        "<r><query_setting><!-- <?xml version=\"1.0\"?>\n --></query_setting></r>");
    EXPECT_EQ(SerializeForRequest(model.SettingsDocument()),
              "<rci_request><set_setting><!-- <?xml version='1.0'?>\n --></set_setting>"
              "</rci_request>");
}

// A request travels inside a command as ASCII markup; UTF-16 would arrive with quotes
// replaced byte by byte inside its two-byte characters.
TEST(SerializeForRequestTest, DocumentReadAsUtf16GoesOutAsUtf8) {
    std::string utf16;
    for (const char c :
         std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r a=\"1\">\xe9</r>")) {
        utf16 += {c, '\0'};
    }
    const XmlDocument document = ParseXmlText("\xff\xfe" + utf16, "utf16.xml");
    ASSERT_TRUE(document);
    EXPECT_EQ(SerializeForRequest(document.get()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r a='1'>\xc3\xa9</r>");
}

// A settings tree as loaded from the gateway, with the access point name edited on a page.
struct EditedSettings : testing::Test {
    void SetUp() override {
        model.LoadSettingsReply(SettingsReply("old"));
        std::string text = "edited";
        WriteSetting({{"mobile_simple/apn", &text, nullptr, 0, nullptr, kTextSetting, {}, {}}},
                     model.SettingsGroups());
    }
    ConfigModel model;
};

TEST_F(EditedSettings, SendsTheEditedTreeAndReloadsTheGatewaysAnswer) {
    FakeScriptRunner runner([](CommandJob& job) {
        Answer(job, job.GetCommand() == kSettingsQuery ? SettingsReply("gateway") : "OK");
    });
    const ApplyResult result = ApplyConfiguration(runner, model);
    EXPECT_TRUE(result.sent);
    EXPECT_TRUE(result.reloaded);

    const JobList& jobs = runner.Ran();
    ASSERT_EQ(jobs.size(), 4u);
    const std::string sending = "Sending new configuration to the Device...";
    ExpectJob(jobs[0], "at&usbinterface=22\r\n", sending, 100);
    ExpectJob(jobs[1],
              "<rci_request version='1.1'><set_setting><mobile_simple><apn>edited</apn>"
              "</mobile_simple></set_setting></rci_request>",
              sending, 30000);
    ExpectJob(jobs[2], "SLEEP", "Waiting for new configuration to apply on the Device...", 20000);
    ExpectJob(jobs[3], kSettingsQuery, "Retrieving new configuration from the Device...", 20000);
    EXPECT_EQ(ReadText(model.SettingsGroups(), "mobile_simple/apn"), "gateway");
}

// A query that failed, or that met only silence (no reply, nothing to load),
// keeps the edited tree.
TEST_F(EditedSettings, FailedQueryKeepsTheEditedTree) {
    const std::function<void(CommandJob&)> queryFates[] = {
        [](CommandJob& job) {
            job.SetResponse(SettingsReply("partial"));
            job.SetStatus(CommandJob::kFailed);
        },
        [](CommandJob& job) { job.SetStatus(CommandJob::kSucceeded); },
    };
    for (const auto& fate : queryFates) {
        FakeScriptRunner runner([&fate](CommandJob& job) {
            if (job.GetCommand() == kSettingsQuery)
                fate(job);
            else
                Answer(job, "OK");
        });
        const ApplyResult result = ApplyConfiguration(runner, model);
        EXPECT_FALSE(result.reloaded);
        EXPECT_TRUE(result.unread.empty());
        EXPECT_EQ(ReadText(model.SettingsGroups(), "mobile_simple/apn"), "edited");
    }
}

TEST(ConfigApplyTest, RadioTreeIsSentWithoutWaiting) {
    ConfigModel model;
    model.LoadRadioSettingsReply(RadioReply("1234"));
    FakeScriptRunner runner([](CommandJob& job) {
        Answer(job, job.GetCommand() == kRadioQuery ? RadioReply("5678") : "OK");
    });
    EXPECT_TRUE(ApplyRadioConfiguration(runner, model).sent);

    const JobList& jobs = runner.Ran();
    ASSERT_EQ(jobs.size(), 3u);
    const std::string sending = "Sending new Meshlet configuration to the Device...";
    ExpectJob(jobs[0], "at&usbinterface=22\r\n", sending, 1000);
    ExpectJob(jobs[1],
              "<rci_request><do_command target='zigbee'><set_setting><radio><pan>1234</pan>"
              "</radio></set_setting></do_command></rci_request>",
              sending, 35000);
    ExpectJob(jobs[2], kRadioQuery, "Retrieving Meshlet configuration to the Device...", 20000);
    EXPECT_EQ(ReadText(model.RadioGroups(), "radio/pan"), "5678");
}

TEST(ConfigApplyTest, NothingIsSentWithoutADocumentOrBeyondWhatTheReplyCanHold) {
    ConfigModel model;
    FakeScriptRunner runner([](CommandJob& job) { ADD_FAILURE() << job.GetCommand(); });
    EXPECT_FALSE(ApplyConfiguration(runner, model).sent);
    EXPECT_FALSE(ApplyRadioConfiguration(runner, model).sent);

    model.LoadSettingsReply(SettingsReply("x"));
    model.LoadSettingsReply("not xml");  // the last reload did not parse
    EXPECT_FALSE(ApplyConfiguration(runner, model).sent);

    // Only the contact would go out, but the reply that follows reports the
    // whole tree, which the stored 60000-byte APN makes too large to read.
    model.LoadSettingsReply(
        "<rci_reply><query_setting><mobile_simple><apn>" + std::string(60000, 'a') +
        "</apn><contact>x</contact></mobile_simple></query_setting></rci_reply>");
    std::string contact(50000, 'c');
    WriteSetting({{"mobile_simple/contact", &contact, nullptr, 0, nullptr, kTextSetting, {}, {}}},
                 model.SettingsGroups());
    const ApplyResult contactOnly =
        ApplyConfigurationChanges(runner, model, {"mobile_simple/contact"});
    EXPECT_FALSE(contactOnly.sent);
    EXPECT_TRUE(contactOnly.tooLarge);
    EXPECT_TRUE(runner.Ran().empty());
}

}  // namespace
