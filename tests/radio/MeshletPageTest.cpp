#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <fstream>

#include "app/BLPropertySheet.h"
#include "model/ConfigModel.h"
#include "model/FileDigest.h"
#include "pages/MeshletPage.h"
#include "tests/link/TempDir.h"
#include "tests/ui/FakePrompter.h"
#include "tests/ui/RecordingRunner.h"
#include "transfer/UploadRunner.h"

namespace {

constexpr char kStateQuery[] =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_state/></rci_request>\"\r\n";
constexpr char kRadioQuery[] =
    "at&usbinterface=20,\"<rci_request version='1.1'><do_command target='zigbee'>"
    "<query_setting/></do_command></rci_request>\"\r\n";

std::string StateReply(const std::string& firmware) {
    return "<rci_reply version=\"1.1\"><query_state><device_info><product>R7 LTE</product>"
           "</device_info><zigbee_state><gateway_addr>00:13:a2:00:40:a1:b2:c3!</gateway_addr>"
           "<ext_pan_id>0x3a5b9c0d1e2f4051</ext_pan_id><firmware_version>" +
           firmware + "</firmware_version></zigbee_state></query_state></rci_reply>";
}

std::string RadioReply(const std::string& fields) {
    return "<rci_reply version=\"1.1\"><do_command target=\"zigbee\"><query_setting><radio>" +
           fields + "</radio></query_setting></do_command></rci_reply>";
}

const std::string kRadioFields =
    "<ext_pan_id>0x0000000000000000</ext_pan_id><join_time>255</join_time>"
    "<node_id>R7 gateway</node_id><discover_timeout>60</discover_timeout>"
    "<scan_channels>0x7fff</scan_channels><scan_duration>3</scan_duration>"
    "<power_level>2</power_level>";

// Takes every upload; the gateway then reports the digest of `stored`, or of
// the uploaded file when empty.
struct FakeUploader : UploadRunner {
    std::vector<std::pair<std::string, UploadTarget>> uploads;
    std::string stored;

    UploadOutcome Upload(const std::string& localPath, UploadTarget target) override {
        uploads.emplace_back(localPath, target);
        stored = DigestFile(localPath).value_or("");
        return UploadOutcome::Sent;
    }
};

// A page that is not the radio page, to be active while the radio page is not.
class OtherPage : public PropertyPage {
public:
    OtherPage() : PropertyPage("Other") {}
};

struct MeshletPageTest : testing::Test {
    ConfigModel model;
    RecordingRunner runner;
    FakePrompter prompter;
    BLPropertySheet sheet{"Tarvel R7 Dashboard", model, runner, prompter};
    FakeUploader uploader;
    MeshletPage* page = new MeshletPage(model, runner, uploader, prompter);

    MeshletPageTest() {
        sheet.AddPage(page);
        sheet.AddPage(new OtherPage);
        model.LoadStateReply(StateReply("2164"));
    }

    // Loads the radio settings and shows the page; the gateway answers the
    // radio query with `reloaded` from then on.
    void Show(const std::string& fields, const std::string& reloaded = {}) {
        model.LoadRadioSettingsReply(RadioReply(fields));
        const std::string answer = RadioReply(reloaded.empty() ? fields : reloaded);
        runner.answer = [answer](JobList& jobs) {
            for (CommandJob& job : jobs) {
                if (job.GetCommand() == kRadioQuery) {
                    job.SetResponse(answer);
                    job.SetStatus(CommandJob::kSucceeded);
                    job.SetAnswered(true);
                }
            }
        };
        sheet.show();
    }

    QLineEdit* Edit(const char* name) { return page->findChild<QLineEdit*>(name); }
    QComboBox* Power() { return page->findChild<QComboBox*>("powerLevel"); }

    // Types into a field as the user would.
    void Type(const char* name, const QString& text) {
        Edit(name)->setText(text);
        Edit(name)->setModified(true);  // as typing does
        emit Edit(name)->textEdited(text);
    }

    // The radio settings document of the last apply.
    std::string SentDocument() {
        EXPECT_FALSE(runner.scripts.empty());
        return runner.scripts.empty() ? "" : runner.scripts.back().at(1).GetCommand();
    }
};

}  // namespace

