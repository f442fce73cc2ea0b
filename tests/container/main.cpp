#include "platform/registry.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Recent files go to a settings folder of the tests' own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VellocTests"));
    QApplication::setApplicationName(QStringLiteral("container_tests"));
    platform::Registry::setLocation(QStringLiteral(VELLOC_BUILD_REGISTRY));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
