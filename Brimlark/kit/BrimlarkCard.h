#pragma once

#include "Brimlark/kit/BrimlarkCardModifier.h"

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
    BrimlarkCardModifier m_modifier;
};

// Puts `content` on a card (the view extension that the application batch and the file shelf use).
// The caller decides every value; there are no defaults.
BrimlarkCard* brimlarkCard(QWidget* content, const std::optional<QColor>& accent, qreal padding,
                           bool usesMaterial, bool elevated, QWidget* parent = nullptr);
