// Velloc: the demonstration window of the encryption and hyperlink controls.
#include "form1.h"

#include "platform/services.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(Form1::ProgramName);
    const QString dataDir = QDir::cleanPath(QApplication::applicationDirPath() + QStringLiteral("/../share/velloc"));
    platform::Result<std::unique_ptr<Form1>> form = Form1::create(dataDir);
    if (!form) {
        platform::services::messageBox(form.error().message(), platform::services::MsgIcon::Critical,
                                       platform::services::MsgButtons::Ok, Form1::ProgramName);
        return 1;
    }
    form.value()->window().show();
    return app.exec();
}
