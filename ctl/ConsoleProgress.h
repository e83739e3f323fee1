#pragma once

#include <cstdio>
#include <string>

#include "link/ProgressIndicator.h"
#include "link/ScriptWorker.h"

// Progress of a script on standard error: a bar with the current step's text
// when standard error is a terminal, nothing otherwise (logs of scripted runs
// stay clean), nor when the stream is nullptr. Called on the thread that runs
// the script.
class ConsoleProgress : public ScriptObserver, public ProgressIndicator {
public:
    explicit ConsoleProgress(std::FILE* stream);

    void Start(int range);
    void Finish();

    void ShowJobText(const std::string& text) override;
    int Position() const override { return position_; }
    void SetPosition(int position) override;

private:
    void Draw();

    std::FILE* stream_;
    bool enabled_;
    int range_ = 1;
    int position_ = 0;
    std::string text_;
};
