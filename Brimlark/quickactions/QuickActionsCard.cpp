#include "Brimlark/quickactions/QuickActionsCard.h"

#include "Brimlark/kit/AccessibleCheckBox.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/quickactions/QuickActionLook.h"
#include "Brimlark/quickactions/QuickActionsKnob.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
constexpr qreal cornerRadius = 20;
// A 15-point semibold symbol in its 18-point-wide frame.
constexpr int symbolSide = 16;

QString subtitleFor(QuickAction::Kind kind, bool shown) {
    // Basic mode never shows the focus button, whatever its flag says.
    if (kind == QuickAction::Kind::focus)
        return QStringLiteral("never shown in basic mode.");
    return shown ? QStringLiteral("visible in basic mode.") : QStringLiteral("hidden from basic mode.");
}
} // namespace

QuickActionsCard::QuickActionsCard(QuickAction action, QWidget* parent)
    : QAbstractButton(parent), m_kind(action.kind), m_shown(action.enabled) {
    const QString title = QuickActionLook::title(m_kind);
    setText(title);
    setAccessibleName(title);
    setAccessibleDescription(subtitleFor(m_kind, m_shown));
    AccessibleCheckBox::expose(this);
    setChecked(m_shown);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    auto* icon = new QLabel(this);
    // Always the outline mirror here: the page shows the action, not whether it is on.
    icon->setPixmap(symbolPixmap(QuickActionLook::symbol(m_kind), QuickActionLook::color(m_kind),
                                 QSize(symbolSide, symbolSide), devicePixelRatioF()));
    icon->setFixedWidth(18);
    icon->setAlignment(Qt::AlignCenter);
    row->addWidget(icon);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(2);
    texts->addWidget(plainLabel(title, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this));
    m_subtitle = plainLabel(subtitleFor(m_kind, m_shown), BrimlarkTheme::monoRegular12(),
                            BrimlarkTheme::textSecondary(), this);
    texts->addWidget(m_subtitle);
    row->addLayout(texts, 1);
    m_knob = new QuickActionsKnob(m_shown, this);
    row->addWidget(m_knob);
}

QString QuickActionsCard::subtitle() const {
    return m_subtitle->text();
}

void QuickActionsCard::setShown(bool shown, bool animated) {
    m_shown = shown;
    m_subtitle->setText(subtitleFor(m_kind, shown));
    setAccessibleDescription(subtitleFor(m_kind, shown));
    setChecked(shown);
    m_knob->setOn(shown, animated);
}

void QuickActionsCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(card, BrimlarkTheme::surface());
}
