#pragma once

#include <QColor>
#include <QPointer>
#include <QVideoFrame>
#include <QWidget>

class QVideoSink;

// The live camera picture: each frame of the sink fills the view, cropped to its shape (never
// letterboxed) and flipped left to right, as a mirror shows a face, inside a rounded rectangle of
// radius 10. Without a sink (no usable camera) the rectangle stays empty and says so. Any number of
// previews can show one sink at once.
class CameraPreview : public QWidget {
    Q_OBJECT
public:
    explicit CameraPreview(QVideoSink* sink, QWidget* parent = nullptr);

    // A 1-point outline over the picture's edge; invalid (the default) draws none.
    void setOutline(const QColor& color);

    // The part of a `source`-sized picture that fills a `target`-sized view: centred, with the
    // target's aspect ratio.
    static QRectF croppedSource(const QSizeF& source, const QSizeF& target);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawFrame(QPainter& painter, const QPainterPath& shape);

    QPointer<QVideoSink> m_sink;
    QVideoFrame m_frame;
    QColor m_outline;
};
