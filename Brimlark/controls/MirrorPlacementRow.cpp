#include "Brimlark/controls/MirrorPlacementRow.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

MirrorPlacementRow::MirrorPlacementRow(CameraMirrorService::Placement placement, QWidget* parent)
    : QAbstractButton(parent), m_placement(placement) {
    setText(title(placement).toLower());
    setAccessibleName(text());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    m_radio = new QLabel(this);
    row->addWidget(m_radio, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(2);
    QLabel* heading = plainLabel(text(), BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this);
    QLabel* description =
        plainLabel(subtitle(placement), BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), this);
    description->setWordWrap(true);
    texts->addWidget(heading);
    texts->addWidget(description);
    row->addLayout(texts, 1);
    showRadio();
    BrimlarkButtonStyle(0.98, 0.92).apply(this);
}

QString MirrorPlacementRow::title(CameraMirrorService::Placement placement) {
    switch (placement) {
    case CameraMirrorService::Placement::inline_:
        return QStringLiteral("Inline (in notch panel)");
    case CameraMirrorService::Placement::popover:
        return QStringLiteral("Popover (under notch)");
    case CameraMirrorService::Placement::detached:
        break;
    }
    return QStringLiteral("Detached");
}

QString MirrorPlacementRow::subtitle(CameraMirrorService::Placement placement) {
    switch (placement) {
    case CameraMirrorService::Placement::inline_:
        return QStringLiteral("live preview rendered inside basic mode.");
    case CameraMirrorService::Placement::popover:
        return QStringLiteral("floating preview drops down from under the notch.");
    case CameraMirrorService::Placement::detached:
        break;
    }
    return QStringLiteral("resizable standalone window you can park anywhere.");
}

void MirrorPlacementRow::setSelected(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    showRadio();
    update();
}

void MirrorPlacementRow::showRadio() {
    const int size = QFontMetrics(BrimlarkTheme::monoSemibold11()).height();
    m_radio->setPixmap(
        symbolPixmap(m_selected ? QStringLiteral("largecircle.fill.circle") : QStringLiteral("circle"),
                     m_selected ? BrimlarkTheme::warning() : BrimlarkTheme::textTertiary(), QSize(size, size),
                     devicePixelRatioF()));
}

void MirrorPlacementRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    painter.fillPath(card, BrimlarkTheme::surface());
    QColor rim = BrimlarkTheme::warning();
    rim.setAlphaF(0.5f);
    painter.setPen(QPen(m_selected ? rim : BrimlarkTheme::stroke(), 1.0));
    painter.drawPath(card);
}
