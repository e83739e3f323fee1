#include <gtest/gtest.h>

#include "SerialClient.h"
#include "SimGateway.h"
#include "SimTestSupport.h"

namespace {

// File data full of what a command parser would trip over: commands, status lines, line
// ends, NUL bytes and XML.
std::string AwkwardData(std::size_t size) {
    const std::string pieces[] = {"AT\r\n",
                                  "\r\nOK\r\n",
                                  "at+CFUN=1\r\n",
                                  std::string(1, '\0'),
                                  "at&usbinterface=22\r\n",
                                  "<rci_request>",
                                  "\r\nERROR\r\n"};
    std::string data;
    for (std::size_t i = 0; data.size() < size; ++i) {
        data += pieces[i % std::size(pieces)] + static_cast<char>(i);
    }
    data.resize(size);
    return data;
}

std::string Digest(SerialClient& client, const std::string& path) {
    return client.Exchange("at&usbinterface=41,\"" + path + "\"\r\n");
}

}  // namespace

TEST(UploadTest, StoresDataThatLooksLikeCommandsByteForByte) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    const std::string data = AwkwardData(3000);
    ASSERT_TRUE(UploadFile(client, "/WEB/python/awkward.py", data));

    EXPECT_EQ(Digest(client, "/WEB/python/awkward.py"), "\r\n" + Md5(data) + "\r\n\r\nOK\r\n");
    const std::string listing =
        XmlPart(SendDocument(client,
                             "<rci_request version='1.1'><do_command target='file_system'>"
                             "<ls dir='/WEB/python'/></do_command></rci_request>"));
    EXPECT_NE(listing.find("<file name=\"awkward.py\" size=\"3000\"/>"), std::string::npos);
    const std::string fetched = XmlPart(
        SendDocument(client,
                     "<rci_request version='1.1'><do_command target='file_system'>"
                     "<get_file name='/WEB/python/awkward.py'/></do_command></rci_request>"));
    ASSERT_TRUE(IsWellFormed(fetched));
    const std::size_t dataStart = fetched.find('>', fetched.find("<data ")) + 1;
    const std::string encoded = fetched.substr(dataStart, fetched.find("</data>") - dataStart);
    EXPECT_NE(encoded.find('\n'), std::string::npos);
    EXPECT_EQ(DecodeBase64(encoded), data);

    std::string received;
    for (const SimRecord& record : sim.Records()) {
        if (record.kind == "data") {
            received += record.bytes;
        }
    }
    EXPECT_EQ(received, data);
    EXPECT_EQ(sim.ReceivedCommands()[5], data.substr(0, 1024));
}

TEST(UploadTest, EmptyFileIsStored) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    ASSERT_TRUE(UploadFile(client, "/WEB/python/empty.py", ""));
    EXPECT_EQ(Digest(client, "/WEB/python/empty.py"),
              "\r\nd41d8cd98f00b204e9800998ecf8427e\r\n\r\nOK\r\n");
}

TEST(UploadTest, StepsOutOfOrderAreRefused) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=16,\"/WEB/python/a.py\"\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=17,10\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=3,11\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=17,10\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=3,10\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=16,\"/WEB/../etc/a.py\"\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=5\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=18,10\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(Digest(client, "/WEB/python/missing.py"), "\r\nERROR\r\n");
}

// The path check (9) must name the path announced by 16; any other path ends
// the upload, so the data that follows cannot land under another name.
TEST(UploadTest, PathCheckNamingAnotherPathIsRefused) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    for (const std::string step : {"AT&USBINTERFACE=17,4\r\n", "AT&USBINTERFACE=3,4\r\n",
                                   "AT&USBINTERFACE=16,\"/WEB/python/a.py\"\r\n"}) {
        ASSERT_EQ(client.Exchange(step), "\r\nOK\r\n");
    }
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=9,/WEB/python/b.py\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=9,/WEB/python/a.py\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=5\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(Digest(client, "/WEB/python/a.py"), "\r\nERROR\r\n");
    EXPECT_EQ(Digest(client, "/WEB/python/b.py"), "\r\nERROR\r\n");
}

TEST(UploadTest, StalledDataIsDroppedAndTheCutFileFailsItsDigest) {
    SimGateway sim({"--idle-timeout", "100"});
    SerialClient client(sim.LinkPath());
    const std::string data = AwkwardData(2000);
    for (const std::string step :
         {"AT&USBINTERFACE=17,2000\r\n", "AT&USBINTERFACE=3,2000\r\n",
          "AT&USBINTERFACE=16,\"/WEB/python/cut.py\"\r\n",
          "AT&USBINTERFACE=9,/WEB/python/cut.py\r\n", "AT&USBINTERFACE=5\r\n"}) {
        ASSERT_EQ(client.Exchange(step), "\r\nOK\r\n");
    }
    client.Write(data.substr(0, 1024));
    EXPECT_EQ(client.ReadFor(300), "");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=18,2000\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(Digest(client, "/WEB/python/cut.py"),
              "\r\n" + Md5(data.substr(0, 1024)) + "\r\n\r\nOK\r\n");
}

TEST(UploadTest, WrongDigestOnRequestThenTheRightOne) {
    SimGateway sim({"--wrong-digest", "1"});
    SerialClient client(sim.LinkPath());
    ASSERT_TRUE(UploadFile(client, "/WEB/mesh/radio.ebl", "radio image"));
    const std::string right = "\r\n" + Md5("radio image") + "\r\n\r\nOK\r\n";
    const std::string first = Digest(client, "/WEB/mesh/radio.ebl");
    EXPECT_NE(first, right);
    EXPECT_EQ(first.size(), right.size());
    EXPECT_EQ(Digest(client, "/WEB/mesh/radio.ebl"), right);
    const std::string update = XmlPart(client.Exchange(Inline(
        "<rci_request version='1.1'><do_command target='zigbee'><fw_update file='radio.ebl'/>"
        "</do_command></rci_request>")));
    EXPECT_EQ(update.find("<error"), std::string::npos) << update;
}
