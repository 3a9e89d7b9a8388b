#include "Brimlark/pages/BasicArtworkPlaceholder.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/KeptDrawing.h"

#include <QPainter>
#include <QRadialGradient>
#include <QVariantAnimation>

#include <algorithm>

BasicArtworkPlaceholder::BasicArtworkPlaceholder(bool isPlaying, QWidget* parent)
    : QWidget(parent), m_isPlaying(isPlaying), m_turn(new QVariantAnimation(this)) {
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_turn->setEndValue(360.0);
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_rotation = value.toDouble();
        update();
    });
    // Each turn runs by itself and ends where it began; the next starts only while the track
    // plays, so a turn under way when playing stops is finished and the disc then rests.
    connect(m_turn, &QVariantAnimation::finished, this, [this] {
        m_rotation = 0;
        update();
        if (m_isPlaying && isVisible())
            startTurning();
    });
}

QSize BasicArtworkPlaceholder::sizeHint() const {
    return {side, side};
}

bool BasicArtworkPlaceholder::isTurning() const {
    return m_turn->state() == QAbstractAnimation::Running;
}

void BasicArtworkPlaceholder::setPlaying(bool playing) {
    if (playing == m_isPlaying)
        return;
    m_isPlaying = playing;
    if (!playing)
        return;
    m_turn->stop();
    m_rotation = 0;
    update();
    if (isVisible())
        startTurning();
}

void BasicArtworkPlaceholder::startTurning() {
    // From where the disc stands: a turn cut short by hiding the pane goes on where it stopped.
    m_turn->setStartValue(m_rotation);
    m_turn->setDuration(std::max(1, int(5000 * (360.0 - m_rotation) / 360.0)));
    m_turn->start();
}

void BasicArtworkPlaceholder::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_isPlaying && !isTurning())
        startTurning();
}

void BasicArtworkPlaceholder::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Nothing turns off screen.
    m_turn->stop();
    if (!m_isPlaying)
        m_rotation = 0;
}

QPainterPath BasicArtworkPlaceholder::squarePath(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, cornerRadius, cornerRadius);
    return path;
}

void BasicArtworkPlaceholder::paintOutline(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(BrimlarkTheme::strokeStrong(), 1));
    painter.drawPath(squarePath(rect.adjusted(0.5, 0.5, -0.5, -0.5)));
    painter.restore();
}

void BasicArtworkPlaceholder::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    if (m_rotation != 0 || !canKeepDrawing(ratio)) {
        paintSquare(painter);
        return;
    }
    if (refitKeptImage(m_resting, size(), ratio)) {
        QPainter image(&m_resting);
        paintSquare(image);
    }
    painter.drawImage(QPointF(0, 0), m_resting);
}

void BasicArtworkPlaceholder::paintSquare(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = rect();
    painter.setClipPath(squarePath(square));

    QLinearGradient background(square.topLeft(), square.bottomRight());
    background.setColorAt(0, BrimlarkTheme::surface());
    background.setColorAt(1, BrimlarkTheme::surfaceSunken());
    painter.fillRect(square, background);

    const QPointF centre = square.center();
    const QRectF disc = square.adjusted(6, 6, -6, -6);
    painter.save();
    painter.translate(centre);
    painter.rotate(m_rotation);
    painter.translate(-centre);
    // From radius 2 to 24: a faint sheen in the middle fading into the black of the record.
    QRadialGradient grooves(centre, 24);
    const auto white = [](qreal alpha) {
        QColor c(Qt::white);
        c.setAlphaF(float(alpha));
        return c;
    };
    QColor black(Qt::black);
    black.setAlphaF(0.8f);
    grooves.setColorAt(0, white(0.16));
    grooves.setColorAt(2.0 / 24, white(0.16));
    grooves.setColorAt(13.0 / 24, white(0.03));
    grooves.setColorAt(1, black);
    painter.setPen(Qt::NoPen);
    painter.setBrush(grooves);
    painter.drawEllipse(disc);
    painter.restore();

    QColor hub = BrimlarkTheme::warning();
    hub.setAlphaF(0.9f);
    painter.setBrush(hub);
    painter.drawEllipse(centre, 4, 4);

    painter.setClipping(false);
    paintOutline(painter, square);
}
