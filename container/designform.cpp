#include "designform.h"

#include "designcommands.h"
#include "selectionoverlay.h"

#include "velloc/store/registry.h"
#include "velloc/core/units.h"
#include "velloc/store/varianttext.h"

#include <QApplication>
#include <QJsonDocument>
#include <QSet>
#include <QLabel>
#include <QRegularExpression>
#include <QUndoStack>

using namespace velloc;

namespace container {

namespace {

QString kindOf(const QJsonObject& entry)
{
    return entry.value(QStringLiteral("kind")).toString();
}

QRect twipsOf(const QJsonObject& entry)
{
    return QRect(entry.value(QStringLiteral("left")).toInt(), entry.value(QStringLiteral("top")).toInt(),
                 entry.value(QStringLiteral("width")).toInt(), entry.value(QStringLiteral("height")).toInt());
}

void setTwips(QJsonObject& entry, QRect twips)
{
    entry.insert(QStringLiteral("left"), twips.x());
    entry.insert(QStringLiteral("top"), twips.y());
    entry.insert(QStringLiteral("width"), twips.width());
    entry.insert(QStringLiteral("height"), twips.height());
}

// The names an entry brings onto the form: its own and, for a frame, those of its controls.
void collectNames(const QJsonObject& entry, QStringList& names)
{
    names << entry.value(QStringLiteral("name")).toString();
    for (const QJsonValue& child : entry.value(QStringLiteral("controls")).toArray())
        collectNames(child.toObject(), names);
}

bool holdsComponent(const QJsonObject& entry)
{
    for (const QJsonValue& child : entry.value(QStringLiteral("controls")).toArray())
        if (kindOf(child.toObject()) == QLatin1String("component") || holdsComponent(child.toObject()))
            return true;
    return false;
}

QJsonArray bagLines(const PropertyBag& bag)
{
    QJsonArray lines;
    for (const QString& line : bag.toText().split(QLatin1Char('\n')))
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines.append(line);
    return lines;
}

// Whether two bags' lines hold the same values, in whatever order: a hand-written bag the
// control would write in another order is kept as it was written.
bool sameBag(const QJsonArray& written, const QJsonArray& lines)
{
    auto normal = [](const QJsonArray& a) -> std::optional<QStringList> {
        QStringList text;
        for (const QJsonValue& line : a)
            text << line.toString();
        Result<PropertyBag> bag = PropertyBag::fromText(text.join(QLatin1Char('\n')));
        if (!bag)
            return std::nullopt;
        QStringList out;
        for (const QJsonValue& line : bagLines(*bag))
            out << line.toString();
        out.sort();
        return out;
    };
    const std::optional<QStringList> a = normal(written), b = normal(lines);
    return a && b && *a == *b;
}

} // namespace

bool isValidControlName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,39}$"));
    return pattern.match(name).hasMatch();
}

DesignForm::DesignForm(QWidget* parent) : QWidget(parent), m_undo(new QUndoStack(this))
{
    clear();
}

DesignForm::~DesignForm()
{
    releaseAll();
}

void DesignForm::clear()
{
    QJsonObject root {{QStringLiteral("name"), QStringLiteral("Form1")},
                      {QStringLiteral("caption"), QStringLiteral("Form1")},
                      {QStringLiteral("clientWidth"), 7200},
                      {QStringLiteral("clientHeight"), 5400},
                      {QStringLiteral("borderStyle"), QStringLiteral("sizable")},
                      {QStringLiteral("font"), QStringLiteral("font:\"MS Sans Serif\" 8.25 400 -")}};
    Result<std::unique_ptr<Form>> canvas = buildCanvas(root);
    Q_ASSERT(canvas.ok());
    releaseAll();
    setCanvas(std::move(canvas.value()), root);
    m_undo->clear();
}

Result<std::unique_ptr<Form>> DesignForm::buildCanvas(const QJsonObject& root)
{
    // The window itself comes from the loader; the controls are placed one by one.
    QJsonObject window = root;
    window.remove(QStringLiteral("controls"));
    window.remove(QStringLiteral("tabOrder"));
    window.remove(QStringLiteral("startUpPosition"));
    return FormLoader::fromJson(QJsonDocument(window).toJson());
}

