#include <gtest/gtest.h>

#include <QCoreApplication>

// Tests that need an event loop (the Qt queue) find one; everything else runs in virtual time.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
