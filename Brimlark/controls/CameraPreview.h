#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class Camera;

// The live camera picture: each frame of the camera fills the view, cropped to its shape (never
// letterboxed) and flipped left to right, as a mirror shows a face, inside a rounded rectangle of
// radius 10. Without a camera (none usable) the rectangle stays empty and says so. Any number of
// previews can show one camera at once.
class CameraPreview : public QWidget {
    Q_OBJECT
public:
    explicit CameraPreview(Camera* camera, QWidget* parent = nullptr);

    // What the view says without a camera.
    static QString noCameraText() { return QStringLiteral("no camera found"); }

    // A 1-point outline over the picture's edge; invalid (the default) draws none.
    void setOutline(const QColor& color);

    // The part of a `source`-sized picture that fills a `target`-sized view: centred, with the
    // target's aspect ratio.
    static QRectF croppedSource(const QSizeF& source, const QSizeF& target);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawFrame(QPainter& painter, const QPainterPath& shape);

    bool m_hasCamera;
    QImage m_frame;
    QColor m_outline;
};