void DesignForm::adopt(Form& canvas)
{
    canvas.setParent(this, Qt::Widget);
    canvas.move(0, 0);
    // The form keeps a window's colours, whatever the area around it shows.
    canvas.setPalette(QApplication::palette(&canvas));
    canvas.setBackgroundRole(QPalette::Window);
    canvas.setAutoFillBackground(true);
    canvas.show();
}

void DesignForm::setCanvas(std::unique_ptr<Form> canvas, QJsonObject root)
{
    m_canvas = std::move(canvas);
    m_root = std::move(root);
    adopt(*m_canvas);
    setFixedSize(m_canvas->size());
    m_overlay = new SelectionOverlay(this, m_canvas.get());
    m_overlay->setGeometry(m_canvas->rect());
    m_overlay->setVisible(!m_runMode);
    m_overlay->raise();
    emit itemsChanged();
    emit selectionChanged();
}

Result<void> DesignForm::open(const QByteArray& json, QStringList* problems)
{
    const QJsonObject root = VELLOC_TRY(FormLoader::parseDescription(json));
    // Names are how the form finds its controls: a form that repeats or lacks one is refused
    // whole, as the loader refuses it, rather than opened with a control missing.
    QStringList names;
    for (const QJsonValue& v : root.value(QStringLiteral("controls")).toArray())
        collectNames(v.toObject(), names);
    QSet<QString> seen;
    seen.reserve(names.size());
    for (const QString& name : std::as_const(names)) {
        if (name.isEmpty())
            return Error(errc::InvalidArgument, QStringLiteral("the form: a control has no name"));
        if (seen.contains(name))
            return Error(errc::InvalidArgument, QStringLiteral("%1: the name is used twice").arg(name));
        seen.insert(name);
    }
    std::unique_ptr<Form> canvas = VELLOC_TRY(buildCanvas(root));

    releaseAll();
    m_runMode = false;
    setCanvas(std::move(canvas), root);
    m_undo->clear();
    // The names were checked above all at once; the overlay and the listeners catch up once at
    // the end. Per control, either would make opening a large form quadratic.
    m_opening = true;
    for (const QJsonValue& v : root.value(QStringLiteral("controls")).toArray()) {
        Result<void> inserted = insertEntry(v.toObject(), int(m_items.size()));
        if (!inserted && problems)
            problems->append(inserted.error().message());
    }
    m_opening = false;
    refreshOverlay();
    m_undo->clear();
    emit itemsChanged();
    return {};
}

Result<QByteArray> DesignForm::toJson() const
{
    QJsonObject root = m_root;
    QJsonArray controls;
    for (const DesignItem& item : m_items)
        controls.append(VELLOC_TRY(entryOf(item.name)));
    root.insert(QStringLiteral("controls"), controls);
    if (root.contains(QStringLiteral("tabOrder"))) {
        // A control deleted since leaves the focus order with it.
        const QStringList names = allNames();
        QJsonArray order;
        for (const QJsonValue& v : root.value(QStringLiteral("tabOrder")).toArray())
            if (names.contains(v.toString()))
                order.append(v);
        root.insert(QStringLiteral("tabOrder"), order);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void DesignForm::releaseAll()
{
    for (DesignItem& item : m_items)
        release(item);
    m_items.clear();
    m_selection.clear();
    delete m_overlay;
    m_overlay = nullptr;
    m_canvas.reset();
}

void DesignForm::release(DesignItem& item)
{
    if (item.control) {
        item.control->terminate();
        item.control->setSite(nullptr);
    }
    if (item.object && item.cookie)
        item.object->unadvise(item.cookie);
    if (item.control && item.face) {
        // A control's face is its own to delete, whenever the last holder lets the control go.
        item.face->hide();
        item.face->setParent(nullptr);
    } else {
        delete item.face;
    }
    item.control = nullptr;
    item.object.reset();
}

const DesignItem* DesignForm::item(const QString& name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &m_items[i];
}

int DesignForm::indexOf(const QString& name) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].name == name)
            return i;
    return -1;
}

