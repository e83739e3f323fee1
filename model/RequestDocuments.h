#pragma once

#include <string>
#include <string_view>

// The configuration requests the gateway understands. Inline requests travel
// inside the quoted argument of "at&usbinterface=20" (InlineCommand), so their
// attribute values are in single quotes; document requests are the command
// kDocumentRequestCommand followed by the document alone as the next command.
// "%s" marks where a file name goes (FillFileName).

inline constexpr std::string_view kSettingsQuery =
    "<rci_request version='1.1'><query_setting></query_setting></rci_request>";
inline constexpr std::string_view kStateQuery =
    "<rci_request version='1.1'><query_state/></rci_request>";
inline constexpr std::string_view kRadioSettingsQuery =
    "<rci_request version='1.1'><do_command target='zigbee'><query_setting/></do_command>"
    "</rci_request>";
inline constexpr std::string_view kFactoryDefaults =
    "<rci_request version='1.1'><set_factory_default/></rci_request>";
// Document form.
inline constexpr std::string_view kListPythonFiles =
    "<rci_request version='1.1'><do_command target='file_system'><ls dir='/WEB/python'/>"
    "</do_command></rci_request>";
// Document form; %s is the program's file name.
inline constexpr std::string_view kReadPythonFile =
    "<rci_request version='1.1'><do_command target='file_system'>"
    "<get_file name='/WEB/python/%s'/></do_command></rci_request>";
// %s is the program's file name.
inline constexpr std::string_view kDeletePythonFile =
    "<rci_request version='1.1'><do_command target='file_system'><rm name='/WEB/python/%s'/>"
    "</do_command></rci_request>";
inline constexpr std::string_view kDeleteFirmwareImage =
    "<rci_request version='1.1'><do_command target='file_system'><rm name='/fw/updatefw.dwl'/>"
    "</do_command></rci_request>";
// %s is the radio firmware file name.
inline constexpr std::string_view kRadioFirmwareUpdate =
    "<rci_request version='1.1'><do_command target='zigbee'><fw_update file='%s'/>"
    "</do_command></rci_request>";
// %s is the radio firmware file name.
inline constexpr std::string_view kDeleteRadioFirmwareFile =
    "<rci_request version='1.1'><do_command target='file_system'><rm name='/WEB/mesh/%s'/>"
    "</do_command></rci_request>";
// The gateway expects this one with double quotes around its target.
inline constexpr std::string_view kNodeDiscovery =
    "<rci_request version='1.1'><do_command target=\"zigbee\"><discover /></do_command>"
    "</rci_request>";

// What the gateway answers to a radio request when it has no mesh radio.
inline constexpr std::string_view kNoRadioReply = "Currently not configured or supported";

// Announces that the next command is a document.
inline constexpr std::string_view kDocumentRequestCommand = "at&usbinterface=22\r\n";

// at&usbinterface=20,"<document>"\r\n
std::string InlineCommand(std::string_view document);

// `value` with every character that would end an attribute value or the
// command line, or start markup, as a reference; fit for text content too.
std::string EscapeMarkupValue(std::string_view value);

// The document with its "%s" replaced by the file name, escaped so that any
// name stays one attribute value on one command line.
std::string FillFileName(std::string_view document, std::string_view fileName);
