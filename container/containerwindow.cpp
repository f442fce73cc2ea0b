#include "containerwindow.h"

#include "designform.h"
#include "eventlog.h"
#include "formeditor.h"
#include "methodsdialog.h"
#include "propertybrowser.h"
#include "toolbox.h"

#include "velloc/io/localfile.h"
#include "velloc/store/registry.h"
#include "velloc/hosting/propertysheet.h"
#include "velloc/hosting/services.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QScreen>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>

using namespace velloc;

namespace container {

namespace {

constexpr int MaxRecent = 8;
const QString FormFilter = QStringLiteral("Form descriptions (*.json)|*.json|All files|*");
const QString BagFilter = QStringLiteral("Property bags (*.bag *.txt)|*.bag;*.txt|All files|*");

} // namespace

ContainerWindow::ContainerWindow(QWidget* parent)
    : QMainWindow(parent), m_form(new DesignForm), m_toolbox(new Toolbox), m_browser(new PropertyBrowser), m_log(new EventLog)
{
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("formArea"));
    scroll->setWidget(m_form);
    scroll->setBackgroundRole(QPalette::Dark);
    setCentralWidget(scroll);

    auto dock = [this](QWidget* content, const QString& title, const QString& name, Qt::DockWidgetArea area) {
        auto* d = new QDockWidget(title, this);
        d->setObjectName(name);
        d->setWidget(content);
        addDockWidget(area, d);
        return d;
    };
    QDockWidget* toolboxDock = dock(m_toolbox, tr("Toolbox"), QStringLiteral("toolboxDock"), Qt::LeftDockWidgetArea);
    QDockWidget* propertiesDock = dock(m_browser, tr("Properties"), QStringLiteral("propertiesDock"), Qt::RightDockWidgetArea);
    QDockWidget* eventsDock = dock(m_log, tr("Events"), QStringLiteral("eventsDock"), Qt::BottomDockWidgetArea);
    m_docks = {toolboxDock, propertiesDock, eventsDock};
    m_browser->setForm(m_form);
    // A click on the grey around the form selects nothing, as a click on the form's own empty area does.
    scroll->viewport()->installEventFilter(this);

    connect(m_toolbox, &Toolbox::insertRequested, this, [this](const QString& progId) { (void)insert(progId); });
    connect(m_toolbox, &Toolbox::insertFormControlRequested, this, [this](const QString& kind) { (void)insertFormControl(kind); });
    connect(m_form, &DesignForm::eventRaised, m_log, &EventLog::addEvent);
    connect(m_form, &DesignForm::controlPropertyChanged, this, [this](const QString& control, const QString& property) {
        if (!property.isEmpty())
            m_log->addChange(control, property);
    });
    connect(m_form, &DesignForm::problem, this, [this](const QString& message) {
        m_log->addNote(message);
        services::messageBox(message, services::MsgIcon::Critical, services::MsgButtons::Ok, QString());
    });
    connect(m_form, &DesignForm::selectionChanged, this, &ContainerWindow::updateActions);
    connect(m_form, &DesignForm::selectionChanged, this, &ContainerWindow::updateStatus);
    connect(m_form, &DesignForm::controlPropertyChanged, this, &ContainerWindow::updateStatus);
    connect(m_form, &DesignForm::runModeChanged, this, &ContainerWindow::updateActions);
    connect(m_form, &DesignForm::itemsChanged, this, &ContainerWindow::updateActions);
    connect(m_form->undoStack(), &QUndoStack::cleanChanged, this, &ContainerWindow::updateTitle);
    m_position = new QLabel(this);
    m_position->setObjectName(QStringLiteral("selectionGeometry"));
    statusBar()->addPermanentWidget(m_position);
    buildMenus();
    updateTitle();
    updateActions();
    fitScreen();
}

void ContainerWindow::fitScreen()
{
    // As large as is useful, never larger than the screen it opens on: the title bar's buttons
    // and every dock stay in reach at 800 x 600.
    const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1200, 800);
    // Before the window is first shown its frame is not known: room is left for a title bar.
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(8, 40);
    const QSize room = available.size() - frame - QSize(16, 16);
    const QSize size = QSize(std::max(1200, room.width() * 4 / 5), std::max(800, room.height() * 4 / 5)).boundedTo(room);
    resize(size);
    // The docks take their share once the window has its size.
    QTimer::singleShot(0, this, [this, size] {
        const int side = std::clamp(size.width() / 4, 200, 420);
        // The toolbox as wide as its longest class name needs, within the share of a side dock.
        const int toolbox = std::clamp(m_toolbox->classColumnWidth(), side * 3 / 5, side);
        resizeDocks({m_docks[0], m_docks[1]}, {toolbox, side}, Qt::Horizontal);
        resizeDocks({m_docks[2]}, {std::clamp(size.height() / 5, 100, 240)}, Qt::Vertical);
    });
    QRect placed(QPoint(), size + frame);
    placed.moveCenter(available.center());
    move(std::max(placed.left(), available.left()), std::max(placed.top(), available.top()));
}