QString DesignForm::nameOf(const Object* object) const
{
    for (const DesignItem& item : m_items)
        if (item.object.get() == object)
            return item.name;
    return {};
}

QStringList DesignForm::allNames() const
{
    QStringList names;
    for (const DesignItem& item : m_items) {
        QJsonObject entry = item.entry;
        entry.insert(QStringLiteral("name"), item.name);
        collectNames(entry, names);
    }
    return names;
}

QString DesignForm::nextName(const QString& className) const
{
    const QStringList names = allNames();
    for (int n = 1;; ++n) {
        const QString name = className + QString::number(n);
        if (!names.contains(name, Qt::CaseInsensitive))
            return name;
    }
}

Result<DesignItem> DesignForm::createComponent(const QJsonObject& entry)
{
    DesignItem item;
    item.name = entry.value(QStringLiteral("name")).toString();
    item.entry = entry;
    const QString progId = entry.value(QStringLiteral("progId")).toString();
    std::shared_ptr<Object> object = VELLOC_TRY(createObject(progId));
    auto* control = dynamic_cast<Control*>(object.get());
    if (!control)
        return Error(errc::InvalidArgument, QStringLiteral("\"%1\" is not a control").arg(progId));
    item.object = object;
    item.control = control;
    control->setSite(this);
    item.cookie = object->advise(this);
    if (entry.contains(QStringLiteral("width")) && entry.contains(QStringLiteral("height")))
        control->setExtent(QSize(entry.value(QStringLiteral("width")).toInt(), entry.value(QStringLiteral("height")).toInt()));
    if (control->extent().isEmpty())
        control->setExtent(QSize(1200, 600));
    Result<void> loaded;
    if (entry.contains(QStringLiteral("bag"))) {
        QStringList lines;
        for (const QJsonValue& line : entry.value(QStringLiteral("bag")).toArray())
            lines << line.toString();
        Result<PropertyBag> bag = PropertyBag::fromText(lines.join(QLatin1Char('\n')));
        if (!bag) {
            release(item);
            return Error(bag.error().number(), QStringLiteral("its saved properties do not read: %1").arg(bag.error().message()));
        }
        loaded = control->readProperties(bag.value());
    } else {
        loaded = control->initProperties();
    }
    if (!loaded) {
        release(item);
        return Error(loaded.error().number(), QStringLiteral("the control refused its saved properties: %1").arg(loaded.error().message()));
    }
    item.twips = QRect(QPoint(entry.value(QStringLiteral("left")).toInt(), entry.value(QStringLiteral("top")).toInt()),
                       control->extent());
    item.face = control->widget();
    return item;
}

Result<DesignItem> DesignForm::createBuiltIn(const QJsonObject& entry)
{
    if (holdsComponent(entry))
        return Error(errc::InvalidArgument, QStringLiteral("a component inside a frame cannot be designed here"));
    // The loader builds the control in a window of its own, which hands it over.
    QJsonObject window {{QStringLiteral("controls"), QJsonArray {entry}}};
    std::unique_ptr<Form> form = VELLOC_TRY(FormLoader::fromJson(QJsonDocument(window).toJson()));
    DesignItem item;
    item.name = entry.value(QStringLiteral("name")).toString();
    item.entry = entry;
    item.twips = twipsOf(entry);
    item.face = form->control(item.name);
    if (!item.face)
        return Error(errc::InvalidArgument, QStringLiteral("the loader made no control of this entry"));
    item.face->setParent(m_canvas.get()); // before the loader's window goes, and its children with it
    return item;
}

QWidget* DesignForm::brokenFace(const QString& name, const QString& problem)
{
    auto* face = new QLabel(QStringLiteral("%1\n%2").arg(name, problem));
    face->setWordWrap(true);
    face->setToolTip(problem);
    face->setStyleSheet(QStringLiteral("QLabel { background: #f4f4f4; color: #808080; border: 1px dashed #b03030; }"));
    return face;
}

