#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "model/SignalSample.h"

// "time,csq,dbm,registration".
std::string SignalCsvHeader();
// One line of the CSV, newline included: ISO 8601 UTC time, the raw CSQ,
// dBm and the registration state in words. A lost sample has empty values and
// "No answer" as its state; a signal without a level has no dBm.
std::string SignalCsvRow(const SignalSample& sample);

// Every sample since the monitor opened, streamed to an unnamed temporary file
// as it comes (memory stays bounded however long the monitor runs), and copied
// to where the user saves it, whole or not at all.
class SignalCsvWriter {
public:
    SignalCsvWriter();

    // False when the temporary file could not be made or written.
    bool Write(const SignalSample& sample);
    // Copies everything written so far to path: 0, or the errno of the failure,
    // which leaves an older file of that name as it was.
    int SaveTo(const std::string& path) const;

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};
