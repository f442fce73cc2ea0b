#pragma once

#include "velloc/core/error.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QDockWidget;
class QLabel;
class QMenu;

namespace container {

class DesignForm;
class EventLog;
class PropertyBrowser;
class Toolbox;

// The control container: the toolbox, the form being designed, the property browser and the
// event log, with the commands a person gives through the menus. Every command is also a
// function, so that tests and the command line drive the window the way a person does.
class ContainerWindow final : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString ProgramName = QStringLiteral("Velloc Container");
    static constexpr auto ControlsMimeType = "application/x-velloc-form-controls";

    explicit ContainerWindow(QWidget* parent = nullptr);
    ~ContainerWindow() override;

    DesignForm* form() const { return m_form; }
    Toolbox* toolbox() const { return m_toolbox; }
    PropertyBrowser* browser() const { return m_browser; }
    EventLog* eventLog() const { return m_log; }
    QString path() const { return m_path; }

    // Files. A failure leaves the form as it was and returns the error, already shown.
    void newForm();
    velloc::Result<void> openForm(const QString& path);
    velloc::Result<void> saveForm(const QString& path);
    // Asks whether to save unsaved changes; false when the person cancels.
    bool maybeSave();
    // The File menu's commands: the file is asked for through the services' file dialogs.
    bool save();
    bool saveAs();
    void chooseAndOpen();
    void chooseBagToSave();
    void chooseBagToLoad();
    QStringList recentFiles() const;

    // Commands on the selection.
    velloc::Result<QString> insert(const QString& progId);
    // A control the form builds itself, of the entry kind "label", "textbox", ...
    velloc::Result<QString> insertFormControl(const QString& kind);
    velloc::Result<void> showProperties();
    velloc::Result<void> about();
    velloc::Result<void> saveBag(const QString& path);
    velloc::Result<void> loadBag(const QString& path);
    void copy();
    velloc::Result<void> paste();
    void setRunMode(bool run);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void fitScreen();
    void updateStatus();
    void aboutContainer();
    void updateActions();
    void updateTitle();
    void addRecent(const QString& path);
    void fillRecentMenu();
    velloc::Result<void> shown(velloc::Result<void> result);
    velloc::Result<QString> inserted(const std::function<velloc::Result<QString>()>& insert);
    void showMethods();

    DesignForm* m_form;
    Toolbox* m_toolbox;
    PropertyBrowser* m_browser;
    EventLog* m_log;
    QString m_path;
    QMenu* m_recentMenu = nullptr;
    QAction* m_runAction = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QList<QDockWidget*> m_docks;
    QLabel* m_position = nullptr;
    QList<QAction*> m_selectionActions; // need a selected control
    QList<QAction*> m_designActions;    // design mode only
    QList<QAction*> m_layoutActions;    // need two selected controls
};

} // namespace container
