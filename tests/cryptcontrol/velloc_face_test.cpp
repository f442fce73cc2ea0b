// The control's face at run time. What the library publishes (members, DISPIDs, help strings,
// the enumeration, the toolbox bitmap's size) is compared as a whole with the golden listings
// in tests/typelib.
#include "testsupport.h"
#include "prg.h"
#include "velloc.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QWindow>
#include <QSet>

#include <gtest/gtest.h>

using namespace velloc;
using namespace testsupport;

namespace {

TEST(VellocFace, PicturesAreRealImagesOfTheirSizes)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    QWidget* face = host->control().widget();
    QLabel* logo = nullptr;
    for (QLabel* label : face->findChildren<QLabel*>())
        if (!label->pixmap().isNull())
            logo = label;
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->pixmap().size(), QSize(73, 50));
    // Drawn, not blank: more than a handful of distinct colours.
    const QImage image = logo->pixmap().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8);
}

// Assistive technology reads the face as what it shows: the control's name and version.
TEST(VellocFace, AssistiveTechnologyReadsWhatItShows)
{
    auto host = RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(host->control().widget());
    ASSERT_TRUE(face);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Velpack ") + velpack::versionCaption());
    EXPECT_FALSE(face->text(QAccessible::Description).isEmpty());
    QStringList children;
    for (int i = 0; i < face->childCount(); ++i)
        children << face->child(i)->text(QAccessible::Name);
    EXPECT_TRUE(children.contains("Velpack logo")) << children.join(", ").toStdString();
}

// The progress window stays above the program's windows, but a message box raised while it is
// shown goes above it and takes the focus; once it is gone, boxes are ordinary again.
TEST(ProgressWindow, MessageBoxesRaisedWhileShownGoAboveIt)
{
    velpack::PRG* progress = velpack::progressWindow();
    progress->show();
    QMessageBox box(QMessageBox::Information, QString(), QStringLiteral("Proceeding"));
    box.show();
    ASSERT_TRUE(box.windowHandle());
    EXPECT_TRUE(box.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QTRY_COMPARE(QApplication::activeWindow(), &box);
    box.hide();
    progress->hide();
    QMessageBox later(QMessageBox::Information, QString(), QStringLiteral("Done"));
    later.show();
    EXPECT_FALSE(later.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    velpack::releaseProgressWindow();
}

} // namespace
