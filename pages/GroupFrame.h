#pragma once

#include <QGroupBox>

// A titled group frame around some of a page's controls. The frame and its
// title can be hidden while the controls inside stay visible: a page shows a
// frame only for the settings that own it, yet still shows the other settings
// the gateway reported. With neither frame nor any shown control, the frame
// takes no room.
class GroupFrame : public QGroupBox {
    Q_OBJECT

public:
    explicit GroupFrame(const QString& title, QWidget* parent = nullptr);

    // Call after the controls inside have been shown or hidden.
    void ShowFrame(bool shown);
    bool FrameShown() const { return frameShown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool HasShownControl() const;

    bool frameShown_ = true;
};
