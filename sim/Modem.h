#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DeviceData.h"
#include "InputFramer.h"
#include "Output.h"
#include "RciHandler.h"
#include "ReceivedRecord.h"
#include "SignalWalk.h"
#include "SimOptions.h"
#include "UploadSession.h"

// The gateway's command interpreter: AT commands, the at&usbinterface extension, request
// documents and uploads, with the faults the options ask for. Commands take effect at once;
// only their answers may be delayed.
class Modem {
public:
    Modem(DeviceData& device, const SimOptions& options);

    void Feed(std::string_view bytes, std::uint64_t nowMs);
    // Drops a document or upload that stopped arriving.
    void Expire(std::uint64_t nowMs);
    std::optional<std::uint64_t> Deadline() const;
    // The port went away: unframed input is lost and an upload in progress is forgotten.
    void LinkLost();
    // The gateway stopped reading its port (a fault on request); it stays attached.
    bool Stalled() const { return stalled_; }

    // How long the port stays away after an output with this effect; kNever: for good.
    static constexpr int kNever = -1;
    static int RestartDelayMs(const SimOptions& options, Output::Effect effect);

    std::vector<ReceivedRecord> TakeRecords();
    std::vector<Output> TakeOutputs();

private:
    void DropUnframed();
    void Handle(const ReceivedRecord& record);
    bool ApplyFaults(const ReceivedRecord& record);
    void StreamEndlessly(const ReceivedRecord& record);
    void HandleCommand(const ReceivedRecord& record);
    void HandleExtension(const ReceivedRecord& record, const std::string& number,
                         const std::string& argument);
    void HandleUpload(const ReceivedRecord& record, const std::string& number,
                      const std::string& argument);
    void HandleRequest(const ReceivedRecord& record, const std::string& document);
    void HandleData(const ReceivedRecord& record);
    void AnswerDigest(const ReceivedRecord& record, std::string path);
    void InstallFirmware(const ReceivedRecord& record);
    std::string DecorateXml(const ReceivedRecord& record, std::string xml) const;
    std::string WithNuls(const ReceivedRecord& record, std::string payload) const;

    std::string SignalReply();
    std::string RegistrationReply();
    int RegistrationStat();
    std::string OperatorReply();
    void AnswerPinQuery(const ReceivedRecord& record);
    void AnswerFromSim(const ReceivedRecord& record, const std::string& payload);
    void Answer(const ReceivedRecord& record, bool ok, const std::string& payload = {},
                int workMs = 0, Output::Effect effect = Output::Effect::None);
    void Refuse(const ReceivedRecord& record, int code);
    std::string Refusal(int code) const;
    void Finish(const ReceivedRecord& record, const std::string& payload, const std::string& status,
                int workMs, Output::Effect effect);
    void Emit(std::string bytes, int delayMs, Output::Effect effect);

    DeviceData& device_;
    const SimOptions& options_;
    RciHandler rci_;
    InputFramer framer_;
    UploadSession upload_;
    std::optional<SignalWalk> walk_;
    std::vector<ReceivedRecord> records_;
    std::vector<Output> outputs_;
    std::uint64_t lastInputMs_ = 0;
    long commandsSeen_ = 0;
    long wrongDigestsLeft_ = 0;
    std::size_t dataBytes_ = 0;
    bool vanished_ = false;
    bool stalled_ = false;
};
