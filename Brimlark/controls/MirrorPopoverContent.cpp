#include "Brimlark/controls/MirrorPopoverContent.h"

#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/CameraPreview.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PanelIconButton.h"

#include <QPainter>

namespace {
constexpr double cornerRadius = 14;
constexpr int pictureInset = 6;
constexpr int buttonInset = 10;
// Lower than this, the content is a strip: the message and the button in one row.
constexpr int stripHeightBelow = 60;
} // namespace

MirrorPopoverContent::MirrorPopoverContent(CameraMirrorService& mirror, QWidget* parent)
    : QWidget(parent), m_mirror(mirror) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_preview = new CameraPreview(mirror.camera(), this);
    auto* stop = new PanelIconButton(QStringLiteral("xmark"), QStringLiteral("Stop mirror"), 18, this);
    stop->setSymbolColor(QColor(255, 255, 255, 235));
    connect(stop, &QAbstractButton::clicked, this, [this] { m_mirror.stop(); });
    // Over the picture.
    stop->raise();
    m_stop = stop;
}

bool MirrorPopoverContent::isStrip() const {
    return height() < stripHeightBelow;
}

void MirrorPopoverContent::resizeEvent(QResizeEvent*) {
    if (isStrip()) {
        // The message left of the button, both centred on the strip.
        const int inset = (height() - m_stop->height()) / 2;
        m_stop->move(width() - inset - m_stop->width(), inset);
        m_preview->hide();
        return;
    }
    m_preview->show();
    m_preview->setGeometry(rect().adjusted(pictureInset, pictureInset, -pictureInset, -pictureInset));
    m_stop->move(width() - buttonInset - m_stop->width(), buttonInset);
}

void MirrorPopoverContent::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = isStrip() ? card.height() / 2 : cornerRadius;
    painter.setPen(Qt::NoPen);
    // A thin dark material, then black at half strength over it.
    painter.setBrush(QColor(28, 28, 32, 150));
    painter.drawRoundedRect(card, radius, radius);
    painter.setBrush(QColor(0, 0, 0, 128));
    painter.drawRoundedRect(card, radius, radius);
    // Two outlines: the edge light added to what lies under it, then the stroke over it.
    painter.setBrush(Qt::NoBrush);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setPen(QPen(QBrush(BrimlarkTheme::edgeGradient()), 1));
    painter.drawRoundedRect(card, radius, radius);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
    painter.drawRoundedRect(card, radius, radius);
    if (isStrip()) {
        painter.setFont(BrimlarkTheme::monoMedium11());
        painter.setPen(BrimlarkTheme::textSecondary());
        painter.drawText(QRectF(height() / 2.0, 0, m_stop->x() - height() / 2.0, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         CameraPreview::noCameraText());
    }
}
