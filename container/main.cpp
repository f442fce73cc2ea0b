// Velloc Container: places, edits and tries any registered control.
//   velloc-container [--registry DIR] [FORM.json]
//   velloc-container [--registry DIR] --screenshot FORM.json OUTPUT.png
#include "containerwindow.h"
#include "designform.h"

#include "velloc/store/registry.h"

#include "velloc/hosting/services.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace {

// Nobody is there to answer while a picture is taken: messages go to standard error.
class ReportingResponder final : public velloc::services::Responder {
public:
    int messageBox(const QString& text, velloc::services::MsgIcon, velloc::services::MsgButtons buttons,
                   const QString&) override
    {
        QTextStream(stderr) << "velloc-container: " << text << "\n";
        return velloc::services::firstButton(buttons);
    }
};

} // namespace

int main(int argc, char** argv)
{
    // A picture of the window needs no display.
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--screenshot") == 0 && qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velloc"));
    QApplication::setApplicationName(QStringLiteral("velloc-container"));
    QApplication::setApplicationDisplayName(container::ContainerWindow::ProgramName);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Places, edits and tries the controls registered in the registry."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("registry"), QStringLiteral("The registry folder to use."), QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("screenshot"),
                      QStringLiteral("Open FORM, write a picture of the window to the PNG file given after it, and quit."),
                      QStringLiteral("FORM")});
    parser.addPositionalArgument(QStringLiteral("form"), QStringLiteral("A form description to open."), QStringLiteral("[FORM]"));
    parser.process(app);
    if (parser.isSet(QStringLiteral("registry")))
        velloc::Registry::setLocation(parser.value(QStringLiteral("registry")));

    QTextStream err(stderr);
    container::ContainerWindow window;
    const QStringList args = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("screenshot"))) {
        if (args.size() != 1) {
            err << "--screenshot FORM needs the PNG file to write\n";
            return 2;
        }
        static ReportingResponder responder;
        velloc::services::setResponder(&responder);
        if (!window.openForm(parser.value(QStringLiteral("screenshot"))))
            return 1;
        // The first component selected, so that the browser shows its properties.
        for (const container::DesignItem& item : window.form()->items())
            if (item.object) {
                window.form()->select({item.name});
                break;
            }
        window.resize(1280, 860);
        window.show();
        QApplication::processEvents();
        if (!window.grab().save(args.first())) {
            err << "Cannot write " << args.first() << "\n";
            return 1;
        }
        return 0;
    }
    if (args.size() > 1) {
        err << "Give at most one form to open\n";
        return 2;
    }
    window.show();
    if (!args.isEmpty())
        (void)window.openForm(args.first());
    return app.exec();
}