bool ContainerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && !m_form->runMode()) {
        m_form->select({});
        m_form->setPastePoint(std::nullopt);
    }
    return QMainWindow::eventFilter(watched, event);
}

void ContainerWindow::updateStatus()
{
    QStringList parts;
    for (const QString& name : m_form->selection())
        if (const DesignItem* item = m_form->item(name))
            parts << tr("%1: %2, %3  %4 x %5").arg(name).arg(item->twips.x()).arg(item->twips.y()).arg(item->twips.width()).arg(item->twips.height());
    m_position->setText(parts.isEmpty() ? QString() : parts.first() + (parts.size() > 1 ? tr(" (and %n more)", nullptr, int(parts.size()) - 1) : QString()));
    m_position->setToolTip(parts.join(QLatin1Char('\n')) + (parts.isEmpty() ? QString() : tr("\n(left, top  width x height, in twips)")));
}

ContainerWindow::~ContainerWindow()
{
    // The form and its undo stack go with the window's children, after this window's members:
    // what they signal on the way out has no one to reach.
    m_form->undoStack()->disconnect(this);
    m_form->disconnect(this);
}

void ContainerWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&New"), QKeySequence::New, this, [this] {
        if (maybeSave())
            newForm();
    });
    file->addAction(tr("&Open..."), QKeySequence::Open, this, &ContainerWindow::chooseAndOpen);
    m_recentMenu = file->addMenu(tr("Open &Recent"));
    file->addAction(tr("&Save"), QKeySequence::Save, this, &ContainerWindow::save);
    file->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, &ContainerWindow::saveAs);
    file->addSeparator();
    m_selectionActions << file->addAction(tr("Save Control's Properties..."), this, &ContainerWindow::chooseBagToSave);
    QAction* loadBagAction = file->addAction(tr("Load Control's Properties..."), this, &ContainerWindow::chooseBagToLoad);
    m_selectionActions << loadBagAction;
    m_designActions << loadBagAction;
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    fillRecentMenu();

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    // Not the stack's own actions: those enable themselves whenever there is something to undo,
    // and run mode has nothing to undo.
    QAction* undo = new QAction(tr("&Undo"), this);
    undo->setObjectName(QStringLiteral("undo"));
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, this, [this] {
        if (!m_form->runMode())
            m_form->undoStack()->undo();
    });
    QAction* redo = new QAction(tr("&Redo"), this);
    redo->setObjectName(QStringLiteral("redo"));
    redo->setShortcut(QKeySequence::Redo);
    connect(redo, &QAction::triggered, this, [this] {
        if (!m_form->runMode())
            m_form->undoStack()->redo();
    });
    m_undoAction = undo;
    m_redoAction = redo;
    QUndoStack* stack = m_form->undoStack();
    for (auto signal : {&QUndoStack::canUndoChanged, &QUndoStack::canRedoChanged})
        connect(stack, signal, this, &ContainerWindow::updateActions);
    connect(stack, &QUndoStack::indexChanged, this, &ContainerWindow::updateActions);
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QAction* cut = edit->addAction(tr("Cu&t"), QKeySequence::Cut, this, [this] {
        copy();
        m_form->editor().deleteSelection();
    });
    QAction* copyAction = edit->addAction(tr("&Copy"), QKeySequence::Copy, this, &ContainerWindow::copy);
    QAction* pasteAction = edit->addAction(tr("&Paste"), QKeySequence::Paste, this, [this] { (void)paste(); });
    QAction* del = edit->addAction(tr("&Delete"), this, [this] { m_form->editor().deleteSelection(); });
    QAction* all = edit->addAction(tr("Select &All"), QKeySequence::SelectAll, this, [this] {
        // Typing in an editor, Ctrl+A selects the editor's text, not the form's controls.
        QWidget* focus = QApplication::focusWidget();
        if (auto* box = qobject_cast<QComboBox*>(focus); box && box->lineEdit())
            focus = box->lineEdit();
        if (auto* line = qobject_cast<QLineEdit*>(focus)) {
            line->selectAll();
            return;
        }
        QStringList names;
        for (const DesignItem& item : m_form->items())
            names << item.name;
        m_form->select(names);
    });
    m_selectionActions << cut << copyAction << del;
    m_designActions << cut << pasteAction << del << all;

    QMenu* control = menuBar()->addMenu(tr("&Control"));
    QAction* insertAction = control->addAction(tr("&Insert from Toolbox"), this, [this] {
        const QString progId = m_toolbox->currentProgId();
        const QString kind = m_toolbox->currentFormKind();
        if (!kind.isEmpty())
            (void)insertFormControl(kind);
        else if (progId.isEmpty())
            services::messageBox(tr("Choose a class in the toolbox first."), services::MsgIcon::Information,
                                 services::MsgButtons::Ok, QString());
        else
            (void)insert(progId);
    });
    m_designActions << insertAction;
    QAction* props = control->addAction(tr("&Properties..."), QKeySequence(Qt::SHIFT | Qt::Key_F4), this, [this] { (void)showProperties(); });
    QAction* aboutAction = control->addAction(tr("&About..."), this, [this] { (void)about(); });
    QAction* methods = control->addAction(tr("&Methods..."), this, &ContainerWindow::showMethods);
    m_selectionActions << props << aboutAction << methods;
    m_designActions << props;

    QMenu* format = menuBar()->addMenu(tr("F&ormat"));
    using Align = FormEditor::Align;
    const QList<std::pair<QString, Align>> aligns {{tr("Align &Lefts"), Align::Lefts},   {tr("Align &Rights"), Align::Rights},
                                                   {tr("Align &Tops"), Align::Tops},     {tr("Align &Bottoms"), Align::Bottoms},
                                                   {tr("Align &Centres"), Align::Centres}, {tr("Align &Middles"), Align::Middles}};
    for (const auto& [text, edge] : aligns)
        m_layoutActions << format->addAction(text, this, [this, edge] { m_form->editor().align(edge); });
    format->addSeparator();
    m_layoutActions << format->addAction(tr("Make Same &Width"), this, [this] { m_form->editor().makeSameSize(true, false); });
    m_layoutActions << format->addAction(tr("Make Same &Height"), this, [this] { m_form->editor().makeSameSize(false, true); });
    m_layoutActions << format->addAction(tr("Make Same &Size"), this, [this] { m_form->editor().makeSameSize(true, true); });
    format->addSeparator();
    QAction* front = format->addAction(tr("Bring to &Front"), this, [this] { m_form->editor().bringToFront(true); });
    QAction* back = format->addAction(tr("Send to Bac&k"), this, [this] { m_form->editor().bringToFront(false); });
    m_designActions << front << back;
    format->addSeparator();
    QAction* snap = format->addAction(tr("Snap to &Grid"));
    snap->setObjectName(QStringLiteral("snapToGrid"));
    snap->setCheckable(true);
    connect(snap, &QAction::toggled, this, [this](bool on) { m_form->setGrid(on ? DesignForm::GridTwips : 0); });
    QAction* tabOrder = format->addAction(tr("Edit Tab &Order"));
    tabOrder->setObjectName(QStringLiteral("tabOrderMode"));
    tabOrder->setCheckable(true);
    tabOrder->setToolTip(tr("Click the controls in the order Tab should take; Esc leaves"));
    connect(tabOrder, &QAction::toggled, this, [this](bool on) { m_form->tabOrderMode().setActive(on); });
    connect(&m_form->tabOrderMode(), &TabOrderMode::activeChanged, tabOrder, &QAction::setChecked);
    m_designActions << tabOrder << m_layoutActions;

    QMenu* view = menuBar()->addMenu(tr("&View"));
    m_runAction = view->addAction(tr("&Run Mode"));
    m_runAction->setObjectName(QStringLiteral("runMode"));
    m_runAction->setCheckable(true);
    m_runAction->setShortcut(QKeySequence(Qt::Key_F5));
    connect(m_runAction, &QAction::toggled, this, &ContainerWindow::setRunMode);
    QAction* reload = view->addAction(tr("Reload &Toolbox"), m_toolbox, &Toolbox::reload);
    m_designActions << reload;
    view->addSeparator();
    for (QDockWidget* d : std::as_const(m_docks))
        view->addAction(d->toggleViewAction());

    QToolBar* bar = addToolBar(tr("Form"));
    bar->setObjectName(QStringLiteral("formToolBar"));
    bar->addAction(undo);
    bar->addAction(redo);
    bar->addSeparator();
    bar->addAction(props);
    bar->addAction(aboutAction);
    bar->addAction(methods);
    bar->addSeparator();
    bar->addAction(m_runAction);
    view->addAction(bar->toggleViewAction());

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&About %1").arg(ProgramName), this, &ContainerWindow::aboutContainer);
    help->addAction(tr("About &Qt"), qApp, &QApplication::aboutQt);
}

