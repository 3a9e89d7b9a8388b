#pragma once

#include <QWidget>

class CameraMirrorService;
class CameraPreview;

// The mirror's frame in its popover and its own window: a dark rounded card with the picture inset
// by 6 points and a "Stop mirror" button in the top right corner. It fills whatever holds it.
// Without a camera the picture's place says so; held in a strip (as the popover without a camera
// is), the card is a capsule with the message and the button side by side.
class MirrorPopoverContent : public QWidget {
    Q_OBJECT
public:
    explicit MirrorPopoverContent(CameraMirrorService& mirror, QWidget* parent = nullptr);

    CameraPreview* preview() const { return m_preview; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool isStrip() const;

    CameraMirrorService& m_mirror;
    CameraPreview* m_preview;
    QWidget* m_stop;
};
