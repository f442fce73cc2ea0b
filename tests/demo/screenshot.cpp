// Saves a picture of the demonstration window as it opens (for the README):
//   velloc_screenshot OUTPUT.png
#include "form1.h"

#include "velloc/store/registry.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    velloc::Registry::setLocation(QStringLiteral(VELLOC_BUILD_REGISTRY));
    auto form = Form1::create(QDir::cleanPath(QApplication::applicationDirPath() + QStringLiteral("/../share/velloc")));
    if (!form) {
        qWarning("%s", qPrintable(form.error().message()));
        return 1;
    }
    form.value()->window().show();
    QApplication::processEvents();
    return form.value()->window().grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
