#include "SimTestSupport.h"

#include <libxml/parser.h>
#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

std::string Inline(const std::string& document) {
    return "at&usbinterface=20,\"" + document + "\"\r\n";
}

std::string XmlPart(const std::string& reply) {
    const std::size_t first = reply.find('<');
    const std::size_t last = reply.rfind('>');
    return first == std::string::npos || last == std::string::npos || last < first
               ? std::string()
               : reply.substr(first, last - first + 1);
}

std::string ElementText(const std::string& xml, const std::string& tag) {
    const std::string open = "<" + tag + ">";
    const std::size_t begin = xml.find(open);
    const std::size_t end = xml.find("</" + tag + ">", begin);
    return begin == std::string::npos || end == std::string::npos
               ? std::string()
               : xml.substr(begin + open.size(), end - begin - open.size());
}

bool IsWellFormed(const std::string& xml) {
    xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "reply.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlFreeDoc(doc);
    return doc != nullptr;
}

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
}

}  // namespace

std::string AsSetRequest(const std::string& replyXml) {
    std::string request = replyXml;
    ReplaceAll(request, "rci_reply", "rci_request");
    ReplaceAll(request, "query_setting", "set_setting");
    std::replace(request.begin(), request.end(), '"', '\'');
    return request;
}

std::string SendDocument(SerialClient& client, const std::string& document) {
    if (client.Exchange("at&usbinterface=22\r\n") != "\r\nOK\r\n") {
        return {};
    }
    return client.Exchange(document);
}

bool UploadFile(SerialClient& client, const std::string& path, const std::string& data) {
    const std::string length = std::to_string(data.size());
    for (const std::string& step :
         {"AT&USBINTERFACE=17," + length + "\r\n", "AT&USBINTERFACE=3," + length + "\r\n",
          "AT&USBINTERFACE=16,\"" + path + "\"\r\n", "AT&USBINTERFACE=9," + path + "\r\n",
          std::string("AT&USBINTERFACE=5\r\n")}) {
        if (client.Exchange(step) != "\r\nOK\r\n") {
            return false;
        }
    }
    // Blocks of 1024 bytes with a pause, as the dashboard paces them.
    for (std::size_t sent = 0; sent < data.size(); sent += 1024) {
        client.Write(std::string_view(data).substr(sent, 1024));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return client.Exchange("AT&USBINTERFACE=18," + length + "\r\n") == "\r\nOK\r\n";
}

std::string Md5(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

std::string DecodeBase64(const std::string& text) {
    std::string compact;
    std::copy_if(text.begin(), text.end(), std::back_inserter(compact),
                 [](char c) { return c != '\n' && c != '\r'; });
    std::string bytes(compact.size(), '\0');
    const int decoded = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                        reinterpret_cast<const unsigned char*>(compact.data()),
                                        static_cast<int>(compact.size()));
    const std::size_t padding = static_cast<std::size_t>(
        std::count(compact.end() - std::min<std::size_t>(2, compact.size()), compact.end(), '='));
    bytes.resize(decoded < 0 ? 0 : static_cast<std::size_t>(decoded) - padding);
    return bytes;
}