Result<void> DesignForm::insertEntry(const QJsonObject& entry, int index, bool keepBroken)
{
    const QString name = entry.value(QStringLiteral("name")).toString();
    if (name.isEmpty())
        return Error(errc::InvalidArgument, QStringLiteral("the form: a control has no name"));
    if (!m_opening) {
        QStringList incoming;
        collectNames(entry, incoming);
        const QStringList present = allNames();
        // Matched with case, as the loader matches them.
        for (const QString& n : std::as_const(incoming))
            if (present.contains(n))
                return Error(errc::InvalidArgument, QStringLiteral("%1: the name is used twice").arg(n));
    }

    Result<DesignItem> made = kindOf(entry) == QLatin1String("component") ? createComponent(entry) : createBuiltIn(entry);
    DesignItem item;
    Error failure;
    if (!made && !keepBroken)
        return Error(made.error().number(), QStringLiteral("%1: %2").arg(name, made.error().message()));
    if (made) {
        item = std::move(made.value());
    } else {
        // Kept as written, so that saving loses nothing of it.
        failure = Error(made.error().number(), QStringLiteral("%1: %2").arg(name, made.error().message()));
        item.name = name;
        item.entry = entry;
        item.twips = twipsOf(entry);
        if (item.twips.width() <= 0 || item.twips.height() <= 0)
            item.twips.setSize(QSize(2400, 600));
        item.problem = made.error().message();
        item.face = brokenFace(name, item.problem);
    }
    item.entryTwips = item.twips;
    item.face->setParent(m_canvas.get());
    item.face->setObjectName(name);
    place(item);
    item.face->show();
    if (item.control)
        item.control->show(); // the container protocol's Show: the face is on screen
    m_items.insert(std::clamp<qsizetype>(index, 0, m_items.size()), std::move(item));
    if (!m_opening) {
        refreshOverlay();
        emit itemsChanged();
    }
    if (!made)
        return failure;
    return {};
}

void DesignForm::place(DesignItem& item)
{
    if (!item.face)
        return;
    if (item.control) {
        item.control->setExtent(item.twips.size());
        item.control->resize();
        item.face->move(units::toPixelsX(item.twips.x()), units::toPixelsY(item.twips.y()));
        item.face->setVisible(!(m_runMode && item.control->invisibleAtRunTime()));
    } else if (item.entry.value(QStringLiteral("autoSize")).toBool() && item.twips == item.entryTwips) {
        item.face->move(units::toPixelsX(item.twips.x()), units::toPixelsY(item.twips.y()));
    } else {
        item.face->setGeometry(units::toPixels(item.twips.x(), item.twips.y(), item.twips.width(), item.twips.height()));
    }
}

Result<QJsonObject> DesignForm::entryOf(const QString& name) const
{
    const DesignItem* it = item(name);
    if (!it)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    QJsonObject entry = it->entry;
    entry.insert(QStringLiteral("name"), it->name);
    if (it->twips != it->entryTwips)
        setTwips(entry, it->twips);
    if (it->control) {
        PropertyBag bag;
        Result<void> written = it->control->writeProperties(bag);
        if (!written)
            return Error(written.error().number(),
                         QStringLiteral("%1 did not write its properties: %2").arg(name, written.error().message()));
        QJsonArray lines = bagLines(bag);
        if (!sameBag(entry.value(QStringLiteral("bag")).toArray(), lines))
            entry.insert(QStringLiteral("bag"), lines);
    }
    return entry;
}

void DesignForm::removeItem(const QString& name)
{
    const int i = indexOf(name);
    if (i < 0)
        return;
    release(m_items[i]);
    m_items.removeAt(i);
    if (m_selection.removeAll(name))
        emit selectionChanged();
    refreshOverlay();
    emit itemsChanged();
}

void DesignForm::setGeometryTwips(const QString& name, QRect twips)
{
    const int i = indexOf(name);
    if (i < 0)
        return;
    m_items[i].twips = twips;
    place(m_items[i]);
    refreshOverlay();
    emit controlPropertyChanged(name, QString());
}

