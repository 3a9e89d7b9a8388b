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

void MirrorPopoverContent::resizeEvent(QResizeEvent*) {
    m_preview->setGeometry(rect().adjusted(pictureInset, pictureInset, -pictureInset, -pictureInset));
    m_stop->move(width() - buttonInset - m_stop->width(), buttonInset);
}

void MirrorPopoverContent::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    // A thin dark material, then black at half strength over it.
    painter.setBrush(QColor(28, 28, 32, 150));
    painter.drawRoundedRect(card, cornerRadius, cornerRadius);
    painter.setBrush(QColor(0, 0, 0, 128));
    painter.drawRoundedRect(card, cornerRadius, cornerRadius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
    painter.drawRoundedRect(card, cornerRadius, cornerRadius);
}