TEST_F(MeshletPageTest, ShowsIdentityFromStateAndSettingsFromRadio) {
    Show(kRadioFields);
    EXPECT_EQ(page->Title(), "Meshlet");
    EXPECT_EQ(Edit("extendedAddress")->text(), "00:13:a2:00:40:a1:b2:c3!");
    EXPECT_EQ(Edit("productType")->text(), "R7 Gateway");
    EXPECT_EQ(Edit("firmwareVersion")->text(), "2164");
    EXPECT_EQ(Edit("extendedPanId")->text(), "0x0000000000000000") << "configured beats operating";
    EXPECT_EQ(Edit("nodeId")->text(), "R7 gateway");
    EXPECT_EQ(Edit("discoverTimeout")->text(), "60");
    EXPECT_EQ(Edit("scanChannels")->text(), "0x7fff");
    EXPECT_EQ(Edit("scanDuration")->text(), "3");
    EXPECT_EQ(Edit("joinTime")->text(), "255");
    EXPECT_EQ(Power()->currentText(), "Medium (2)");
    EXPECT_EQ(Power()->count(), 5);
    EXPECT_FALSE(page->IsModified());
}

TEST_F(MeshletPageTest, BadValueIsRefusedWithItsMessageAndFocus) {
    Show(kRadioFields);
    const struct {
        const char* field;
        const char* value;
        const char* message;
    } cases[] = {
        {"extendedPanId", "0X12", "Extended PAN ID must be 8 hex bytes"},
        {"extendedPanId", "0xzz", "Extended PAN ID must be 8 hex bytes"},
        {"discoverTimeout", "253", "Discover Timeout must be between 0 and 252"},
        {"scanChannels", "0x10000", "Scan Channels must be between 0 and 0xffff"},
        {"scanChannels", "12abc", "Scan Channels must be between 0 and 0xffff"},
        {"scanDuration", "8", "Scan Duration must be between 0 and 7"},
        {"joinTime", "256", "Allows Join Time must be between 0 and 255"},
    };
    for (const auto& bad : cases) {
        const QString before = Edit(bad.field)->text();
        Type(bad.field, bad.value);
        prompter.warnings.clear();
        EXPECT_FALSE(sheet.ApplyPages()) << bad.field << " " << bad.value;
        ASSERT_EQ(prompter.warnings.size(), 1u);
        EXPECT_EQ(prompter.warnings[0].title, "Error");
        EXPECT_EQ(prompter.warnings[0].text, bad.message);
        EXPECT_EQ(sheet.focusWidget(), Edit(bad.field)) << bad.field;
        EXPECT_TRUE(page->IsModified());
        Edit(bad.field)->setText(before);
    }
    EXPECT_TRUE(runner.scripts.empty()) << "nothing is sent";

    // Several wrong: only the first in page order is reported.
    Type("joinTime", "300");
    Type("scanChannels", "zz");
    prompter.warnings.clear();
    EXPECT_FALSE(sheet.ApplyPages());
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].text, "Scan Channels must be between 0 and 0xffff");
    EXPECT_EQ(sheet.focusWidget(), Edit("scanChannels"));
}

TEST_F(MeshletPageTest, ApplySendsTheRadioTreeAndShowsWhatTheGatewayKept) {
    Show(kRadioFields, "<ext_pan_id>0x00000000000000ab</ext_pan_id><power_level>3</power_level>");
    Type("extendedPanId", "0xab");
    Power()->setCurrentIndex(3);
    emit Power()->activated(3);
    EXPECT_TRUE(page->IsModified());
    EXPECT_TRUE(sheet.ApplyPages());

    ASSERT_EQ(runner.scripts.size(), 1u);
    EXPECT_EQ(runner.scripts[0].at(0).GetText(),
              "Sending new Meshlet configuration to the Device...");
    const std::string document = SentDocument();
    EXPECT_NE(document.find("<power_level>3</power_level>"), std::string::npos) << document;
    EXPECT_NE(document.find("<ext_pan_id>0xab</ext_pan_id>"), std::string::npos);
    EXPECT_NE(document.find("<node_id>R7 gateway</node_id>"), std::string::npos);
    EXPECT_EQ(Edit("extendedPanId")->text(), "0x00000000000000ab");
    EXPECT_EQ(Power()->currentText(), "High (3)");
    EXPECT_FALSE(page->IsModified());
}

