#include "velloc/store/registry.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

// The object-model tests' main: fonts and pictures need a GUI application, nothing here needs
// widgets, and classes come from the build's registry.
int main(int argc, char** argv)
{
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    velloc::Registry::setLocation(QStringLiteral(VELLOC_BUILD_REGISTRY));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