void ContainerWindow::aboutContainer()
{
    services::messageBox(tr("%1\n\nPlaces, edits and tries the controls registered in the registry:\n%2")
                             .arg(ProgramName, Registry::location()),
                         services::MsgIcon::Information, services::MsgButtons::Ok, tr("About %1").arg(ProgramName));
}

void ContainerWindow::updateActions()
{
    const QStringList selection = m_form->selection();
    const DesignItem* first = m_form->item(selection.value(0));
    const bool hasControl = first && first->object;
    QList<QAction*> all = m_selectionActions + m_designActions;
    for (QAction* a : std::as_const(all))
        a->setEnabled((!m_designActions.contains(a) || !m_form->runMode()) && (!m_selectionActions.contains(a) || hasControl));
    // Lining up takes two controls or more; moving in front or behind takes one.
    for (QAction* a : std::as_const(m_layoutActions))
        a->setEnabled(!m_form->runMode() && selection.size() > 1);
    m_toolbox->setEnabled(!m_form->runMode());
    const QUndoStack* stack = m_form->undoStack();
    m_undoAction->setEnabled(!m_form->runMode() && stack->canUndo());
    m_redoAction->setEnabled(!m_form->runMode() && stack->canRedo());
    m_undoAction->setText(stack->canUndo() ? tr("&Undo %1").arg(stack->undoText()) : tr("&Undo"));
    m_redoAction->setText(stack->canRedo() ? tr("&Redo %1").arg(stack->redoText()) : tr("&Redo"));
}

