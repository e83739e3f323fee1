#include "model/RequestDocuments.h"

std::string EscapeMarkupValue(std::string_view value) {
    std::string escaped;
    for (const char c : value) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\t':
                escaped += "&#9;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string InlineCommand(std::string_view document) {
    std::string command = "at&usbinterface=20,\"";
    command.append(document);
    command.append("\"\r\n");
    return command;
}

std::string FillFileName(std::string_view document, std::string_view fileName) {
    std::string filled(document);
    const std::size_t marker = filled.find("%s");
    if (marker != std::string::npos) {
        filled.replace(marker, 2, EscapeMarkupValue(fileName));
    }
    return filled;
}
