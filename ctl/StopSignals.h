#pragma once

// SIGINT and SIGTERM for r7ctl. Outside an upload the process ends at once,
// after giving up its hold on the port (SerialDevice::ReleaseAllHeld), with
// status 128 + the signal (130, 143). During an upload (while a
// StopDeferral lives) the signal is only noted: the upload asks for it
// (StopSignalReceived) and brings the gateway back to command mode first, so
// that the next run's commands are not counted as file data; the command then
// returns and RunCtl ends with the same status. A second signal ends at once.

// Installs the handlers (main only: tests run r7ctl in their own process).
void InstallStopHandlers();

// The stop signal received, 0 for none.
int StopSignalReceived();

// The exit status for a stop signal: 128 + the signal.
int StopStatus(int signal);

// While one lives, a stop signal is noted instead of ending the process.
class StopDeferral {
public:
    StopDeferral();
    ~StopDeferral();
    StopDeferral(const StopDeferral&) = delete;
    StopDeferral& operator=(const StopDeferral&) = delete;
};
