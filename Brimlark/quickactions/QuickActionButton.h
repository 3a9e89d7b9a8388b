#pragma once

#include "Brimlark/quickactions/QuickAction.h"

#include <QAbstractButton>
#include <QColor>
#include <QTimer>

class QVariantAnimation;

// One round button of the quick-actions row. An active button (its feature is on) shows a tinted
// disc with a sheen ring and its symbol in the kind's colour; a hovered one a faint disc. The
// focus button is drawn dimmed and takes no clicks. The glow around an active button is drawn by
// the row behind it, as it reaches past the button's frame.
class QuickActionButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int diameter = 36;

    explicit QuickActionButton(QuickAction::Kind kind, QWidget* parent = nullptr);

    QuickAction::Kind kind() const { return m_kind; }
    bool isFocusButton() const { return m_kind == QuickAction::Kind::focus; }
    bool isActive() const { return m_active; }
    // Bounces the symbol when the state changes.
    void setActive(bool active);
    bool isHovered() const { return m_hovered; }
    // Fades the hover disc in or out unless `animated` is false.
    void setHovered(bool hovered, bool animated = true);
    // Whether the row draws a glow behind it: active and not the focus button.
    bool glows() const { return m_active && !isFocusButton(); }
    // Why the last tap did nothing ("no microphone found"), shown in the tooltip after what the
    // state means (QuickActionLook::stateText) and read out as the button's description; empty for
    // none.
    void setProblem(const QString& problem);
    // Arms a second action, reached by a right click or a press held for `holdMs`; `hint` says so
    // in the tooltip. An empty hint disarms it. A held press that ran it does not click.
    static constexpr int holdMs = 500;
    void setAlternate(const QString& hint);
    bool hasAlternate() const { return !m_alternateHint.isEmpty(); }
    // The symbol drawn now (the mirror's follows the active state).
    QString symbolName() const;

    QSize sizeHint() const override;

signals:
    void alternateTriggered();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    // The checked state mirrors `isActive()` for assistive tools; a click never changes it.
    void nextCheckState() override {}
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateToolTip();

    QuickAction::Kind m_kind;
    QString m_problem;
    QString m_alternateHint;
    QTimer m_holdTimer;
    bool m_heldThrough = false;
    QColor m_color;
    bool m_active = false;
    bool m_hovered = false;
    // 0 without hover, 1 fully hovered.
    qreal m_hover = 0.0;
    // 0 to 1 through one bounce of the symbol; 0 at rest.
    qreal m_bounce = 0.0;
    QVariantAnimation* m_hoverAnimation;
    QVariantAnimation* m_bounceAnimation;
};
