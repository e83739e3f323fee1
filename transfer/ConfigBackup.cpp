#include "transfer/ConfigBackup.h"

#include <libxml/xmlerror.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "model/ConfigApply.h"
#include "model/ElementSearch.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"
#include "transfer/WholeFileWrite.h"

namespace {

std::string Reason(int error) {
    return std::generic_category().message(error) + ".";
}

// libxml2's own account of the last parse failure on this thread.
std::string ParserReason() {
    const xmlError* error = xmlGetLastError();
    if (error == nullptr || error->message == nullptr) {
        return {};
    }
    std::string message = error->message;
    while (!message.empty() && message.back() == '\n') {
        message.pop_back();
    }
    return message + " (line " + std::to_string(error->line) + ").";
}

RestoreFile Refused(RestoreFile::Problem problem, std::string details) {
    RestoreFile file;
    file.problem = problem;
    file.details = std::move(details);
    return file;
}

std::string NameOf(xmlNodePtr element) {
    return reinterpret_cast<const char*>(element->name);
}

std::vector<xmlNodePtr> ChildElements(xmlNodePtr parent) {
    std::vector<xmlNodePtr> elements;
    for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            elements.push_back(child);
    }
    return elements;
}

// Why the document is not a settings backup, or empty when it is one.
std::string NotSettingsReason(xmlDocPtr document) {
    const xmlNodePtr root = xmlDocGetRootElement(document);
    if (!IsNamedNode(root, XML_ELEMENT_NODE, "rci_request"))
        return "Its root element is " + NameOf(root) + ", not rci_request.";
    const std::vector<xmlNodePtr> requests = ChildElements(root);
    if (requests.size() != 1 || !IsNamedNode(requests[0], XML_ELEMENT_NODE, "set_setting")) {
        std::string names;
        for (const xmlNodePtr request : requests)
            names += (names.empty() ? "" : ", ") + NameOf(request);
        return "It asks for " + (names.empty() ? std::string("nothing") : names) +
               ", where a backup holds exactly one set_setting.";
    }
    const std::vector<xmlNodePtr> groups = ChildElements(requests[0]);
    if (groups.empty())
        return "Its set_setting holds no settings groups.";
    for (const xmlNodePtr group : groups) {
        if (ChildElements(group).empty())
            return "Its set_setting holds " + NameOf(group) +
                   ", which is not a settings group: it holds no settings.";
    }
    return {};
}

}  // namespace

std::string BackupText(xmlDocPtr settings) {
    xmlChar* dumped = nullptr;
    int size = 0;
    xmlDocDumpMemory(settings, &dumped, &size);
    const XmlString owner(dumped);
    if (dumped == nullptr || size <= 0) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(dumped), static_cast<std::size_t>(size));
}

BackupResult WriteBackup(xmlDocPtr settings, const std::string& path) {
    BackupResult result;
    if (settings == nullptr) {
        result.problem = BackupResult::Problem::NoDocument;
        return result;
    }
    // The settings hold the APN password and the SIM PIN.
    if (const int error = WriteWholeFile(path, BackupText(settings), FileAccess::OwnerOnly)) {
        result.problem = BackupResult::Problem::WriteFailed;
        result.details = path + ": " + Reason(error);
    }
    return result;
}

RestoreFile ReadRestoreFile(const std::string& path) {
    using Problem = RestoreFile::Problem;
    if (path.empty()) {
        return Refused(Problem::NoPath, {});
    }
    std::string content;
    const int error = ReadCappedFile(path, content);
    if (error == EFBIG) {
        return Refused(Problem::TooLarge, "A configuration file holds at most " +
                                              std::to_string(kMaxXmlInputBytes) + " bytes.");
    }
    if (error != 0) {
        return Refused(error == ENOENT ? Problem::Missing : Problem::Unreadable, Reason(error));
    }
    return ParseRestoreText(content, path);
}

RestoreFile ParseRestoreText(const std::string& content, const std::string& name) {
    using Problem = RestoreFile::Problem;
    if (content.empty()) {
        return Refused(Problem::NotXml, "The file is empty.");
    }
    xmlResetLastError();
    const XmlDocument document = ParseXmlText(content, name.c_str());
    if (!document) {
        if (content.find("<!DOCTYPE") != std::string::npos) {
            return Refused(Problem::DocumentType, {});
        }
        return Refused(Problem::NotXml, ParserReason());
    }
    if (std::string reason = NotSettingsReason(document.get()); !reason.empty()) {
        return Refused(Problem::NotSettings, std::move(reason));
    }
    RestoreFile file;
    file.request = SerializeForRequest(document.get());
    return file;
}

ProblemText DescribeProblem(BackupResult::Problem problem) {
    switch (problem) {
        case BackupResult::Problem::NoDocument:
            return {"Backup",
                    "No configuration has been read from the device, so there is nothing to back "
                    "up. No file was written."};
        case BackupResult::Problem::WriteFailed:
            return {"Backup", "Unable to write the backup file. No backup was made."};
        case BackupResult::Problem::None:
            break;
    }
    return {};
}

ProblemText DescribeProblem(RestoreFile::Problem problem) {
    constexpr char kNoPath[] = "Please enter a Filename";
    constexpr char kBadFile[] = "Please enter a correct Filename";
    switch (problem) {
        case RestoreFile::Problem::NoPath:
            return {kNoPath, "You must select the configuration file to restore."};
        case RestoreFile::Problem::Missing:
            return {kBadFile, "The configuration file to restore does not exist."};
        case RestoreFile::Problem::Unreadable:
            return {kBadFile, "Unable to open the configuration file to restore."};
        case RestoreFile::Problem::TooLarge:
            return {kBadFile,
                    "The file is too large to be a configuration file. Nothing was restored."};
        case RestoreFile::Problem::NotXml:
            return {kBadFile,
                    "The file is not a configuration file: it is not well-formed XML. Nothing "
                    "was restored."};
        case RestoreFile::Problem::DocumentType:
            return {kBadFile,
                    "The configuration file declares a document type (DTD), which is not "
                    "accepted for safety. Nothing was restored."};
        case RestoreFile::Problem::NotSettings:
            return {kBadFile,
                    "The file is not a settings backup: it would ask the device for more than "
                    "restoring settings. Nothing was restored."};
        case RestoreFile::Problem::None:
            break;
    }
    return {};
}
