#pragma once

#include <QImage>
#include <QPainterPath>
#include <QWidget>

class QVariantAnimation;

// What the media pane's artwork square shows without an artwork: a dark disc on a soft gradient
// with an orange hub. While the track plays the disc turns once every five seconds; when playing
// stops, the turn under way is finished and the disc then stays still.
class BasicArtworkPlaceholder : public QWidget {
    Q_OBJECT
public:
    static constexpr int side = 74;
    static constexpr qreal cornerRadius = 28;

    explicit BasicArtworkPlaceholder(bool isPlaying, QWidget* parent = nullptr);

    // A track that starts playing turns the disc from 0.
    void setPlaying(bool playing);
    // The disc's turn in degrees, 0 to 360.
    double rotation() const { return m_rotation; }
    bool isTurning() const;

    // The rounded square the artwork and this placeholder are cut to, in a `side` square.
    static QPainterPath squarePath(const QRectF& rect);
    // Strokes the square's 1-point outline.
    static void paintOutline(QPainter& painter, const QRectF& rect);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startTurning();
    // The square, the disc at `m_rotation`, the hub and the outline.
    void paintSquare(QPainter& painter) const;

    bool m_isPlaying;
    double m_rotation = 0;
    QVariantAnimation* m_turn;
    // The disc at rest, drawn once for the pixel ratio: the pane under a changing panel repaints
    // it often, and its gradients and clip are the dearest part of that.
    QImage m_resting;
};