void ContainerWindow::updateTitle()
{
    const QString file = m_path.isEmpty() ? tr("Untitled") : QFileInfo(m_path).fileName();
    // The window system adds the program's name.
    setWindowTitle(QStringLiteral("%1[*]").arg(file));
    setWindowModified(!m_form->undoStack()->isClean());
}

Result<void> ContainerWindow::shown(Result<void> result)
{
    if (!result) {
        m_log->addNote(result.error().message());
        services::messageBox(result.error().message(), services::MsgIcon::Critical, services::MsgButtons::Ok, QString());
    }
    return result;
}

void ContainerWindow::newForm()
{
    setRunMode(false);
    m_form->clear();
    m_path.clear();
    updateTitle();
}

Result<void> ContainerWindow::openForm(const QString& path)
{
    // Like a bag: a regular file of bounded size, never a FIFO or a device read without end.
    Result<QByteArray> json = localfile::readRegular(path, tr("form"));
    if (!json)
        return shown(json.error());
    setRunMode(false);
    QStringList problems;
    // "${DATADIR}" in a description names the folder the form is kept in.
    m_form->setVariables({{QStringLiteral("DATADIR"), QFileInfo(path).absolutePath()}});
    Result<void> opened = m_form->open(*json, &problems);
    if (!opened)
        return shown(Error(opened.error().number(), tr("%1: %2").arg(path, opened.error().message())));
    m_path = QFileInfo(path).absoluteFilePath();
    addRecent(m_path);
    updateTitle();
    if (!problems.isEmpty()) {
        // The rest of the form works; the controls named here are kept as they were written.
        const QString message = tr("Some controls of %1 need attention; they are kept as written:\n%2")
                                    .arg(path, problems.join(QLatin1Char('\n')));
        for (const QString& p : std::as_const(problems))
            m_log->addNote(p);
        services::messageBox(message, services::MsgIcon::Exclamation, services::MsgButtons::Ok, QString());
    }
    return {};
}

Result<void> ContainerWindow::saveForm(const QString& path)
{
    Result<QByteArray> json = m_form->toJson();
    if (!json)
        return shown(Error(json.error().number(), tr("%1 was not saved: %2").arg(path, json.error().message())));
    VELLOC_TRY_VOID(shown(localfile::write(path, QStringLiteral("form description"), *json)));
    m_path = QFileInfo(path).absoluteFilePath();
    m_form->undoStack()->setClean();
    addRecent(m_path);
    updateTitle();
    return {};
}

