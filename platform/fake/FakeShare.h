#pragma once

#include "platform/Share.h"

// A sender a test switches on or off; it records every list it was handed.
class FakeShare final : public Share {
public:
    bool canShare(const QList<QUrl>& urls) const override { return available && !urls.isEmpty(); }
    bool hasSender() const override { return available; }
    bool share(const QList<QUrl>& urls) override {
        if (!canShare(urls))
            return false;
        shared.append(urls);
        return true;
    }

    bool available = true;
    QList<QList<QUrl>> shared;
};
