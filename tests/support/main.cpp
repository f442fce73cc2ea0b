#include "velloc/hosting/services.h"
#include "velloc/store/registry.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Every test binary's main: widgets, message boxes and dialogs are real and drawn where no one
// sees them; settings go to a folder of the run's own; classes come from the build's registry.
int main(int argc, char** argv)
{
    // A run may choose its own offscreen screen (the 120 dpi run names a configuration file).
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VellocTests"));
    velloc::Registry::setLocation(QStringLiteral(VELLOC_BUILD_REGISTRY));
    // The tests drive the real boxes and dialogs on the offscreen screen, where a host of its
    // own would get the unattended answers.
    velloc::services::setResponder(&velloc::services::interactiveResponder());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