bool ContainerWindow::save()
{
    if (m_path.isEmpty())
        return saveAs();
    return saveForm(m_path).ok();
}

bool ContainerWindow::saveAs()
{
    services::FileDialogRequest request;
    request.title = tr("Save Form");
    request.fileName = m_path;
    request.filter = FormFilter;
    request.owner = this;
    const std::optional<QString> path = services::saveFileDialog(request);
    return path && saveForm(*path).ok();
}

void ContainerWindow::chooseAndOpen()
{
    if (!maybeSave())
        return;
    services::FileDialogRequest request;
    request.title = tr("Open Form");
    request.filter = FormFilter;
    request.initDir = m_path.isEmpty() ? QString() : QFileInfo(m_path).absolutePath();
    request.owner = this;
    if (std::optional<QString> path = services::openFileDialog(request))
        (void)openForm(*path);
}

bool ContainerWindow::maybeSave()
{
    if (m_form->undoStack()->isClean())
        return true;
    const QString file = m_path.isEmpty() ? tr("Untitled") : QFileInfo(m_path).fileName();
    const int answer = services::messageBox(tr("Save the changes to %1?").arg(file), services::MsgIcon::Question,
                                            services::MsgButtons::YesNoCancel, QString());
    if (answer == services::msgresult::Yes)
        return save();
    return answer == services::msgresult::No;
}

void ContainerWindow::closeEvent(QCloseEvent* event)
{
    if (maybeSave()) {
        setRunMode(false);
        event->accept();
    } else {
        event->ignore();
    }
}

QStringList ContainerWindow::recentFiles() const
{
    return QSettings().value(QStringLiteral("recentFiles")).toStringList();
}

void ContainerWindow::addRecent(const QString& path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > MaxRecent)
        files.removeLast();
    QSettings().setValue(QStringLiteral("recentFiles"), files);
    fillRecentMenu();
}

void ContainerWindow::fillRecentMenu()
{
    if (!m_recentMenu)
        return;
    m_recentMenu->clear();
    const QStringList files = recentFiles();
    for (const QString& f : files)
        m_recentMenu->addAction(f, this, [this, f] {
            if (maybeSave())
                (void)openForm(f);
        });
    m_recentMenu->setEnabled(!files.isEmpty());
}

Result<QString> ContainerWindow::insert(const QString& progId)
{
    return inserted([&] { return m_form->editor().insertControl(progId); });
}

Result<QString> ContainerWindow::insertFormControl(const QString& kind)
{
    return inserted([&] { return m_form->editor().insertFormControl(kind); });
}

Result<QString> ContainerWindow::inserted(const std::function<Result<QString>()>& insert)
{
    if (m_form->runMode())
        return Error(errc::InvalidArgument, tr("Controls are inserted in design mode"));
    Result<QString> inserted = insert();
    if (!inserted)
        (void)shown(Error(inserted.error().number(), tr("Cannot insert %1").arg(inserted.error().message())));
    else
        m_form->focusDesign();
    return inserted;
}

Result<void> ContainerWindow::showProperties()
{
    QList<std::shared_ptr<Object>> objects;
    QStringList names;
    QList<PropertyBag> before;
    for (const QString& name : m_form->selection())
        if (const DesignItem* item = m_form->item(name); item && item->object) {
            objects << item->object;
            names << name;
            Result<PropertyBag> bag = m_form->bagOf(name);
            if (!bag)
                return shown(bag.releaseError());
            before << *bag;
        }
    if (objects.isEmpty())
        return shown(Error(errc::InvalidArgument, tr("Select a control first")));
    Result<std::unique_ptr<PropertySheet>> sheet = PropertySheet::forControls(objects, this);
    if (!sheet)
        return shown(Error(sheet.error().number(), tr("The property pages of %1 cannot be shown: %2")
                                                       .arg(names.join(QStringLiteral(", ")), sheet.error().message())));
    const QString title = tr("Properties of %1").arg(names.join(QStringLiteral(", ")));
    (*sheet)->setWindowTitle(title);
    (*sheet)->setToolTip(title);
    // Wide enough for its title, as far as the screen allows.
    const int titleWidth = (*sheet)->fontMetrics().horizontalAdvance(title) + 160;
    (*sheet)->setMinimumWidth(std::min(titleWidth, screen() ? screen()->availableGeometry().width() * 9 / 10 : titleWidth));
    services::showModal(sheet->get(), this);
    sheet->reset();
    for (qsizetype i = 0; i < names.size(); ++i)
        m_form->editor().recordStateChange(names[i], before[i], tr("Properties of %1").arg(names[i]));
    return {};
}

