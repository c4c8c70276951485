#include <gtest/gtest.h>

#include <QStringList>

#include "runtime/Published.h"

namespace tavrin {
namespace {

TEST(Published, DeliversTheCurrentValueAtOnceThenEveryLaterOne) {
    Published<QString> name(QStringLiteral("A"));
    QStringList received;
    auto subscription = name.subscribe([&](const QString& value) { received.append(value); });
    name.send(QStringLiteral("B"));
    name.send(QStringLiteral("B"));  // equal values are delivered; receivers decide
    subscription.cancel();
    name.send(QStringLiteral("C"));
    EXPECT_EQ(received, (QStringList{"A", "B", "B"}));
    EXPECT_EQ(name.subscriberCount(), 0u);
}

TEST(Published, AReceiverMayCancelAnotherDuringADelivery) {
    Published<int> value(0);
    Subscription second;
    std::vector<int> firstGot;
    std::vector<int> secondGot;
    auto first = value.subscribe([&](int v) {
        firstGot.push_back(v);
        if (v == 1) {
            second.cancel();
        }
    });
    second = value.subscribe([&](int v) { secondGot.push_back(v); });
    value.send(1);
    value.send(2);
    EXPECT_EQ(firstGot, (std::vector{0, 1, 2}));
    EXPECT_EQ(secondGot, (std::vector{0}));
}

TEST(Published, ASubscriptionOutlivingItsPublisherCancelsSafely) {
    Subscription subscription;
    {
        Published<int> value(1);
        subscription = value.subscribe([](int) {});
    }
    subscription.cancel();
    EXPECT_FALSE(subscription.isActive());
}

}  // namespace
}  // namespace tavrin
