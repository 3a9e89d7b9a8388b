#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <optional>

// Draws the tray label: the notch symbol and, when a colour is given, a small status dot at its top
// right corner. The dot follows the most urgent hook event, else a running countdown.
class StatusObserver {
public:
    static const QString symbolName;

    // The dot's colour: the active event's status colour, else the accent while a countdown runs,
    // else none.
    static std::optional<QColor> dotColorFor(const std::optional<HookEvent>& activeEvent, bool timerRunning);
    // The dot pulses while the active event asks or works.
    static bool isPulsingFor(const std::optional<HookEvent>& activeEvent);

    // The dot's colour; none draws only the symbol.
    const std::optional<QColor>& dotColor() const { return m_dotColor; }
    void setDotColor(const std::optional<QColor>& color) { m_dotColor = color; }
    // How the dot is drawn at this moment of its pulse: opacity and scale about its centre.
    qreal dotOpacity() const { return m_dotOpacity; }
    qreal dotScale() const { return m_dotScale; }
    void setDotLook(qreal opacity, qreal scale) {
        m_dotOpacity = opacity;
        m_dotScale = scale;
    }

    // The label `size` points square: a light symbol with a soft dark rim, readable on a light
    // tray and on a dark one, and the dot.
    QPixmap render(int size, qreal devicePixelRatio = 1.0) const;
    // The label as an icon of one picture, `size` points square.
    QIcon icon(int size = 22, qreal devicePixelRatio = 1.0) const;

private:
    std::optional<QColor> m_dotColor;
    qreal m_dotOpacity = 1.0;
    qreal m_dotScale = 1.0;
};
