#pragma once

#include <QObject>

// The desktop's accessibility settings that the program's animations honour.
class Accessibility : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Accessibility() override = default;

    // True when the user asked the desktop to reduce motion.
    virtual bool reduceMotion() const = 0;

signals:
    void reduceMotionChanged(bool reduceMotion);
};
