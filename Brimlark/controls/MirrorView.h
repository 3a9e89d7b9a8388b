#pragma once

#include <QPointer>
#include <QWidget>

class CameraMirrorService;
class CameraPreview;

// The mirror inside the open panel: while the mirror is on, its picture in a 180 × 110 rounded
// frame outlined in green, centred in whatever height the panel gives it; nothing while it is off.
// Without a camera the frame is one line high and says so.
class MirrorView : public QWidget {
    Q_OBJECT
public:
    explicit MirrorView(CameraMirrorService& mirror, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The picture while the mirror is on, else null.
    CameraPreview* preview() const { return m_preview; }

private:
    void follow(bool active);

    CameraMirrorService& m_mirror;
    QPointer<CameraPreview> m_preview;
};
