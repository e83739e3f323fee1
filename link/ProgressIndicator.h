#pragma once

// A progress bar as the link sees it: an integer position it can read and set.
// Receive only moves the position; whoever owns the bar sets its range.
class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;
    virtual int Position() const = 0;
    virtual void SetPosition(int position) = 0;
};
