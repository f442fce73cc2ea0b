#include "platform/registry.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // A run may choose its own offscreen screen (the 120 dpi run names a configuration file).
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::Registry::setLocation(QStringLiteral(VELLOC_BUILD_REGISTRY));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
