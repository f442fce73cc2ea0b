#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Widgets, message boxes and dialogs are real; they are drawn where no one sees them.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
