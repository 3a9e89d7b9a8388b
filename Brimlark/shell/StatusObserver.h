#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <optional>

// Draws the tray label: the notch symbol and, when a colour is given, a small status dot at its top
// right corner.
class StatusObserver {
public:
    static const QString symbolName;

    // The dot's colour; none draws only the symbol.
    const std::optional<QColor>& dotColor() const { return m_dotColor; }
    void setDotColor(const std::optional<QColor>& color) { m_dotColor = color; }

    // The label `size` points square.
    QPixmap render(int size, qreal devicePixelRatio = 1.0) const;
    // The label at the usual tray sizes.
    QIcon icon() const;

private:
    std::optional<QColor> m_dotColor;
};
