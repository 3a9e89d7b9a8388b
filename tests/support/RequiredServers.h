#pragma once

#include <QByteArray>
#include <QTest>

namespace brimlark::test {

// True when BRIMLARK_REQUIRE_SERVERS is set to a number other than 0, as scripts/run-tests.sh
// does: there every server a test needs is part of the machine, and one that is missing is a fault.
inline bool serversRequired() {
    return qEnvironmentVariableIntValue("BRIMLARK_REQUIRE_SERVERS") != 0;
}

} // namespace brimlark::test

// Leaves the test function when `available` is false, naming `what` is missing: a skip when the
// test is run by hand, a failure under BRIMLARK_REQUIRE_SERVERS, so that a machine that lost an X
// server, a window manager, a compositor or a session bus does not pass by skipping.
#define BRIMLARK_REQUIRE_SERVER(available, what)                                                             \
    do {                                                                                                     \
        if (!(available)) {                                                                                  \
            if (brimlark::test::serversRequired())                                                           \
                QFAIL(QByteArray(QByteArray("missing ") + (what) +                                           \
                                 " (BRIMLARK_REQUIRE_SERVERS is set: a missing server fails the test)")      \
                          .constData());                                                                     \
            QSKIP(QByteArray(QByteArray("needs ") + (what)).constData());                                    \
        }                                                                                                    \
    } while (false)
