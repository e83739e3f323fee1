#include "RciHandler.h"

#include "Encoding.h"

namespace {

const xmlChar* Text(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

const char kNoRadio[] = "Currently not configured or supported";
// Radio firmware is written into the radio module slowly.
constexpr int kRadioUpdateMs = 8000;

// The state report prints its values without escaping ampersands: clients must cope with a
// bare "&" in it.
std::string UnescapeAmpersands(std::string text) {
    for (std::size_t pos = text.find("&amp;"); pos != std::string::npos;
         pos = text.find("&amp;", pos + 1)) {
        text.erase(pos + 1, 4);
    }
    return text;
}

}  // namespace

RciHandler::RciHandler(DeviceData& device, bool radioPresent)
    : device_(device), radioPresent_(radioPresent) {}

std::optional<RciHandler::Reply> RciHandler::Handle(const std::string& request) {
    XmlDocPtr parsed = ParseXml(request, true);
    xmlNode* root = parsed ? xmlDocGetRootElement(parsed.get()) : nullptr;
    if (!root || NodeName(root) != "rci_request") {
        return std::nullopt;
    }
    XmlDocPtr answer(xmlNewDoc(Text("1.0")));
    xmlNode* replyRoot = xmlNewDocNode(answer.get(), nullptr, Text("rci_reply"), nullptr);
    xmlDocSetRootElement(answer.get(), replyRoot);
    xmlNewProp(replyRoot, Text("version"), Text("1.1"));
    Reply reply;
    for (xmlNode* command = FirstElement(root); command; command = NextElement(command)) {
        HandleCommand(command, AppendEcho(replyRoot, command), reply.workMs);
    }
    reply.xml = Serialise(answer.get(), replyRoot);
    return reply;
}

std::string RciHandler::Serialise(xmlDoc* doc, xmlNode* root) {
    std::string xml = "<rci_reply version=\"1.1\">\n";
    for (xmlNode* part = FirstElement(root); part; part = NextElement(part)) {
        const std::string text = DumpNode(doc, part, 1);
        xml += "  " + (NodeName(part) == "query_state" ? UnescapeAmpersands(text) : text) + "\n";
    }
    return xml + "</rci_reply>";
}

void RciHandler::HandleCommand(xmlNode* command, xmlNode* reply, int& workMs) {
    const std::string name = NodeName(command);
    if (name == "query_setting") {
        device_.settings.CopyGroupsTo(reply, command);
    } else if (name == "query_state") {
        device_.state.CopyGroupsTo(reply, command);
    } else if (name == "set_setting") {
        device_.settings.Apply(command, reply);
    } else if (name == "set_factory_default") {
        device_.settings.RestoreDefaults();
        device_.radio.RestoreDefaults();
    } else if (name == "do_command" && NodeAttribute(command, "target") == "file_system") {
        HandleFileSystem(command, reply);
    } else if (name == "do_command" && NodeAttribute(command, "target") == "zigbee") {
        HandleRadio(command, reply, workMs);
    } else if (name == "do_command") {
        AppendError(reply, "", "Unknown target");
    } else {
        AppendError(reply, "", "Unknown command");
    }
}

void RciHandler::HandleFileSystem(xmlNode* command, xmlNode* reply) {
    for (xmlNode* action = FirstElement(command); action; action = NextElement(action)) {
        const std::string name = NodeName(action);
        xmlNode* echo = AppendEcho(reply, action);
        if (name == "ls") {
            ListFiles(action, echo);
        } else if (name == "get_file") {
            SendFile(action, echo);
        } else if (name == "rm") {
            RemoveFile(action, echo);
        } else {
            AppendError(echo, "", "Unknown command");
        }
    }
}

void RciHandler::ListFiles(xmlNode* command, xmlNode* reply) {
    const std::string dir = NodeAttribute(command, "dir");
    if (!FileStore::IsValidPath(dir)) {
        AppendError(reply, "dir", "Invalid path");
        return;
    }
    for (const auto& [name, size] : device_.files.List(dir)) {
        xmlNode* file = xmlNewChild(reply, nullptr, Text("file"), nullptr);
        xmlNewProp(file, Text("name"), Text(name.c_str()));
        xmlNewProp(file, Text("size"), Text(std::to_string(size).c_str()));
    }
}

void RciHandler::SendFile(xmlNode* command, xmlNode* reply) {
    const std::string* content = device_.files.Find(NodeAttribute(command, "name"));
    if (!content) {
        AppendError(reply, "name", "File not found");
        return;
    }
    xmlNode* data =
        xmlNewTextChild(reply, nullptr, Text("data"), Text(EncodeBase64Lines(*content).c_str()));
    xmlNewProp(data, Text("size"), Text(std::to_string(content->size()).c_str()));
    xmlNewProp(data, Text("encode"), Text("base64"));
}

void RciHandler::RemoveFile(xmlNode* command, xmlNode* reply) {
    if (!device_.files.Remove(NodeAttribute(command, "name"))) {
        AppendError(reply, "name", "File not found");
    }
}

void RciHandler::HandleRadio(xmlNode* command, xmlNode* reply, int& workMs) {
    if (!radioPresent_) {
        AppendError(reply, "", kNoRadio);
        return;
    }
    for (xmlNode* action = FirstElement(command); action; action = NextElement(action)) {
        const std::string name = NodeName(action);
        xmlNode* echo = AppendEcho(reply, action);
        if (name == "query_setting") {
            device_.radio.CopyGroupsTo(echo, action);
        } else if (name == "set_setting") {
            device_.radio.Apply(action, echo);
        } else if (name == "discover") {
            // The radio listens for the configured discover timeout (tenths of a second).
            workMs += std::atoi(device_.radio.Value("radio", "discover_timeout").c_str()) * 100;
            for (xmlNode* node = FirstElement(device_.DiscoveredNodes()); node;
                 node = NextElement(node)) {
                xmlAddChild(echo, xmlDocCopyNode(node, echo->doc, 1));
            }
        } else if (name == "fw_update") {
            UpdateRadioFirmware(action, echo, workMs);
        } else {
            AppendError(echo, "", "Unknown command");
        }
    }
}

void RciHandler::UpdateRadioFirmware(xmlNode* command, xmlNode* reply, int& workMs) {
    const std::string file = NodeAttribute(command, "file");
    if (file.find('/') != std::string::npos || !device_.files.Find("/WEB/mesh/" + file)) {
        AppendError(reply, "file", "File not found");
        return;
    }
    workMs += kRadioUpdateMs;
    device_.RaiseRadioFirmwareVersion();
}
