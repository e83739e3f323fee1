#pragma once

#include <string>
#include <string_view>

#include "SerialClient.h"

// Requests as the dashboard sends them.
inline const std::string kSettingsQuery =
    "<rci_request version='1.1'><query_setting></query_setting></rci_request>";
inline const std::string kStateQuery = "<rci_request version='1.1'><query_state/></rci_request>";
inline const std::string kRadioQuery =
    "<rci_request version='1.1'><do_command target='zigbee'><query_setting/></do_command>"
    "</rci_request>";

// at&usbinterface=20,"<document>"\r\n
std::string Inline(const std::string& document);
// The reply's XML: from its first '<' to its last '>'.
std::string XmlPart(const std::string& reply);
// The text of the first <tag>...</tag> in `xml` (tag without attributes).
std::string ElementText(const std::string& xml, const std::string& tag);
bool IsWellFormed(const std::string& xml);
// A settings or radio reply turned into the set_setting request that sends it back, as the
// dashboard does: root and query element renamed, double quotes made single.
std::string AsSetRequest(const std::string& replyXml);
// Sends a document in the two-command form.
std::string SendDocument(SerialClient& client, const std::string& document);
// Runs the upload series; true when every step was answered OK.
bool UploadFile(SerialClient& client, const std::string& path, const std::string& data);
std::string Md5(std::string_view bytes);
std::string DecodeBase64(const std::string& text);
