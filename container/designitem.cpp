#include "designitem.h"

#include "formentry.h"

#include "velloc/core/units.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>

using namespace velloc;

namespace container {

using namespace formentry;

namespace {

Result<DesignItem> makeComponent(const QJsonObject& entry, ControlSite& site, EventSink& sink,
                                 const FormLoader::Variables& variables)
{
    DesignItem item;
    item.name = nameOf(entry);
    item.entry = entry;
    item.object = VELLOC_TRY(FormLoader::createControl(entry, site, variables));
    item.control = dynamic_cast<Control*>(item.object.get());
    item.cookie = item.object->advise(&sink);
    if (item.control->extent().isEmpty())
        item.control->setExtent(QSize(1200, 600));
    item.twips = QRect(QPoint(entry.value(QStringLiteral("left")).toInt(), entry.value(QStringLiteral("top")).toInt()),
                       item.control->extent());
    item.face = item.control->widget();
    return item;
}

Result<DesignItem> makeBuiltIn(const QJsonObject& entry, const FormLoader::Variables& variables)
{
    if (holdsComponent(entry))
        return Error(errc::InvalidArgument, QStringLiteral("a component inside a frame cannot be designed here"));
    // The loader builds the control in a window of its own, which hands it over.
    QJsonObject window {{QStringLiteral("controls"), QJsonArray {entry}}};
    std::unique_ptr<Form> form = VELLOC_TRY(FormLoader::fromJson(QJsonDocument(window).toJson(), variables));
    DesignItem item;
    item.name = nameOf(entry);
    item.entry = entry;
    item.twips = twipsOf(entry);
    item.face = form->control(item.name);
    if (!item.face)
        return Error(errc::InvalidArgument, QStringLiteral("the loader made no control of this entry"));
    item.face->setParent(nullptr); // before the loader's window goes, and its children with it
    return item;
}

} // namespace

Result<DesignItem> DesignItem::make(const QJsonObject& entry, ControlSite& site, EventSink& sink,
                                    const FormLoader::Variables& variables)
{
    DesignItem item = VELLOC_TRY(kindOf(entry) == QLatin1String("component") ? makeComponent(entry, site, sink, variables)
                                                                               : makeBuiltIn(entry, variables));
    item.entryTwips = item.twips;
    item.face->setObjectName(item.name);
    return item;
}

DesignItem DesignItem::broken(const QJsonObject& entry, const QString& problem)
{
    DesignItem item;
    item.name = nameOf(entry);
    item.entry = entry;
    item.twips = twipsOf(entry);
    if (item.twips.width() <= 0 || item.twips.height() <= 0)
        item.twips.setSize(QSize(2400, 600));
    item.entryTwips = item.twips;
    item.problem = problem;
    auto* face = new QLabel(QStringLiteral("%1\n%2").arg(item.name, problem));
    face->setWordWrap(true);
    face->setToolTip(problem);
    face->setStyleSheet(QStringLiteral("QLabel { background: #f4f4f4; color: #808080; border: 1px dashed #b03030; }"));
    face->setObjectName(item.name);
    item.face = face;
    return item;
}

void DesignItem::release()
{
    if (control) {
        control->terminate();
        control->setSite(nullptr);
    }
    if (object && cookie)
        object->unadvise(cookie);
    if (control && face) {
        // A control's face is its own to delete, whenever the last holder lets the control go.
        face->hide();
        face->setParent(nullptr);
    } else {
        delete face;
    }
    control = nullptr;
    object.reset();
}

QRect DesignItem::pixelRect() const
{
    return face ? face->geometry() : units::toPixels(twips.x(), twips.y(), twips.width(), twips.height());
}

void DesignItem::place(bool runMode)
{
    if (!face)
        return;
    if (control) {
        control->setExtent(twips.size());
        control->resize();
        face->move(units::toPixelsX(twips.x()), units::toPixelsY(twips.y()));
        face->setVisible(!(runMode && control->invisibleAtRunTime()));
    } else if (entry.value(QStringLiteral("autoSize")).toBool() && twips == entryTwips) {
        face->move(units::toPixelsX(twips.x()), units::toPixelsY(twips.y()));
    } else {
        face->setGeometry(units::toPixels(twips.x(), twips.y(), twips.width(), twips.height()));
    }
}

Result<QJsonObject> DesignItem::toEntry(const FormLoader::Variables& variables) const
{
    QJsonObject out = entry;
    out.insert(QStringLiteral("name"), name);
    if (twips != entryTwips)
        setTwips(out, twips);
    if (!control)
        return out;
    PropertyBag bag;
    Result<void> written = control->writeProperties(bag);
    if (!written)
        return Error(written.error().number(), QStringLiteral("%1 did not write its properties: %2").arg(name, written.error().message()));
    const QJsonArray lines = mergeBag(out.value(QStringLiteral("bag")).toArray(), bagLines(bag), variables);
    if (!lines.isEmpty() || out.contains(QStringLiteral("bag")))
        out.insert(QStringLiteral("bag"), lines);
    return out;
}

void DesignItem::rename(const QString& newName)
{
    name = newName;
    entry.insert(QStringLiteral("name"), newName);
    if (face)
        face->setObjectName(newName);
}

bool DesignItem::setEntryValue(const QString& key, const QJsonValue& value)
{
    if (entry.value(key) == value)
        return false;
    if (value.isUndefined())
        entry.remove(key);
    else
        entry.insert(key, value);
    return true;
}

void DesignItem::settle(QPoint twipsAt, bool runMode)
{
    entry.insert(QStringLiteral("left"), twipsAt.x());
    entry.insert(QStringLiteral("top"), twipsAt.y());
    twips.moveTopLeft(twipsAt);
    entryTwips = twips;
    place(runMode);
}

velloc::Error DesignItem::notOnForm(const QString& name)
{
    return velloc::Error(velloc::errc::InvalidArgument, QStringLiteral("%1 is not a control on the form").arg(name));
}

velloc::Result<velloc::PropertyBag> DesignItem::bag() const
{
    if (!control)
        return notOnForm(name);
    velloc::PropertyBag bag;
    VELLOC_TRY_VOID(control->writeProperties(bag));
    return bag;
}

velloc::Result<void> DesignItem::readState(const velloc::PropertyBag& bag) const
{
    if (!control)
        return notOnForm(name);
    if (velloc::Result<void> read = control->readProperties(bag); !read)
        return velloc::Error(read.error().number(), QStringLiteral("%1 refused the properties: %2").arg(name, read.error().message()));
    return {};
}

} // namespace container
