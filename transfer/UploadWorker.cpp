#include "transfer/UploadWorker.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "link/Clock.h"
#include "link/CommandJob.h"
#include "link/ModemPort.h"
#include "model/RegularFile.h"
#include "model/RequestDocuments.h"
#include "transfer/FileNames.h"

namespace {

// Replies to the announcing steps are a status line, perhaps behind an echo.
constexpr std::size_t kStepReplyBytes = 100;
// The removal is a configuration request; its reply is a short document.
constexpr int kRemovalTimeoutMs = 10000;

struct UploadStep {
    std::string command;
    int timeoutMs;
    std::size_t replyBytes = kStepReplyBytes;
};

std::string Command(std::string_view argument) {
    std::string command = "AT&USBINTERFACE=";
    command.append(argument);
    command.append("\r\n");
    return command;
}

std::vector<UploadStep> AnnouncingSteps(std::uint64_t length, const std::string& remotePath) {
    const std::string size = std::to_string(length);
    return {{Command("17," + size), 500},
            {Command("3," + size), 250},
            {Command("16,\"" + remotePath + "\""), 250},
            {Command("9," + remotePath), 250},
            {Command("5"), 4000}};
}

// Send, Receive and Parse as every exchange of the link does; the outcome is
// false only for an ERROR status (silence counts as going on).
bool Exchange(ModemPort& port, const UploadStep& step) {
    port.Send(step.command);
    std::string reply;
    port.Receive(step.command, step.replyBytes, step.timeoutMs, false, nullptr, reply);
    std::string payload;
    return port.Parse(step.command, reply, payload);
}

// The whole file, when it is still a regular file of at most kMaxUploadBytes
// (it may have been replaced since it was checked).
std::optional<std::string> ReadWholeFile(const std::string& path) {
    const RegularFileOpen file = OpenRegularFile(path);
    const int fd = file.fd.Get();
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 ||
        static_cast<std::uintmax_t>(status.st_size) > kMaxUploadBytes)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t count = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return std::nullopt;
        got += static_cast<std::size_t>(count);
    }
    return bytes;
}

// The steps, the data and the closing command, for a file already read.
UploadOutcome SendAnnounced(ModemPort& port, Clock& clock, const std::string& data,
                            const std::string& localPath, UploadTarget target,
                            UploadObserver& observer) {
    const std::uint64_t length = data.size();
    const std::vector<UploadStep> steps = AnnouncingSteps(length, RemotePath(localPath, target));
    for (const UploadStep& step : steps) {
        // Before the data command the gateway is not counting file data yet.
        if (observer.StopRequested())
            return UploadOutcome::Stopped;
        if (&step == &steps.back())
            observer.DataPhase(true);
        const bool accepted = Exchange(port, step);
        if (port.GaveUp() || !accepted) {
            observer.DataPhase(false);
            return accepted ? UploadOutcome::Lost : UploadOutcome::Refused;
        }
    }
    observer.SetProgressRange(UploadProgressRange(length));
    const RawWrite write = [&port](const char* bytes, std::size_t size) {
        return port.WriteRaw(bytes, size);
    };
    const bool complete = SendFileData(data, write, clock, observer);
    observer.DataPhase(false);
    if (port.GaveUp())
        return UploadOutcome::Lost;
    Exchange(port, {Command("18," + std::to_string(length)), ClosingTimeoutMs(length)});
    if (port.GaveUp())
        return UploadOutcome::Lost;
    if (observer.StopRequested()) {
        // What was stored is the file cut short by the stop, or not meant to stay.
        Exchange(port, {RemovalCommand(localPath, target), kRemovalTimeoutMs, kBaseReplyBytes});
        return UploadOutcome::Stopped;
    }
    return complete ? UploadOutcome::Sent : UploadOutcome::Cut;
}

}  // namespace

UploadTarget UploadTargetFor(bool firmwareImage, bool radioFile) {
    if (firmwareImage)
        return UploadTarget::FirmwareImage;
    return radioFile ? UploadTarget::RadioFile : UploadTarget::PythonProgram;
}

std::string RemotePath(std::string_view localPath, UploadTarget target) {
    switch (target) {
        case UploadTarget::FirmwareImage:
            return "/fw/updatefw.dwl";
        case UploadTarget::RadioFile:
            return "/WEB/mesh/" + std::string(LocalFileName(localPath));
        case UploadTarget::PythonProgram:
            break;
    }
    return "/WEB/python/" + std::string(LocalFileName(localPath));
}

std::string RemovalCommand(std::string_view localPath, UploadTarget target) {
    const std::string_view name = LocalFileName(localPath);
    switch (target) {
        case UploadTarget::FirmwareImage:
            return InlineCommand(kDeleteFirmwareImage);
        case UploadTarget::RadioFile:
            return InlineCommand(FillFileName(kDeleteRadioFirmwareFile, name));
        case UploadTarget::PythonProgram:
            break;
    }
    return InlineCommand(FillFileName(kDeletePythonFile, name));
}

int ClosingTimeoutMs(std::uint64_t length) {
    return static_cast<int>((length / 20000 + 1) * 1000);
}

int UploadProgressRange(std::uint64_t length) {
    return static_cast<int>(std::min<std::uint64_t>(length, kMaxUploadBytes) / kUploadBlockBytes +
                            5);
}

UploadFileCheck CheckUploadFile(const std::string& localPath, UploadTarget target) {
    if (target != UploadTarget::FirmwareImage && FileNameProblem(LocalFileName(localPath)))
        return UploadFileCheck::UnsafeName;
    const RegularFileOpen file = OpenRegularFile(localPath);
    if (file.notRegular)
        return UploadFileCheck::NotRegular;
    struct stat status {};
    if (file.fd.Get() < 0 || ::fstat(file.fd.Get(), &status) != 0)
        return UploadFileCheck::CannotOpen;
    return static_cast<std::uintmax_t>(status.st_size) > kMaxUploadBytes ? UploadFileCheck::TooLarge
                                                                         : UploadFileCheck::Ok;
}

bool SendFileData(std::string_view data, const RawWrite& write, Clock& clock,
                  UploadObserver& observer) {
    std::size_t sent = 0;
    std::size_t blockEnd = std::min(data.size(), kUploadBlockBytes);
    int idleWrites = 0;
    observer.BytesSent(0, data.size());
    do {
        const std::size_t size = blockEnd - sent;
        const long taken = write(data.data() + sent, size);
        if (taken < 0)
            return false;
        observer.StepProgress();
        if (!observer.StopRequested())
            clock.SleepMs(kBlockPauseMs);
        sent += std::min(static_cast<std::size_t>(taken), size);
        observer.BytesSent(sent, data.size());
        idleWrites = (taken == 0 && size > 0) ? idleWrites + 1 : 0;
        if (idleWrites >= kMaxIdleWrites)
            return false;
        if (sent == blockEnd)
            blockEnd = std::min(data.size(), blockEnd + kUploadBlockBytes);
    } while (sent < data.size());
    return true;
}

UploadOutcome RunUpload(ModemPort& port, Clock& clock, const std::string& localPath,
                        UploadTarget target, UploadObserver& observer) {
    if (CheckUploadFile(localPath, target) != UploadFileCheck::Ok)
        return UploadOutcome::NotSent;
    const std::optional<std::string> data = ReadWholeFile(localPath);
    if (!data)
        return UploadOutcome::NotSent;

    port.ClearGiveUp();
    port.SetWaitListener(&observer);
    const UploadOutcome outcome = SendAnnounced(port, clock, *data, localPath, target, observer);
    port.SetWaitListener(nullptr);
    port.ClearGiveUp();
    return outcome;
}
