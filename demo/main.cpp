// Velloc: the demonstration window of the encryption and hyperlink controls.
#include "form1.h"

#include "velloc/hosting/services.h"

#include <QApplication>
#include <QDir>

#include <csignal>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Past a file-size limit the control's write fails and its error is shown, instead of the
    // signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication::setApplicationName(Form1::ProgramName);
    const QString dataDir = QDir::cleanPath(QApplication::applicationDirPath() + QStringLiteral("/../share/velloc"));
    velloc::Result<std::unique_ptr<Form1>> form = Form1::create(dataDir);
    if (!form) {
        velloc::services::messageBox(form.error().message(), velloc::services::MsgIcon::Critical,
                                       velloc::services::MsgButtons::Ok, Form1::ProgramName);
        return 1;
    }
    form.value()->window().show();
    return app.exec();
}
