#include "designerhost.h"

#include <QDesignerComponents>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QDesignerFormEditorInterface>
#include <QDesignerIntegration>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPluginLoader>

namespace designertest {

QDesignerCustomWidgetCollectionInterface* loadPlugin(QString* error)
{
    QPluginLoader loader(QStringLiteral(VELLOC_DESIGNER_PLUGIN));
    QObject* instance = loader.instance();
    if (!instance && error)
        *error = loader.errorString();
    return qobject_cast<QDesignerCustomWidgetCollectionInterface*>(instance);
}

QDesignerFormEditorInterface* designerCore()
{
    static QDesignerFormEditorInterface* core = [] {
        // Designer looks for plugins in the "designer" folder of each library path.
        QCoreApplication::addLibraryPath(QFileInfo(QStringLiteral(VELLOC_DESIGNER_PLUGIN)).absoluteDir().absolutePath()
                                         + QStringLiteral("/.."));
        QDesignerComponents::initializeResources();
        QDesignerFormEditorInterface* c = QDesignerComponents::createFormEditor(nullptr);
        // The form windows ask the integration which features the host program offers.
        new QDesignerIntegration(c, c);
        QDesignerComponents::initializePlugins(c);
        return c;
    }();
    return core;
}

QString sourceFile(const QString& name)
{
    return QStringLiteral(DESIGNER_TEST_SOURCE_DIR "/") + name;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

ModalResponder::ModalResponder(std::function<void(QWidget*)> handle) : m_handle(std::move(handle))
{
    velloc::services::setResponder(this);
}

ModalResponder::~ModalResponder()
{
    velloc::services::setResponder(&velloc::services::interactiveResponder());
}

void ModalResponder::showModal(QWidget* window, QWidget*)
{
    shown << window->windowTitle();
    if (m_handle)
        m_handle(window);
}

int ModalResponder::messageBox(const QString& text, velloc::services::MsgIcon, velloc::services::MsgButtons buttons,
                               const QString&)
{
    shown << QStringLiteral("message: ") + text;
    return velloc::services::cancellingButton(buttons);
}

std::optional<QString> ModalResponder::openFileDialog(const velloc::services::FileDialogRequest& request)
{
    shown << QStringLiteral("file dialog: ") + request.title;
    if (fileToOpen.isEmpty())
        return std::nullopt;
    return fileToOpen;
}

} // namespace designertest