Result<void> ContainerWindow::about()
{
    const DesignItem* item = m_form->item(m_form->selection().value(0));
    if (!item || !item->object)
        return shown(Error(errc::InvalidArgument, tr("Select a control first")));
    if (!item->object->dispatch().info().find(dispid::AboutBox, MemberKind::Method))
        return shown(Error(errc::NotSupported, tr("%1 has no About box").arg(item->name)));
    std::shared_ptr<Object> object = item->object;
    Result<Variant> r = object->invoke(dispid::AboutBox, InvokeKind::Method, {});
    if (!r)
        return shown(Error(r.error().number(), tr("%1.About: %2").arg(item->name, r.error().message())));
    return {};
}

Result<void> ContainerWindow::saveBag(const QString& path)
{
    const QString name = m_form->selection().value(0);
    Result<PropertyBag> bag = m_form->bagOf(name);
    if (!bag)
        return shown(bag.releaseError());
    return shown(bag->save(path));
}

Result<void> ContainerWindow::loadBag(const QString& path)
{
    const QString name = m_form->selection().value(0);
    if (m_form->runMode())
        return shown(Error(errc::InvalidArgument, tr("Properties are loaded in design mode")));
    Result<PropertyBag> bag = PropertyBag::load(path);
    if (!bag)
        return shown(bag.releaseError());
    return shown(m_form->editor().loadBag(name, *bag));
}

void ContainerWindow::chooseBagToSave()
{
    services::FileDialogRequest request;
    request.title = tr("Save Control's Properties");
    request.filter = BagFilter;
    request.owner = this;
    if (const std::optional<QString> path = services::saveFileDialog(request))
        (void)saveBag(*path);
}

void ContainerWindow::chooseBagToLoad()
{
    services::FileDialogRequest request;
    request.title = tr("Load Control's Properties");
    request.filter = BagFilter;
    request.owner = this;
    if (std::optional<QString> path = services::openFileDialog(request))
        (void)loadBag(*path);
}

void ContainerWindow::copy()
{
    Result<QJsonArray> copied = m_form->editor().copySelection();
    if (!copied) {
        (void)shown(copied.releaseError());
        return;
    }
    const QJsonArray entries = *copied;
    if (entries.isEmpty())
        return;
    auto* data = new QMimeData;
    const QByteArray json = QJsonDocument(entries).toJson();
    data->setData(QLatin1String(ControlsMimeType), json);
    data->setText(QString::fromUtf8(json));
    QApplication::clipboard()->setMimeData(data);
}

Result<void> ContainerWindow::paste()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QLatin1String(ControlsMimeType)))
        return shown(Error(errc::InvalidArgument, tr("The clipboard holds no controls")));
    const QJsonDocument doc = QJsonDocument::fromJson(data->data(QLatin1String(ControlsMimeType)));
    if (!doc.isArray())
        return shown(Error(errc::InvalidArgument, tr("The clipboard's controls do not read")));
    // Where the person last clicked on the form, once; a second paste goes beside the first.
    const std::optional<QPoint> at = m_form->pastePoint();
    m_form->setPastePoint(std::nullopt);
    Result<QStringList> pasted = m_form->editor().paste(doc.array(), at);
    if (!pasted)
        return shown(pasted.releaseError());
    return {};
}

void ContainerWindow::setRunMode(bool run)
{
    if (m_runAction && m_runAction->isChecked() != run) {
        m_runAction->setChecked(run); // comes back here through toggled
        return;
    }
    if (m_form->runMode() == run)
        return;
    m_form->setRunMode(run);
    m_log->addNote(run ? tr("Run mode") : tr("Design mode"));
    statusBar()->showMessage(run ? tr("Run mode: the controls take the mouse and keyboard") : tr("Design mode"));
    updateActions();
}

void ContainerWindow::showMethods()
{
    const DesignItem* item = m_form->item(m_form->selection().value(0));
    if (!item || !item->object)
        return;
    MethodsDialog dialog(item->object, item->name, this);
    dialog.exec();
}

} // namespace container
