#pragma once

#include "platform/GlobalInput.h"

// Global input a test drives by hand: set the pointer and emit the signals directly.
class FakeGlobalInput final : public GlobalInput {
    Q_OBJECT
public:
    using GlobalInput::GlobalInput;

    bool start() override {
        started = startSucceeds;
        return startSucceeds;
    }
    void stop() override { started = false; }
    QPoint pointerPosition() const override { return pointer; }

    // Moves the pointer and reports the move.
    void movePointer(const QPoint& position) {
        pointer = position;
        Q_EMIT pointerMoved(position);
    }

    bool startSucceeds = true;
    bool started = false;
    QPoint pointer;
};
