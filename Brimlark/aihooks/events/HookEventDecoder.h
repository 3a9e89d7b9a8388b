#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Reads the events of a request body or of the inbox file, trying in order: one event in the
// strict form, a list of strict events, then any JSON value: an object with an "event" or
// "payload" object or an "events" list of objects (each merged over the outer object), any other
// object, or a list of objects, each through LooseEventMapping. Pure; safe on any thread.
class HookEventDecoder {
public:
    struct Result {
        // False when the body is not JSON, or JSON that holds no object to map.
        bool ok = false;
        // The events in body order; may be empty (an empty list, an empty "events" list).
        QList<HookEvent> events;
        // Why decoding failed, for "invalid event: " answers and the log.
        QString error;
    };

    // `now` stands in for the time of objects that carry none.
    static Result decode(const QByteArray& body, const QDateTime& now);
};