TEST_F(MeshletPageTest, PowerLevelListMatchesWholeEntriesAndKeepsUnknownValues) {
    Show("<power_level>1</power_level>");
    EXPECT_EQ(Power()->currentText(), "Low (1)");

    model.LoadRadioSettingsReply(RadioReply("<node_id>a</node_id><power_level>7</power_level>"));
    MeshletPage* fresh = new MeshletPage(model, runner, uploader, prompter);
    sheet.AddPage(fresh);
    sheet.SetActivePage(2);
    auto* power = fresh->findChild<QComboBox*>("powerLevel");
    EXPECT_EQ(power->currentText(), "7") << "shown as stored";
    auto* nodeId = fresh->findChild<QLineEdit*>("nodeId");
    nodeId->setText("b");
    emit nodeId->textEdited("b");
    EXPECT_TRUE(sheet.ApplyPages());
    EXPECT_NE(SentDocument().find("<node_id>b</node_id><power_level>7</power_level>"),
              std::string::npos)
        << SentDocument();
}

TEST_F(MeshletPageTest, WithoutConfiguredPanIdTheOperatingOneShowsAndNothingIsWritten) {
    Show("<node_id>a</node_id>");
    EXPECT_EQ(Edit("extendedPanId")->text(), "0x3a5b9c0d1e2f4051");
    Type("nodeId", "b");
    EXPECT_TRUE(sheet.ApplyPages());
    EXPECT_EQ(SentDocument().find("ext_pan_id"), std::string::npos) << SentDocument();
}

TEST_F(MeshletPageTest, AnEditIsSentFromAnotherPageAndTypingItBackIsNoChange) {
    Show(kRadioFields);
    Type("nodeId", "changed");
    Type("nodeId", "R7 gateway");
    EXPECT_FALSE(page->IsModified());
    Type("nodeId", "changed");
    sheet.SetActivePage(1);
    EXPECT_TRUE(sheet.ApplyPages());
    EXPECT_NE(SentDocument().find("<node_id>changed</node_id>"), std::string::npos);
}

TEST_F(MeshletPageTest, FirmwareUpdateUploadsInstallsAndReadsBothTreesAgain) {
    Show(kRadioFields);
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "fw");
    const std::string path = (dir.Path() / "fw" / "radio.ebl").string();
    std::ofstream(path) << "radio image";
    prompter.fileAnswers.push_back(path);
    page->findChild<QPushButton*>("browse")->click();
    EXPECT_EQ(Edit("firmwarePath")->text().toStdString(), path);
    EXPECT_EQ(prompter.fileFilters.at(0), "*.ebl (*)");

    runner.answer = [this](JobList& jobs) {
        if (jobs.size() == 1) {  // the digest query
            jobs[0].SetResponse("\r\n" + uploader.stored + "\r\n");
            jobs[0].SetStatus(CommandJob::kSucceeded);
            return;
        }
        // The install times out; the two reads still run.
        jobs.at(1).SetResponse(StateReply("R&D 2.1&amp;3 &lt;b&gt;"));
        jobs.at(1).SetStatus(CommandJob::kSucceeded);
        jobs.at(1).SetAnswered(true);
        jobs.at(2).SetResponse(RadioReply("<node_id>after</node_id>"));
        jobs.at(2).SetStatus(CommandJob::kSucceeded);
        jobs.at(2).SetAnswered(true);
    };
    page->findChild<QPushButton*>("update")->click();

    ASSERT_EQ(uploader.uploads.size(), 1u);
    EXPECT_EQ(uploader.uploads[0], std::make_pair(path, UploadTarget::RadioFile));
    ASSERT_EQ(runner.scripts.size(), 2u);
    EXPECT_EQ(runner.scripts[0].at(0).GetCommand(),
              "at&usbinterface=41,\"/WEB/mesh/radio.ebl\"\r\n");
    const JobList& jobs = runner.scripts[1];
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].GetCommand(),
              "at&usbinterface=20,\"<rci_request version='1.1'><do_command target='zigbee'>"
              "<fw_update file='radio.ebl'/></do_command></rci_request>\"\r\n");
    EXPECT_EQ(jobs[0].GetText(), "Updating firmware on the Meshlet radio...");
    EXPECT_EQ(jobs[0].GetTimeout(), 180000);
    EXPECT_EQ(jobs[1].GetCommand(), kStateQuery);
    EXPECT_EQ(jobs[1].GetText(), "Collecting Device information...");
    EXPECT_EQ(jobs[2].GetCommand(), kRadioQuery);
    EXPECT_EQ(jobs[2].GetText(), "Retrieving Meshlet configuration to the Device...");
    EXPECT_EQ(Edit("firmwareVersion")->text(), "RD 2.1&3 <b>") << "references survive";
    EXPECT_EQ(Edit("nodeId")->text(), "after");
    EXPECT_TRUE(prompter.warnings.empty());
}

