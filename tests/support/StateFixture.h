#pragma once

#include "Brimlark/core/AppState.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeClock.h"

#include <QTemporaryDir>

// The settings most tests start from: an empty defaults store over a file in a private folder,
// the program's settings over that store, and a clock that stands still until the test moves it.
struct StateFixture {
    QTemporaryDir dir;
    FakeClock clock;
    UserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    AppState appState{defaults};
};
