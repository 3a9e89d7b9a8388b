#include "Brimlark/controls/MirrorPopoverContent.h"

#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PanelIconButton.h"

#include <QPainter>

MirrorPopoverContent::MirrorPopoverContent(CameraMirrorService& mirror, QWidget* parent)
    : QWidget(parent), m_mirror(mirror) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* stop = new PanelIconButton(QStringLiteral("xmark"), QStringLiteral("Stop mirror"), 18, this);
    stop->setSymbolColor(QColor(255, 255, 255, 235));
    connect(stop, &QAbstractButton::clicked, this, [this] { m_mirror.stop(); });
    m_stop = stop;
}

void MirrorPopoverContent::resizeEvent(QResizeEvent*) {
    m_stop->move(width() - 10 - m_stop->width(), 10);
}

void MirrorPopoverContent::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
    painter.setBrush(QColor(0, 0, 0, 200));
    painter.drawRoundedRect(card, 14, 14);
    const QRectF picture = card.adjusted(6, 6, -6, -6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrimlarkTheme::surfaceSunken());
    painter.drawRoundedRect(picture, 10, 10);
    if (m_mirror.hasNoCamera()) {
        painter.setFont(BrimlarkTheme::monoMedium11());
        painter.setPen(BrimlarkTheme::textTertiary());
        painter.drawText(picture, Qt::AlignCenter, QStringLiteral("no camera picture"));
    }
}
