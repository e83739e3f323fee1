#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "FileStore.h"

// One file upload as the gateway follows it: the announcing steps 17, 3, 16, 9 and 5 in this
// order, the raw data, then 18, which stores the file. A step out of order is refused and
// forgets the upload, so a client that skips or repeats a step finds out.
class UploadSession {
public:
    // Each step returns false when the gateway refuses it (answered with ERROR).
    bool Announce(const std::string& length);       // 17,L
    bool ConfirmLength(const std::string& length);  // 3,L
    bool SetQuotedPath(const std::string& path);    // 16,"path"
    bool CheckPath(const std::string& path);        // 9,path
    bool StartData();                               // 5
    std::size_t Length() const { return length_; }
    void AddData(std::string_view bytes);
    // The data stopped before the announced length (client gave up or the line broke).
    void Cut();
    bool Finish(const std::string& length, FileStore& files);  // 18,L
    void Reset();

private:
    enum class Step { Idle, Announced, Confirmed, Named, Checked, Receiving, Received };
    bool Advance(Step expected, Step next);

    Step step_ = Step::Idle;
    std::size_t length_ = 0;
    std::string path_;
    std::string data_;
};
