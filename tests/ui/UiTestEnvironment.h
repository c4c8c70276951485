#pragma once

#include <QApplication>
#include <QSettings>

#include "support/TestEnvironment.h"
#include "ui/Settings.h"

namespace tavrin::testing {

// The fake platform and the virtual-time queue, plus Qt's own event loop, which the views'
// deferred refreshes use. Each test starts from empty preferences.
class UiTestEnvironment : public TestEnvironment {
public:
    explicit UiTestEnvironment(const FakeFixture& fixture = {}) : TestEnvironment(fixture) {
        openSettings()->clear();
    }
    ~UiTestEnvironment() { openSettings()->clear(); }

    // Runs the fake, the models' queue and Qt's posted events until all are quiet.
    void settleAll() {
        for (int round = 0; round < 20; ++round) {
            settle();
            QCoreApplication::sendPostedEvents();
            // Retired pages go as they would once the event loop runs.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
            if (!queue().runUntilIdle()) {
                QCoreApplication::processEvents();
                if (!queue().runUntilIdle()) {
                    return;
                }
            }
        }
    }
};

// The fixture of the UI tests: two cameras, two microphones and two displays.
FakeFixture twoOfEachFixture();

}  // namespace tavrin::testing
