#include "ui/UiTestEnvironment.h"

#include <QFile>

namespace tavrin::testing {

FakeFixture twoOfEachFixture() {
    QFile file(QStringLiteral(TAVRIN_FIXTURE_DIR "/two-of-each.json"));
    file.open(QIODevice::ReadOnly);
    QString error;
    return FakeFixture::parse(file.readAll(), &error).value_or(FakeFixture{});
}

}  // namespace tavrin::testing
