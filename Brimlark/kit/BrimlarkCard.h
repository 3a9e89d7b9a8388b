#pragma once

#include "Brimlark/kit/BrimlarkCardModifier.h"

#include <QImage>
#include <QWidget>

#include <optional>

// A card around one content widget: the content sits inside the padding, the card is drawn
// behind it and its shadows spill outside the widget without taking layout space.
class BrimlarkCard : public QWidget {
    Q_OBJECT
public:
    BrimlarkCard(QWidget* content, const BrimlarkCardModifier& modifier, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Draws the sheen, and the hairline with the outline, at the card's size into the images.
    void drawEdges();

    BrimlarkCardModifier m_modifier;
    // The card's edges, drawn once for its size and pixel ratio: stroking the rounded outline costs
    // far more than the fill, and a card is repainted whenever anything over it changes. Only at a
    // whole pixel ratio: at a fractional one the card does not start on a whole pixel.
    QImage m_sheen;
    QImage m_lines;
};

// Puts `content` on a card (the view extension that the application batch and the file shelf use).
// The caller decides every value; there are no defaults.
BrimlarkCard* brimlarkCard(QWidget* content, const std::optional<QColor>& accent, qreal padding,
                           bool usesMaterial, bool elevated, QWidget* parent = nullptr);
