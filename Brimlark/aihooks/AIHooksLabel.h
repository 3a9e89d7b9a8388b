#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

// A label for the hook views. Texts here often come from the tools' events, so they are never
// read as rich text.
inline QLabel* aiHooksLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}
