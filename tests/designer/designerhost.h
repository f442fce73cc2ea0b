#pragma once

// A Designer of the test's own: Qt's form editor core, with the plugins of the build's plugin
// folder, and a responder standing in for the person who
// answers the controls' dialogs.

#include "velloc/hosting/services.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QDesignerCustomWidgetCollectionInterface;
class QDesignerFormEditorInterface;

namespace designertest {

// The plugin as Designer and QUiLoader load it.
QDesignerCustomWidgetCollectionInterface* loadPlugin(QString* error);

// One form editor core for the whole run, as Designer keeps one.
QDesignerFormEditorInterface* designerCore();

QString sourceFile(const QString& name);
QString readText(const QString& path);

// Hands each modal window to `handle` instead of waiting, and records its title.
class ModalResponder final : public velloc::services::Responder {
public:
    explicit ModalResponder(std::function<void(QWidget*)> handle = {});
    ~ModalResponder() override;
    void showModal(QWidget* window, QWidget* owner) override;
    int messageBox(const QString& text, velloc::services::MsgIcon icon, velloc::services::MsgButtons buttons,
                   const QString& title) override;
    std::optional<QString> openFileDialog(const velloc::services::FileDialogRequest& request) override;

    QString fileToOpen; // what a file dialog answers; none when empty

    QStringList shown; // window titles, and "message: text" for message boxes

private:
    std::function<void(QWidget*)> m_handle;
};

} // namespace designertest