TEST_F(MeshletPageTest, FirmwareUpdateRefusesMissingFilesAndStopsWhenNotVerified) {
    Show(kRadioFields);
    Type("discoverTimeout", "253");
    page->UpdateFirmware();
    TempDir dir;
    Edit("firmwarePath")->setText(QString::fromStdString((dir.Path() / "none.ebl").string()));
    page->UpdateFirmware();
    const std::string quoted = (dir.Path() / "a\"b.ebl").string();
    std::ofstream(quoted) << "x";
    Edit("firmwarePath")->setText(QString::fromStdString(quoted));
    page->UpdateFirmware();

    ASSERT_EQ(prompter.warnings.size(), 3u);
    EXPECT_EQ(prompter.warnings[0].title, "Please enter a Filename");
    EXPECT_EQ(prompter.warnings[0].text, "You must select the firmware file to update.");
    EXPECT_EQ(prompter.warnings[1].title, "Please enter a correct Filename");
    EXPECT_EQ(prompter.warnings[1].text, "Unable to open the firmware file to update.");
    EXPECT_EQ(prompter.warnings[2].title, "Please enter a correct Filename");
    EXPECT_TRUE(uploader.uploads.empty());

    // The gateway's digest differs; the user cancels: nothing is installed.
    const std::string good = (dir.Path() / "radio.ebl").string();
    std::ofstream(good) << "x";
    Edit("firmwarePath")->setText(QString::fromStdString(good));
    runner.answer = [](JobList& jobs) {
        jobs[0].SetResponse("0123");
        jobs[0].SetStatus(CommandJob::kSucceeded);
    };
    page->UpdateFirmware();
    EXPECT_EQ(uploader.uploads.size(), 1u);
    EXPECT_EQ(prompter.retryQuestions.size(), 1u);
    ASSERT_EQ(runner.scripts.size(), 1u) << "only the digest query";

    // The edit typed before all this is still checked against what is stored.
    prompter.warnings.clear();
    EXPECT_FALSE(sheet.ApplyPages());
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].text, "Discover Timeout must be between 0 and 252");
    EXPECT_EQ(runner.scripts.size(), 1u);
}

TEST_F(MeshletPageTest, UnreadableReplyAfterFirmwareUpdateIsReportedAndEditsStay) {
    Show(kRadioFields);
    Type("nodeId", "north mast");
    TempDir dir;
    const std::string path = (dir.Path() / "radio.ebl").string();
    std::ofstream(path) << "radio image";
    Edit("firmwarePath")->setText(QString::fromStdString(path));
    runner.answer = [this](JobList& jobs) {
        for (CommandJob& job : jobs) {
            job.SetResponse(jobs.size() == 1 ? uploader.stored : "<rci_reply><query_setting>");
            job.SetStatus(CommandJob::kSucceeded);
            job.SetAnswered(true);
        }
        if (jobs.size() == 3)
            jobs[1].SetResponse(StateReply("2165"));
    };
    page->UpdateFirmware();
    EXPECT_EQ(Edit("firmwareVersion")->text(), "2165");
    EXPECT_EQ(Edit("nodeId")->text(), "north mast") << "not applied yet, not lost";
    EXPECT_TRUE(page->IsModified());
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Configuration not read");
    EXPECT_NE(prompter.warnings[0].text.find("radio settings"), std::string::npos);
}
