#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

// A label in the theme's look whose text is always plain: texts here often come from outside
// (events, files), and must never be read as rich text.
QLabel* plainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent);
