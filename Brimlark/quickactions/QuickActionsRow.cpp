#include "Brimlark/quickactions/QuickActionsRow.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/KeptDrawing.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/quickactions/QuickActionLook.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {
constexpr int spacing = 8;
constexpr int paddingX = 14;
constexpr int paddingY = 10;
constexpr qreal cornerRadius = 32;

// A soft halo of `color` around a disc of `radius`, fading out over `blur` beyond its edge.
void paintHalo(QPainter& painter, const QPointF& centre, qreal radius, qreal blur, QColor color) {
    const qreal outer = radius + blur;
    QRadialGradient gradient(centre, outer);
    QColor clear = color;
    clear.setAlphaF(0);
    gradient.setColorAt(0, clear);
    gradient.setColorAt((radius - blur * 0.5) / outer, clear);
    gradient.setColorAt(radius / outer, color);
    gradient.setColorAt(1, clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(centre, outer, outer);
}
} // namespace

QuickActionsRow::QuickActionsRow(QList<QuickAction> actions, QSet<QuickAction::Kind> activeKinds,
                                 std::function<void(QuickAction::Kind)> onTap, QWidget* parent)
    : QWidget(parent), m_actions(std::move(actions)), m_activeKinds(std::move(activeKinds)),
      m_onTap(std::move(onTap)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(paddingX, paddingY, paddingX, paddingY);
    layout->setSpacing(spacing);
    layout->setAlignment(Qt::AlignCenter);
    rebuild();
}

void QuickActionsRow::setActions(const QList<QuickAction>& actions) {
    const bool sameKinds = [&] {
        if (actions.size() != m_actions.size())
            return false;
        for (qsizetype i = 0; i < actions.size(); ++i) {
            if (actions.at(i).kind != m_actions.at(i).kind)
                return false;
        }
        return true;
    }();
    m_actions = actions;
    if (!sameKinds)
        rebuild();
}

void QuickActionsRow::setActiveKinds(const QSet<QuickAction::Kind>& kinds) {
    m_activeKinds = kinds;
    for (QuickActionButton* button : std::as_const(m_buttons))
        button->setActive(m_activeKinds.contains(button->kind()));
    update();
}

QuickActionButton* QuickActionsRow::button(QuickAction::Kind kind) const {
    for (QuickActionButton* button : m_buttons) {
        if (button->kind() == kind)
            return button;
    }
    return nullptr;
}

void QuickActionsRow::setProblem(QuickAction::Kind kind, const QString& problem) {
    if (problem.isEmpty())
        m_problems.remove(kind);
    else
        m_problems.insert(kind, problem);
    for (QuickActionButton* button : std::as_const(m_buttons))
        if (button->kind() == kind)
            button->setProblem(problem);
}

void QuickActionsRow::setAlternate(QuickAction::Kind kind, const QString& hint,
                                   std::function<void()> action) {
    m_alternates.insert(kind, {hint, std::move(action)});
    for (QuickActionButton* button : std::as_const(m_buttons))
        if (button->kind() == kind)
            button->setAlternate(hint);
}

void QuickActionsRow::rebuild() {
    qDeleteAll(m_buttons);
    m_buttons.clear();
    auto* row = static_cast<QHBoxLayout*>(layout());
    for (const QuickAction& action : std::as_const(m_actions)) {
        auto* button = new QuickActionButton(action.kind, this);
        button->setActive(m_activeKinds.contains(action.kind));
        button->setProblem(m_problems.value(action.kind));
        button->setAlternate(m_alternates.value(action.kind).hint);
        button->installEventFilter(this);
        const QuickAction::Kind kind = action.kind;
        connect(button, &QuickActionButton::alternateTriggered, this, [this, kind] {
            if (const auto found = m_alternates.constFind(kind);
                found != m_alternates.cend() && found->action)
                found->action();
        });
        connect(button, &QAbstractButton::clicked, this, [this, kind] {
            if (kind != QuickAction::Kind::focus && m_onTap)
                m_onTap(kind);
        });
        row->addWidget(button);
        m_buttons.append(button);
    }
    // The pointer's button may be gone; a new one is highlighted when the pointer enters it.
    if (m_hovering && !button(*m_hovering))
        m_hovering.reset();
    for (QuickActionButton* b : std::as_const(m_buttons))
        b->setHovered(m_hovering == b->kind(), false);
    updateGeometry();
    update();
}

void QuickActionsRow::setHovering(std::optional<QuickAction::Kind> kind) {
    if (m_hovering == kind)
        return;
    m_hovering = kind;
    for (QuickActionButton* button : std::as_const(m_buttons))
        button->setHovered(m_hovering == button->kind());
}

bool QuickActionsRow::eventFilter(QObject* watched, QEvent* event) {
    if (auto* button = qobject_cast<QuickActionButton*>(watched); button && m_buttons.contains(button)) {
        if (event->type() == QEvent::Enter) {
            setHovering(button->kind());
        } else if (event->type() == QEvent::Leave) {
            // Leaving a button after the pointer already entered the next one keeps the new one.
            if (m_hovering == button->kind())
                setHovering(std::nullopt);
        }
    }
    return QWidget::eventFilter(watched, event);
}

QSize QuickActionsRow::sizeHint() const {
    const int n = int(m_buttons.size());
    const int width = 2 * paddingX + n * QuickActionButton::diameter + std::max(0, n - 1) * spacing;
    return {width, 2 * paddingY + QuickActionButton::diameter};
}

void QuickActionsRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min(cornerRadius, edge.height() / 2);
    QPainterPath capsule;
    capsule.addRoundedRect(edge, radius, radius);
    auto fill = [&](QPainter& onto) { onto.fillPath(capsule, QColor::fromRgbF(1, 1, 1, 0.03f)); };
    auto outline = [&](QPainter& onto) {
        onto.setBrush(Qt::NoBrush);
        onto.setPen(QPen(BrimlarkTheme::stroke(), 1));
        onto.drawPath(capsule);
    };
    const qreal ratio = devicePixelRatioF();
    const bool kept = canKeepDrawing(ratio);
    if (kept) {
        for (QImage* image : {&m_fill, &m_outline}) {
            if (!refitKeptImage(*image, size(), ratio))
                continue;
            QPainter onto(image);
            onto.setRenderHint(QPainter::Antialiasing);
            image == &m_fill ? fill(onto) : outline(onto);
        }
    }
    if (kept)
        painter.drawImage(QPointF(0, 0), m_fill);
    else
        fill(painter);

    // The glow of each active button: a tight bright halo under a wider faint one.
    for (QuickActionButton* button : std::as_const(m_buttons)) {
        if (!button->glows())
            continue;
        const QPointF centre = QRectF(button->geometry()).center();
        const qreal discRadius = QuickActionButton::diameter / 2.0;
        QColor wide = QuickActionLook::color(button->kind());
        wide.setAlphaF(0.3f * 0.6f);
        paintHalo(painter, centre, discRadius, 9.6, wide);
        QColor tight = QuickActionLook::color(button->kind());
        tight.setAlphaF(0.55f * 0.6f);
        paintHalo(painter, centre, discRadius, 6, tight);
    }

    if (kept)
        painter.drawImage(QPointF(0, 0), m_outline);
    else
        outline(painter);
}
