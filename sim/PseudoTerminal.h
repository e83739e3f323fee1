#pragma once

#include <string>

#include "FileDescriptor.h"

// The gateway's serial port: a pseudo-terminal whose slave side is published under a fixed
// path (a symbolic link), so that a client finds it again after the port has gone away.
class PseudoTerminal {
public:
    explicit PseudoTerminal(std::string linkPath);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Open(std::string* error);
    // Removes the link and closes both sides: clients see the device go away.
    void Close();
    bool IsOpen() const { return master_.IsOpen(); }
    int MasterFd() const { return master_.Get(); }
    // Gives the client up to `maxMs` to read what the gateway wrote before the port goes away.
    void WaitUntilRead(int maxMs) const;

private:
    bool Publish(const std::string& slaveName, std::string* error);

    std::string linkPath_;
    FileDescriptor master_;
    // Held open so that the master does not see a hang-up while no client has the port open.
    FileDescriptor slave_;
};
