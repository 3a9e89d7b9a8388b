#pragma once

#include <QWidget>

// The last onboarding step: the panel's four default shortcuts drawn as key caps and its four
// pointer and trackpad gestures, each with a line on what it does. Static: it reads no settings,
// so combinations recorded later do not change it.
class ShortcutsStep : public QWidget {
    Q_OBJECT
public:
    explicit ShortcutsStep(QWidget* parent = nullptr);

private:
    QWidget* shortcutCard(const QString& title, QWidget* keys);
    QWidget* gestureCard(const QString& symbol, const QColor& tint, const QString& gesture,
                         const QString& explanation);
};
