#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/PortWaitListener.h"

class Clock;
class ModemPort;

// The upload of one local file into the gateway's file system, as the upload
// worker runs it: the announcing "AT&USBINTERFACE" commands 17, 3, 16, 9 and 5,
// the file's bytes raw on the port in paced blocks, then the closing command
// 18. Plain C++; the "Uploading..." dialog (UploadDialog) runs RunUpload on its
// worker thread, tests and other front ends run it directly.
//
// The worker reports nothing about success: callers establish it afterwards by
// asking the gateway for the stored file's digest (RunVerifiedUpload).

// Where a file goes on the gateway.
enum class UploadTarget {
    PythonProgram,  // "/WEB/python/" + local file name
    RadioFile,      // "/WEB/mesh/" + local file name
    FirmwareImage   // "/fw/updatefw.dwl", whatever the local name
};

// The two flags the pages pass: the firmware image flag wins over the radio one.
UploadTarget UploadTargetFor(bool firmwareImage, bool radioFile);

// The destination path on the gateway for a local path.
std::string RemotePath(std::string_view localPath, UploadTarget target);

// The inline request that removes the uploaded file from the gateway.
std::string RemovalCommand(std::string_view localPath, UploadTarget target);

// Files above this size are refused before anything is sent: the whole file is
// held in memory and its length travels in a 32-bit field.
inline constexpr std::uint64_t kMaxUploadBytes = 64ull * 1024 * 1024;
// Data goes in blocks of at most this size with a pause after each write,
// which keeps the rate below what the gateway stores.
inline constexpr std::size_t kUploadBlockBytes = 1024;
inline constexpr std::uint32_t kBlockPauseMs = 50;
// The data phase ends after this many writes in a row that took nothing.
inline constexpr int kMaxIdleWrites = 6;

// The closing command's receive time-out: one second, plus one for every
// 20000 bytes, for the gateway to store a large file.
int ClosingTimeoutMs(std::uint64_t length);

// The progress bar's upper bound for a file of that length (one step per block
// written, plus headroom).
int UploadProgressRange(std::uint64_t length);

// Whether a local file can be uploaded at all, checked before anything is sent.
enum class UploadFileCheck {
    Ok,
    CannotOpen,  // missing or unreadable
    NotRegular,  // a named pipe, a device or a folder: opened without waiting, and refused
    TooLarge,    // over kMaxUploadBytes
    UnsafeName   // the local name cannot travel in a command (FileNameProblem)
};
UploadFileCheck CheckUploadFile(const std::string& localPath, UploadTarget target);

// What the worker tells whoever shows its progress, and asks of them. Called
// on the worker thread. While the link waits for the port to come back
// (WaitingForPort), the observer may end the wait with ModemPort::CancelWait.
class UploadObserver : public PortWaitListener {
public:
    // Range 0..maximum, position 0, step 1; set once the announcing steps passed.
    virtual void SetProgressRange(int maximum) = 0;
    // After every write call of the data phase that did not fail.
    virtual void StepProgress() = 0;
    // Bytes of the file taken by the port so far, of the whole length: once
    // before the first write, then after every write call that did not fail.
    virtual void BytesSent(std::uint64_t, std::uint64_t) {}
    void WaitingForPort(bool) override {}
    // True just before the data command is sent, false once the gateway is
    // counting no more file data (every byte sent, or the data phase ended):
    // in between, an upload that simply stopped would leave the gateway
    // taking its next commands as file data.
    virtual void DataPhase(bool) {}
    // Polled between steps and blocks: true once the upload should stop (the
    // program was asked to end).
    virtual bool StopRequested() { return false; }
};

// How an upload ended. Callers in the program do not act on it (the digest
// check decides); tests and benchmarks do.
enum class UploadOutcome {
    NotSent,  // the file failed CheckUploadFile or could not be read: nothing sent
    Refused,  // a step 1 to 5 answered ERROR: nothing further sent
    Cut,      // the data phase ended early; the closing command was still sent
    Sent,     // every byte written, closing command sent
    Lost,     // the port was given up (gone for good, the wait cancelled, or the
              // gateway stopped taking data): nothing further was sent
    Stopped   // stopped on request: the announced length was completed so that
              // the gateway takes commands again, and the stored file removed
};

// One write call straight to the port: bytes taken, or -1 when it failed.
using RawWrite = std::function<long(const char* data, std::size_t size)>;

// The data phase: writes `data` in blocks of at most kUploadBlockBytes, one
// write call each followed by a kBlockPauseMs pause, without reading anything.
// A write that takes only part of a block is followed by the rest of that
// block (never the block again from its start). Ends early when a write fails
// or kMaxIdleWrites writes in a row take nothing. An empty file makes one
// zero-byte write. Once the observer asks to stop, the rest goes without
// pauses: the gateway counts the announced length as file data before it
// takes commands again. True when every byte was taken.
bool SendFileData(std::string_view data, const RawWrite& write, Clock& clock,
                  UploadObserver& observer);

// The whole upload over the port (steps, data, closing command). The port must
// be open and used by nobody else meanwhile. Once the port is given up, the
// upload ends at once (Lost) instead of waiting for it again at every step.
UploadOutcome RunUpload(ModemPort& port, Clock& clock, const std::string& localPath,
                        UploadTarget target, UploadObserver& observer);
