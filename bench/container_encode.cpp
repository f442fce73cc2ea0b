// Enciphers a file through the container's Methods dialog, as a person would (Velloc inserted
// from the toolbox, File typed into the browser, Encode called), and reports the time the call
// took and what the event log kept of it.
//   container_encode FILE [PROTECTION_TYPE]
#include "containerwindow.h"
#include "designform.h"
#include "eventlog.h"
#include "methodsdialog.h"
#include "propertybrowser.h"

#include "velloc/hosting/services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

// Nobody answers while it runs: a message box is a failure of the run.
class Refuser final : public velloc::services::Responder {
public:
    int messageBox(const QString& text, velloc::services::MsgIcon, velloc::services::MsgButtons buttons, const QString&) override
    {
        QTextStream(stderr) << "message box: " << text << "\n";
        ++boxes;
        return velloc::services::firstButton(buttons);
    }
    int boxes = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    if (argc < 2) {
        err << "usage: container_encode FILE [PROTECTION_TYPE]\n";
        return 2;
    }
    Refuser refuser;
    velloc::services::setResponder(&refuser);
    container::ContainerWindow window;
    window.show();
    velloc::Result<QString> name = window.insert(QStringLiteral("Vellib.Velloc"));
    if (!name) {
        err << name.error().message() << "\n";
        return 1;
    }
    if (!window.browser()->edit(QStringLiteral("File"), QString::fromLocal8Bit(argv[1]))
        || (argc > 2 && !window.browser()->edit(QStringLiteral("ProtectionType"), QString::fromLocal8Bit(argv[2])))) {
        err << "the browser refused the settings\n";
        return 1;
    }
    window.eventLog()->clear();
    container::MethodsDialog methods(window.form()->item(*name)->object, *name, &window);
    methods.show();
    methods.setMethod(QStringLiteral("Encode"));
    QElapsedTimer timer;
    timer.start();
    velloc::Result<velloc::Variant> called = methods.call();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QApplication::processEvents();
    container::EventLog& log = *window.eventLog();
    log.flush();
    const qsizetype events = log.entries().size();
    log.setFilter(QStringLiteral("Statred"));
    const int statred = log.rowCount();
    log.setFilter(QStringLiteral("Progress"));
    const int progress = log.rowCount();
    log.setFilter(QStringLiteral("Finished"));
    const int finished = log.rowCount();
    out << "encode " << (called ? "ok" : "failed") << " in " << QString::number(seconds, 'f', 3) << " s; events " << events
        << " (Statred " << statred << ", Progress " << progress << ", Finished " << finished << "), dropped " << log.dropped()
        << ", message boxes " << refuser.boxes << "\n";
    return called && refuser.boxes == 0 ? 0 : 1;
}
