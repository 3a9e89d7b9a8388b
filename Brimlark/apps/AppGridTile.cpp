#include "Brimlark/apps/AppGridTile.h"

#include "Brimlark/apps/AppBatchButton.h"
#include "Brimlark/apps/AppIcon.h"
#include "Brimlark/apps/AppLauncherService.h"
#include "Brimlark/kit/BrimlarkAnimation.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

constexpr int padding = 8;
constexpr int iconSide = 36;
constexpr int spacing = 4;
constexpr qreal cornerRadius = 20;
constexpr qreal hoverScale = 1.03;
// The card is drawn this far inside the tile, so the hover scale stays within it.
constexpr qreal inset = 2;

// Up to two lines of `text`, the second elided, each centred in `width`.
QStringList twoLines(const QString& text, const QFont& font, qreal width) {
    QStringList lines;
    QTextLayout layout(text, font);
    // A word longer than the tile breaks where it must rather than running over the edges.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (int n = 0; n < 2; ++n) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        lines.append(text.mid(line.textStart(), n == 1 ? -1 : line.textLength()));
    }
    layout.endLayout();
    if (lines.size() == 2)
        lines[1] = QFontMetricsF(font).elidedText(lines[1].trimmed(), Qt::ElideRight, width);
    if (!lines.isEmpty())
        lines[0] = lines[0].trimmed();
    return lines;
}

} // namespace

AppGridTile::AppGridTile(AppLauncherService& service, const AppEntry& entry, QWidget* parent)
    : QWidget(parent), m_service(service), m_entry(entry) {
    setAttribute(Qt::WA_Hover);
    setAccessibleName(entry.displayName);
    setToolTip(entry.displayName);
    m_icon = appIconPixmap(service.iconName(entry), iconSide, 22, devicePixelRatioF());

    m_remove = new AppBatchButton(
        AppBatchButton::Look::symbol, QString(), QStringLiteral("xmark.circle.fill"),
        BrimlarkTheme::textTertiary(), BrimlarkTheme::monoMedium11(),
        QStringLiteral("Remove ") + entry.displayName + QStringLiteral(" from batch"), this);
    m_remove->move(spacing + static_cast<int>(inset), spacing + static_cast<int>(inset));
    m_remove->resize(m_remove->sizeHint());
    m_remove->setContentOpacity(0.0);
    m_remove->hide();
    const QUuid id = entry.id;
    // The tile goes with the batch's change: the removal runs once the click is over.
    connect(
        m_remove, &QAbstractButton::clicked, &service, [&service, id] { service.remove(id); },
        Qt::QueuedConnection);
}

QColor AppGridTile::resultColor(const AppLaunchResult& result) {
    switch (result.kind) {
    case AppLaunchResult::Kind::launched:
        return BrimlarkTheme::success();
    case AppLaunchResult::Kind::missing:
        return BrimlarkTheme::warning();
    case AppLaunchResult::Kind::failed:
        break;
    }
    return BrimlarkTheme::danger();
}

QSize AppGridTile::sizeHint() const {
    const QFontMetricsF metrics(BrimlarkTheme::monoRegular12());
    const int height =
        padding * 2 + iconSide + spacing + static_cast<int>(std::ceil(metrics.lineSpacing() * 2));
    return QSize(88, std::max(minimumTileHeight, height) + static_cast<int>(inset) * 2);
}

void AppGridTile::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setHovering(true);
}

void AppGridTile::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHovering(false);
}

void AppGridTile::setHovering(bool hovering) {
    if (m_hovering == hovering)
        return;
    m_hovering = hovering;

    if (m_lookAnimation)
        m_lookAnimation->stop();
    const BrimlarkAnimation spring = BrimlarkAnimation::spring(0.28, 0.78);
    auto* look = new QVariantAnimation(this);
    look->setStartValue(m_hoverProgress);
    look->setEndValue(hovering ? 1.0 : 0.0);
    look->setDuration(spring.durationMs());
    look->setEasingCurve(spring.easingCurve());
    connect(look, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverProgress = value.toDouble();
        update();
    });
    m_lookAnimation = look;
    look->start(QAbstractAnimation::DeleteWhenStopped);

    // The remove button fades with the look; it takes clicks only while shown.
    if (m_removeFade)
        m_removeFade->stop();
    if (hovering) {
        m_remove->show();
        m_remove->raise();
    }
    const BrimlarkAnimation& ease = BrimlarkTheme::quickEase();
    auto* fade = new QVariantAnimation(this);
    fade->setStartValue(m_remove->contentOpacity());
    fade->setEndValue(hovering ? 1.0 : 0.0);
    fade->setDuration(ease.durationMs());
    fade->setEasingCurve(ease.easingCurve());
    connect(fade, &QVariantAnimation::valueChanged, m_remove,
            [this](const QVariant& value) { m_remove->setContentOpacity(value.toDouble()); });
    connect(fade, &QVariantAnimation::finished, m_remove, [this] {
        if (!m_hovering)
            m_remove->hide();
    });
    m_removeFade = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void AppGridTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const qreal scale = 1.0 + (hoverScale - 1.0) * m_hoverProgress;
    painter.translate(card.center());
    painter.scale(scale, scale);
    painter.translate(-card.center());

    QPainterPath shape;
    shape.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(
        shape, ColorBlend::blend(BrimlarkTheme::surface(), BrimlarkTheme::cardFillRaised(), m_hoverProgress));
    painter.setPen(QPen(ColorBlend::blend(BrimlarkTheme::strokeStrong(),
                                          ColorBlend::faded(BrimlarkTheme::warning(), 0.45), m_hoverProgress),
                        1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);

    // Icon and name, centred together in the card.
    const QFont& font = BrimlarkTheme::monoRegular12();
    const QFontMetricsF metrics(font);
    const qreal textWidth = card.width() - padding * 2;
    const QStringList lines = twoLines(m_entry.displayName, font, textWidth);
    const qreal contentHeight =
        iconSide + spacing + metrics.lineSpacing() * std::max<qsizetype>(1, lines.size());
    const qreal top = card.top() + std::max<qreal>(padding, (card.height() - contentHeight) / 2);
    const QRectF icon(card.center().x() - iconSide / 2.0, top, iconSide, iconSide);
    painter.drawPixmap(icon, m_icon, QRectF(m_icon.rect()));

    const auto result = m_service.lastResults().constFind(m_entry.id);
    if (result != m_service.lastResults().constEnd()) {
        const QRectF dot(icon.right() - 8 + 4, icon.top() - 2, 8, 8);
        painter.setBrush(resultColor(*result));
        painter.setPen(QPen(QColor(0, 0, 0, 102), 1));
        painter.drawEllipse(dot);
    }

    painter.setFont(font);
    painter.setPen(BrimlarkTheme::textPrimary());
    qreal y = icon.bottom() + spacing;
    for (const QString& line : lines) {
        painter.drawText(QRectF(card.left() + padding, y, textWidth, metrics.lineSpacing()), Qt::AlignCenter,
                         line);
        y += metrics.lineSpacing();
    }
}