void DesignForm::renameItem(const QString& oldName, const QString& newName)
{
    const int i = indexOf(oldName);
    if (i < 0)
        return;
    m_items[i].name = newName;
    m_items[i].entry.insert(QStringLiteral("name"), newName);
    if (m_items[i].face)
        m_items[i].face->setObjectName(newName);
    QJsonArray order = m_root.value(QStringLiteral("tabOrder")).toArray();
    for (qsizetype i = 0; i < order.size(); ++i)
        if (order[i].toString() == oldName)
            order[i] = newName;
    if (m_root.contains(QStringLiteral("tabOrder")))
        m_root.insert(QStringLiteral("tabOrder"), order);
    for (QString& s : m_selection)
        if (s == oldName)
            s = newName;
    emit itemsChanged();
    emit selectionChanged();
}

Result<void> DesignForm::readState(const QString& name, const PropertyBag& bag)
{
    const DesignItem* it = item(name);
    if (!it || !it->control)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    Result<void> read = it->control->readProperties(bag);
    emit controlPropertyChanged(name, QString());
    if (!read)
        return Error(read.error().number(), QStringLiteral("%1 refused the properties: %2").arg(name, read.error().message()));
    return {};
}

Result<PropertyBag> DesignForm::bagOf(const QString& name) const
{
    const DesignItem* it = item(name);
    if (!it || !it->control)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    PropertyBag bag;
    VELLOC_TRY_VOID(it->control->writeProperties(bag));
    return bag;
}

Result<QString> DesignForm::insertControl(const QString& progId, QPoint twipsPos)
{
    Result<Registry::ClassEntry> cls = firstClass(progId);
    QString className;
    if (cls) {
        className = cls->name;
    } else {
        for (const ClassInfo& builtIn : builtInClasses())
            if (builtIn.progId.compare(progId, Qt::CaseInsensitive) == 0)
                className = builtIn.name;
        if (className.isEmpty())
            return cls.releaseError();
    }
    if (twipsPos.x() < 0) {
        // Below everything already on the form, so that nothing is covered.
        int bottom = 120;
        for (const DesignItem& it : std::as_const(m_items))
            bottom = std::max(bottom, it.twips.bottom() + 1);
        twipsPos = QPoint(240, bottom + 120);
    }
    const QString name = nextName(className);
    QJsonObject entry {{QStringLiteral("name"), name},
                       {QStringLiteral("kind"), QStringLiteral("component")},
                       {QStringLiteral("progId"), cls ? cls->progId : progId},
                       {QStringLiteral("left"), twipsPos.x()},
                       {QStringLiteral("top"), twipsPos.y()}};
    VELLOC_TRY_VOID(insertEntry(entry, int(m_items.size()), false));
    Result<QJsonObject> made = entryOf(name);
    if (!made) {
        removeItem(name);
        return made.releaseError();
    }
    m_undo->push(new EntriesCommand(this, QStringLiteral("Insert %1").arg(name), true, {{int(m_items.size()) - 1, *made}}, true));
    select({name});
    return name;
}

void DesignForm::deleteSelection()
{
    QList<std::pair<int, QJsonObject>> entries;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_selection.contains(m_items[i].name)) {
            // What cannot be brought back is not deleted.
            Result<QJsonObject> entry = entryOf(m_items[i].name);
            if (!entry)
                return report(entry.error());
            entries.append({i, *entry});
        }
    if (entries.isEmpty())
        return;
    m_undo->push(new EntriesCommand(this, QStringLiteral("Delete %1").arg(m_selection.join(QStringLiteral(", "))), false,
                                    entries));
}

void DesignForm::moveSelection(QPoint twipsDelta, QSize twipsResize)
{
    QHash<QString, QRect> before, after;
    for (const QString& name : std::as_const(m_selection)) {
        const DesignItem* it = item(name);
        if (!it)
            continue;
        QRect r = it->twips.translated(twipsDelta);
        r.setSize((r.size() + twipsResize).expandedTo(QSize(int(units::twipsPerPixelX()), int(units::twipsPerPixelY()))));
        before.insert(name, it->twips);
        after.insert(name, r);
    }
    if (!after.isEmpty() && after != before)
        m_undo->push(new GeometryCommand(this, twipsResize.isNull() ? QStringLiteral("Move") : QStringLiteral("Resize"),
                                         before, after));
}

