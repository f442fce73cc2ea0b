// The control's face at run time. What the library publishes (members, DISPIDs, help strings,
// the enumeration, the toolbox bitmap's size) is compared as a whole with the golden listings
// in tests/typelib.
#include "testsupport.h"
#include "velloc.h"

#include <QLabel>
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

} // namespace
