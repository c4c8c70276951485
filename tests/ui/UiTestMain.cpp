#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/SymbolIcons.h"

// Widget tests run on the offscreen platform, with the preferences in a directory of their own
// that is gone afterwards: the user's settings are never read or written.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Outlives the application, which saves the preferences on its way out.
    QTemporaryDir preferences;
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());
    tavrin::installIconThemeFallback();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
