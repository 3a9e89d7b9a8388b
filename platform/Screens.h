#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

// One display as the notch panel sees it. Geometry is in logical pixels (points) of the
// virtual desktop, origin at the top left.
struct ScreenDescription {
    QString name;
    QRect frame;
    // Height of the camera housing at the top of the screen; 0 for a screen without a notch.
    double topSafeAreaInset = 0;
    // Widths of the usable strips left and right of the notch; 0 when absent.
    double auxiliaryTopLeftWidth = 0;
    double auxiliaryTopRightWidth = 0;

    bool operator==(const ScreenDescription& other) const {
        return name == other.name && frame == other.frame && topSafeAreaInset == other.topSafeAreaInset &&
               auxiliaryTopLeftWidth == other.auxiliaryTopLeftWidth &&
               auxiliaryTopRightWidth == other.auxiliaryTopRightWidth;
    }
    bool operator!=(const ScreenDescription& other) const { return !(*this == other); }
};

// The displays of the machine. Implementations: Qt's screens on Linux, a scriptable fake in tests.
class Screens : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Screens() override = default;

    // Every screen, in the platform's order; may be empty.
    virtual QList<ScreenDescription> screens() const = 0;
    // The screen holding the active window or primary role; empty when there is no screen.
    virtual std::optional<ScreenDescription> mainScreen() const = 0;
    // The screen with the greatest colour depth; empty when there is no screen.
    virtual std::optional<ScreenDescription> deepestScreen() const = 0;

signals:
    // A screen was added, removed or changed its geometry or role.
    void screensChanged();
};
