#include "Modem.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "Encoding.h"

namespace {

// Identity of the cellular module inside the gateway.
const char kManufacturer[] = "Halvard Cellular";
const char kSerialNumber[] = "356938035643809";
const char kRevision[] = "HC7350 R07.12.3 2019/04/11";
const char kImsi[] = "310260123456789";
const char kOwnNumber[] = "+CNUM: \"Line 1\",\"+15125550142\",145";
const char kImage[] = "/fw/updatefw.dwl";
const char kExtension[] = "AT&USBINTERFACE=";
constexpr int kRebootMs = 10000;
constexpr int kInstallMs = 45000;
constexpr int kWalkStepMs = 1000;
// The network the SIM belongs to, and the one it roams on (numeric form, as
// some modems report a network they have no name for).
const char kHomeOperator[] = "+COPS: 0,0,\"T-Mobile\",7";
const char kRoamingOperator[] = "+COPS: 0,2,\"310410\",2";
constexpr int kRoamingStat = 5;
// Extended error numbers: SIM not inserted, SIM PIN required, SIM PUK
// required, unknown error.
constexpr int kNoSimError = 10;
constexpr int kPinError = 11;
constexpr int kPukError = 12;
constexpr int kUnknownError = 100;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string WithoutLineEnds(const std::string& text) {
    const std::size_t end = text.find_last_not_of("\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

bool Contains(const std::string& text, const std::vector<std::string>& needles) {
    return std::any_of(needles.begin(), needles.end(), [&text](const std::string& needle) {
        return text.find(needle) != std::string::npos;
    });
}

std::string Repeated(std::string_view piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

// The reply as a faulty gateway would send it.
std::string Spoil(ReplyFault::Kind kind, const std::string& request, std::string xml) {
    using Kind = ReplyFault::Kind;
    const std::size_t body = xml.find('>') + 1;  // just inside the root element
    switch (kind) {
        case Kind::Cut:
            xml.erase(xml.rfind("</rci_reply>"));
            break;
        case Kind::Mismatch:
            xml.insert(body, "</stray>");
            break;
        case Kind::Dtd:
            xml.insert(0, "<!DOCTYPE rci_reply [<!ENTITY e \"x\">]>\n");
            break;
        case Kind::Deep:
            xml.insert(body, Repeated("<d>", 300) + Repeated("</d>", 300));
            break;
        case Kind::Binary:
            xml.insert(body, std::string("\x01\x02\xff\xfe\x00\x80", 6));
            break;
        case Kind::Echo:
            xml.insert(0, WithoutLineEnds(request) + "\r\n");
            break;
        case Kind::Latin1:
            xml = Utf8ToLatin1(xml);
            break;
    }
    return xml;
}

std::string Unquoted(const std::string& text) {
    const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    return quoted ? text.substr(1, text.size() - 2) : text;
}

}  // namespace

Modem::Modem(DeviceData& device, const SimOptions& options)
    : device_(device),
      options_(options),
      rci_(device, !options.noRadio),
      wrongDigestsLeft_(options.wrongDigests) {
    if (options.signalWalk)
        walk_.emplace(static_cast<std::uint32_t>(options.signalSeed), options.Scaled(kWalkStepMs));
}

void Modem::Feed(std::string_view bytes, std::uint64_t nowMs) {
    lastInputMs_ = nowMs;
    framer_.Append(bytes);
    while (auto record = framer_.Next()) {
        records_.push_back(*record);
        Handle(*record);
    }
}

void Modem::Expire(std::uint64_t nowMs) {
    const auto deadline = Deadline();
    if (deadline && nowMs >= *deadline) {
        DropUnframed();
        upload_.Cut();
    }
}

std::optional<std::uint64_t> Modem::Deadline() const {
    if (!framer_.AwaitingPayload()) {
        return std::nullopt;
    }
    return lastInputMs_ + static_cast<std::uint64_t>(options_.idleTimeoutMs);
}

void Modem::LinkLost() {
    DropUnframed();
    upload_.Reset();
}

void Modem::DropUnframed() {
    std::string pending = framer_.Abandon();
    if (!pending.empty()) {
        records_.push_back({ReceivedRecord::Kind::Other, std::move(pending)});
    }
}

std::vector<ReceivedRecord> Modem::TakeRecords() {
    return std::exchange(records_, {});
}

std::vector<Output> Modem::TakeOutputs() {
    return std::exchange(outputs_, {});
}

void Modem::Emit(std::string bytes, int delayMs, Output::Effect effect) {
    outputs_.push_back({std::move(bytes), delayMs, effect});
}

void Modem::Answer(const ReceivedRecord& record, bool ok, const std::string& payload, int workMs,
                   Output::Effect effect) {
    Finish(record, payload, ok ? "OK" : Refusal(kUnknownError), workMs, effect);
}

void Modem::Refuse(const ReceivedRecord& record, int code) {
    Finish(record, {}, Refusal(code), 0, Output::Effect::None);
}

// ERROR, or the numbered result a modem with extended errors on sends instead.
std::string Modem::Refusal(int code) const {
    return options_.extendedErrors ? "+CME ERROR: " + std::to_string(code) : "ERROR";
}

void Modem::Finish(const ReceivedRecord& record, const std::string& payload,
                   const std::string& status, int workMs, Output::Effect effect) {
    std::string bytes = options_.echo ? record.bytes : std::string();
    if (!payload.empty()) {
        bytes += "\r\n" + WithNuls(record, payload) + "\r\n";
    }
    if (!Contains(record.bytes, options_.noStatusOn)) {
        bytes += "\r\n" + status + "\r\n";
    }
    Emit(std::move(bytes), options_.Scaled(options_.replyDelayMs + workMs), effect);
}

// A payload with two NUL bytes in its middle, when asked for.
std::string Modem::WithNuls(const ReceivedRecord& record, std::string payload) const {
    if (Contains(record.bytes, options_.nulOn)) {
        payload.insert(payload.size() / 2, std::string(2, '\0'));
    }
    return payload;
}

void Modem::Handle(const ReceivedRecord& record) {
    if (record.kind == ReceivedRecord::Kind::Other) {
        return;
    }
    if (record.kind == ReceivedRecord::Kind::Data) {
        HandleData(record);
        return;
    }
    if (ApplyFaults(record)) {
        return;
    }
    if (record.kind == ReceivedRecord::Kind::Document) {
        HandleRequest(record, record.bytes);
    } else {
        HandleCommand(record);
    }
}

// True when a fault took the place of the normal answer.
bool Modem::ApplyFaults(const ReceivedRecord& record) {
    ++commandsSeen_;
    if (options_.silentAfter >= 0 && commandsSeen_ > options_.silentAfter) {
        return true;
    }
    if (!vanished_ && !options_.vanishOn.empty() &&
        record.bytes.find(options_.vanishOn) != std::string::npos) {
        vanished_ = true;
        Emit({}, 0, Output::Effect::Vanish);
        return true;
    }
    if (Contains(record.bytes, options_.endlessOn)) {
        StreamEndlessly(record);
        return true;
    }
    if (Contains(record.bytes, options_.errorOn)) {
        Answer(record, false);
        return true;
    }
    return false;
}

// A program on the gateway that keeps printing: line after line, never a status, until the
// next command.
void Modem::StreamEndlessly(const ReceivedRecord& record) {
    if (options_.echo) {
        Emit(record.bytes, 0, Output::Effect::None);
    }
    std::string lines;
    for (int i = 0; i < 64; ++i) {
        lines += "\r\n+STREAM: " + std::to_string(i) + " 0123456789ABCDEF";
    }
    Emit(std::move(lines), options_.Scaled(options_.replyDelayMs), Output::Effect::Endless);
}

std::string Modem::SignalReply() {
    // Without a SIM the modem does not attach, and measures nothing.
    if (options_.noSim)
        return "+CSQ: 99,99";
    const int signal = walk_ ? walk_->At(lastInputMs_).signal : options_.signal;
    return "+CSQ: " + std::to_string(signal) + ",99";
}

std::string Modem::RegistrationReply() {
    if (!options_.registration.empty())
        return options_.registration;
    return "+CREG: 0," + std::to_string(RegistrationStat());
}

// Registered at home, roaming during a walk's spells, and nowhere without a
// working SIM.
int Modem::RegistrationStat() {
    if (options_.simCard != SimCard::Ready)
        return 0;
    return walk_ ? walk_->At(lastInputMs_).registration : 1;
}

std::string Modem::OperatorReply() {
    switch (RegistrationStat()) {
        case 0:
            return "+COPS: 0";
        case kRoamingStat:
            return kRoamingOperator;
        default:
            return kHomeOperator;
    }
}

void Modem::AnswerPinQuery(const ReceivedRecord& record) {
    switch (options_.simCard) {
        case SimCard::Ready:
            Answer(record, true, "+CPIN: READY");
            break;
        case SimCard::Pin:
            Answer(record, true, "+CPIN: SIM PIN");
            break;
        case SimCard::Puk:
            Answer(record, true, "+CPIN: SIM PUK");
            break;
        case SimCard::Absent:
            // A modem reports a missing SIM here in the extended form even
            // with extended errors off.
            Finish(record, {}, "+CME ERROR: " + std::to_string(kNoSimError), 0,
                   Output::Effect::None);
            break;
    }
}

// The subscriber's values are read from a working SIM only.
void Modem::AnswerFromSim(const ReceivedRecord& record, const std::string& payload) {
    switch (options_.simCard) {
        case SimCard::Ready:
            Answer(record, true, payload);
            break;
        case SimCard::Absent:
            Refuse(record, kNoSimError);
            break;
        case SimCard::Pin:
            Refuse(record, kPinError);
            break;
        case SimCard::Puk:
            Refuse(record, kPukError);
            break;
    }
}

void Modem::HandleCommand(const ReceivedRecord& record) {
    const std::string line = WithoutLineEnds(record.bytes);
    const std::string command = Upper(line);
    if (command.starts_with(kExtension)) {
        const std::string rest = line.substr(sizeof kExtension - 1);
        const std::size_t comma = rest.find(',');
        HandleExtension(record, rest.substr(0, comma),
                        comma == std::string::npos ? std::string() : rest.substr(comma + 1));
    } else if (command == "AT") {
        Answer(record, true);
    } else if (command == "AT+CGMI") {
        Answer(record, true, kManufacturer);
    } else if (command == "AT+CGSN") {
        Answer(record, true, kSerialNumber);
    } else if (command == "AT+CGMR") {
        Answer(record, true, kRevision);
    } else if (command == "AT+CIMI") {
        AnswerFromSim(record, kImsi);
    } else if (command == "AT+CNUM") {
        AnswerFromSim(record, kOwnNumber);
    } else if (command == "AT+CPIN?") {
        AnswerPinQuery(record);
    } else if (command == "AT+CSQ") {
        Answer(record, true, SignalReply());
    } else if (command == "AT+CREG?") {
        Answer(record, true, RegistrationReply());
    } else if (command == "AT+COPS?") {
        Answer(record, true, OperatorReply());
    } else if (command == "AT+CFUN=1") {
        Answer(record, true, {}, 0, Output::Effect::Reboot);
    } else {
        Answer(record, false);
    }
}

void Modem::HandleExtension(const ReceivedRecord& record, const std::string& number,
                            const std::string& argument) {
    if (number == "20") {
        const std::size_t open = argument.find('"');
        const std::size_t close = argument.rfind('"');
        if (open == std::string::npos || close == open) {
            Answer(record, false);
            return;
        }
        HandleRequest(record, argument.substr(open + 1, close - open - 1));
    } else if (number == "22" && argument.empty()) {
        framer_.ExpectDocument();
        Answer(record, true);
    } else if (number == "41") {
        AnswerDigest(record, Unquoted(argument));
    } else if (number == "110" && argument.empty()) {
        InstallFirmware(record);
    } else {
        HandleUpload(record, number, argument);
    }
}

void Modem::HandleUpload(const ReceivedRecord& record, const std::string& number,
                         const std::string& argument) {
    bool ok = false;
    if (number == "17") {
        ok = upload_.Announce(argument);
    } else if (number == "3") {
        ok = upload_.ConfirmLength(argument);
    } else if (number == "16") {
        ok = upload_.SetQuotedPath(argument);
    } else if (number == "9") {
        ok = upload_.CheckPath(argument);
    } else if (number == "5" && argument.empty()) {
        ok = upload_.StartData();
        if (ok) {
            dataBytes_ = 0;
            framer_.ExpectData(upload_.Length());
        }
    } else if (number == "18") {
        ok = upload_.Finish(argument, device_.files);
    }
    Answer(record, ok);
}

void Modem::HandleData(const ReceivedRecord& record) {
    upload_.AddData(record.bytes);
    dataBytes_ += record.bytes.size();
    if (!vanished_ && options_.vanishAfterBytes >= 0 &&
        dataBytes_ >= static_cast<std::size_t>(options_.vanishAfterBytes)) {
        vanished_ = true;
        Emit({}, 0, Output::Effect::Vanish);
    }
    if (options_.stallAfterBytes >= 0 &&
        dataBytes_ >= static_cast<std::size_t>(options_.stallAfterBytes)) {
        stalled_ = true;
    }
}

void Modem::HandleRequest(const ReceivedRecord& record, const std::string& document) {
    auto reply = rci_.Handle(document);
    if (!reply) {
        Answer(record, false);
        return;
    }
    Answer(record, true, DecorateXml(record, std::move(reply->xml)), reply->workMs);
}

// Oversized and spoilt replies, when asked for.
std::string Modem::DecorateXml(const ReceivedRecord& record, std::string xml) const {
    if (xml.size() < options_.oversize) {
        const std::size_t body = xml.find('>') + 1;
        const std::size_t fill = options_.oversize - xml.size();
        xml.insert(body, "<!--" + std::string(fill, 'x') + "-->");
    }
    for (const ReplyFault& fault : options_.spoiledOn) {
        if (record.bytes.find(fault.on) != std::string::npos) {
            xml = Spoil(fault.kind, record.bytes, std::move(xml));
        }
    }
    return xml;
}

void Modem::AnswerDigest(const ReceivedRecord& record, std::string path) {
    const std::string* content = device_.files.Find(path);
    if (!content) {
        Answer(record, false);
        return;
    }
    if (options_.digestAnswer) {
        Answer(record, true, *options_.digestAnswer);
        return;
    }
    std::string digest = Md5Hex(*content);
    if (wrongDigestsLeft_ > 0) {
        --wrongDigestsLeft_;
        digest = Md5Hex(*content + "\n");
    }
    Answer(record, true, digest);
}

void Modem::InstallFirmware(const ReceivedRecord& record) {
    if (!device_.files.Find(kImage)) {
        Answer(record, false);
        return;
    }
    device_.files.Remove(kImage);
    device_.RaiseFirmwareVersion();
    Answer(record, true, {}, 0, Output::Effect::Install);
}

int Modem::RestartDelayMs(const SimOptions& options, Output::Effect effect) {
    switch (effect) {
        case Output::Effect::Reboot:
            return options.stayDown ? kNever : options.Scaled(kRebootMs);
        case Output::Effect::Install:
            return options.stayDown ? kNever : options.Scaled(kInstallMs);
        case Output::Effect::Vanish:
            return options.vanishForGood ? kNever : options.Scaled(options.vanishForMs);
        case Output::Effect::Unplug:
            return options.Scaled(options.vanishForMs);
        case Output::Effect::None:
        case Output::Effect::Endless:
            break;
    }
    return 0;
}
