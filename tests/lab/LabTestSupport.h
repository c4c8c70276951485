#pragma once

#include <gtest/gtest.h>
#include <QFile>

#include "catalogue/DeviceStore.h"
#include "support/TestEnvironment.h"

namespace tavrin::testing {

// The lab's fixture: the demo's devices without the demo's scripted changes.
inline FakeFixture labFixture(const char* name = "lab.json") {
    QFile file(QStringLiteral(TAVRIN_FIXTURE_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    auto fixture = FakeFixture::parse(file.readAll(), &error);
    EXPECT_TRUE(fixture) << error.toStdString();
    return fixture.value_or(FakeFixture{});
}

// A test environment on the lab fixture with its device lists applied.
class LabEnvironment : public TestEnvironment {
public:
    explicit LabEnvironment(const char* fixture = "lab.json")
        : TestEnvironment(labFixture(fixture)) {
        context().deviceStore();
        settle();
    }
    DeviceStore& store() { return context().deviceStore(); }
};

}  // namespace tavrin::testing