Result<void> DesignForm::rename(const QString& oldName, const QString& newName)
{
    if (!item(oldName))
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(oldName));
    if (newName == oldName)
        return {};
    if (!isValidControlName(newName))
        return Error(errc::InvalidArgument, QStringLiteral("\"%1\" is not a valid name: a letter, then letters, digits or _ (at most 40)").arg(newName));
    if (allNames().contains(newName, Qt::CaseInsensitive) && newName.compare(oldName, Qt::CaseInsensitive) != 0)
        return Error(errc::InvalidArgument, QStringLiteral("%1: the name is used twice").arg(newName));
    m_undo->push(new RenameCommand(this, oldName, newName));
    return {};
}

const QStringList& DesignForm::formKeys()
{
    static const QStringList keys {QStringLiteral("name"), QStringLiteral("caption"), QStringLiteral("clientWidth"),
                                   QStringLiteral("clientHeight")};
    return keys;
}

Result<void> DesignForm::setFormValue(const QString& key, const QString& text)
{
    QJsonObject root = m_root;
    if (key == QLatin1String("name")) {
        if (!isValidControlName(text))
            return Error(errc::InvalidArgument, QStringLiteral("\"%1\" is not a valid name: a letter, then letters, digits or _ (at most 40)").arg(text));
        root.insert(key, text);
    } else if (key == QLatin1String("caption")) {
        root.insert(key, text);
    } else if (key == QLatin1String("clientWidth") || key == QLatin1String("clientHeight")) {
        bool ok = false;
        const int twips = text.trimmed().toInt(&ok);
        if (!ok || twips < 300 || twips > 100000)
            return Error(errc::InvalidArgument, QStringLiteral("%1 takes a size in twips from 300 to 100000").arg(key));
        root.insert(key, twips);
    } else {
        return Error(errc::NotSupported, QStringLiteral("The form has no property %1").arg(key));
    }
    if (root == m_root)
        return {};
    // Tried first, so that a refused value leaves the form as it was.
    VELLOC_TRY(buildCanvas(root));
    m_undo->push(new RootCommand(this, QStringLiteral("Set the form's %1").arg(key), m_root, root));
    return {};
}

Result<void> DesignForm::setRoot(const QJsonObject& root)
{
    std::unique_ptr<Form> canvas = VELLOC_TRY(buildCanvas(root));
    adopt(*canvas);
    for (DesignItem& item : m_items)
        if (item.face) {
            item.face->setParent(canvas.get());
            place(item);
            if (!(m_runMode && item.control && item.control->invisibleAtRunTime()))
                item.face->show();
        }
    m_overlay->setParent(canvas.get());
    m_overlay->setGeometry(canvas->rect());
    m_overlay->setVisible(!m_runMode);
    m_canvas = std::move(canvas);
    m_root = root;
    setFixedSize(m_canvas->size());
    refreshOverlay();
    emit itemsChanged();
    emit controlPropertyChanged(QString(), QString());
    return {};
}

Result<void> DesignForm::putProperty(const QString& name, DispId id, const Variant& value, bool byRef)
{
    const DesignItem* it = item(name);
    if (!it || !it->object)
        return Error(errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
    std::shared_ptr<Object> object = it->object;
    const PropertyBag before = VELLOC_TRY(bagOf(name));
    Variant arg = value;
    VELLOC_TRY(object->invoke(id, byRef ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut, std::span<Variant>(&arg, 1)));
    const MemberInfo* member = object->dispatch().info().findAny(id);
    recordStateChange(name, before, QStringLiteral("Set %1.%2").arg(name, member ? member->name : QString::number(id)));
    return {};
}

void DesignForm::recordStateChange(const QString& name, const PropertyBag& before, const QString& text)
{
    Result<PropertyBag> after = bagOf(name);
    if (!after || after->toText() == before.toText()) {
        emit controlPropertyChanged(name, QString());
        return;
    }
    m_undo->push(new StateCommand(this, text, name, before, after.value()));
}

Result<void> DesignForm::loadBag(const QString& name, const PropertyBag& bag)
{
    const PropertyBag before = VELLOC_TRY(bagOf(name));
    Result<void> read = readState(name, bag);
    if (!read) {
        // Whatever the control took of the refused bag is put back.
        (void)readState(name, before);
        return read;
    }
    recordStateChange(name, before, QStringLiteral("Load properties of %1").arg(name));
    return {};
}

Result<QJsonArray> DesignForm::copySelection() const
{
    QJsonArray entries;
    for (const DesignItem& it : m_items)
        if (m_selection.contains(it.name))
            entries.append(VELLOC_TRY(entryOf(it.name)));
    return entries;
}

Result<QStringList> DesignForm::paste(const QJsonArray& entries)
{
    QList<std::pair<int, QJsonObject>> list;
    QStringList names = allNames();
    QStringList pasted;
    for (const QJsonValue& v : entries) {
        QJsonObject entry = v.toObject();
        if (holdsComponent(entry) || !entry.value(QStringLiteral("controls")).toArray().isEmpty())
            return Error(errc::InvalidArgument, QStringLiteral("%1: a frame with controls is not pasted").arg(entry.value(QStringLiteral("name")).toString()));
        QString name = entry.value(QStringLiteral("name")).toString();
        if (names.contains(name, Qt::CaseInsensitive)) {
            QString base = name;
            while (!base.isEmpty() && base.back().isDigit())
                base.chop(1);
            for (int n = 1;; ++n)
                if (!names.contains(base + QString::number(n), Qt::CaseInsensitive)) {
                    name = base + QString::number(n);
                    break;
                }
        }
        names << name;
        pasted << name;
        entry.insert(QStringLiteral("name"), name);
        QRect r = twipsOf(entry).translated(120, 120);
        if (entry.contains(QStringLiteral("left")))
            setTwips(entry, r);
        list.append({int(m_items.size()) + int(list.size()), entry});
    }
    if (list.isEmpty())
        return pasted;
    // A control that cannot be made again is reported by the command and pasted as written.
    m_undo->push(new EntriesCommand(this, QStringLiteral("Paste %1").arg(pasted.join(QStringLiteral(", "))), true, list));
    return pasted;
}

void DesignForm::select(const QStringList& names)
{
    QStringList valid;
    for (const QString& n : names)
        if (item(n) && !valid.contains(n))
            valid << n;
    if (valid == m_selection)
        return;
    m_selection = valid;
    refreshOverlay();
    emit selectionChanged();
}

QRect DesignForm::pixelRect(const DesignItem& item) const
{
    if (item.face)
        return item.face->geometry();
    return units::toPixels(item.twips.x(), item.twips.y(), item.twips.width(), item.twips.height());
}

QString DesignForm::itemAt(QPoint pixel) const
{
    for (qsizetype i = m_items.size() - 1; i >= 0; --i)
        if (pixelRect(m_items[i]).contains(pixel))
            return m_items[i].name;
    return {};
}

void DesignForm::setRunMode(bool run)
{
    if (run == m_runMode)
        return;
    m_runMode = run;
    for (DesignItem& it : m_items) {
        place(it);
        if (it.control && it.face && it.face->isVisible())
            it.control->show();
    }
    if (m_overlay) {
        m_overlay->setVisible(!run);
        m_overlay->raise();
    }
    emit runModeChanged(run);
}

void DesignForm::focusDesign()
{
    if (m_overlay && !m_runMode)
        m_overlay->setFocus();
}

void DesignForm::refreshOverlay()
{
    if (m_overlay) {
        m_overlay->raise();
        m_overlay->update();
    }
}

Result<void> DesignForm::propertyChanged(Control& control, const QString& name)
{
    emit controlPropertyChanged(nameOf(&control), name);
    return {};
}

std::shared_ptr<Font> DesignForm::ambientFont()
{
    return m_canvas ? m_canvas->ambientFont() : Font::create();
}

void DesignForm::onEvent(Object& source, const MemberInfo& event, std::span<Variant> args)
{
    QStringList texts;
    for (const Variant& v : args)
        texts << varianttext::format(v);
    emit eventRaised(nameOf(&source), event.name, texts);
}

} // namespace container
