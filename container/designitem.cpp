#include "designitem.h"

#include "formentry.h"

#include "velloc/core/units.h"
#include "velloc/hosting/builtincontrol.h"

#include <QJsonArray>
#include <QLabel>

using namespace velloc;

namespace container {

using namespace formentry;

Result<DesignItem> DesignItem::make(const QJsonObject& entry, ControlSite& site, EventSink& sink,
                                    const FormLoader::Variables& variables, QWidget* parent)
{
    DesignItem item;
    item.name = nameOf(entry);
    item.entry = entry;
    // A frame's controls are items of their own, each made where the frame is.
    if (item.entry.contains(QStringLiteral("controls")))
        item.entry.insert(QStringLiteral("controls"), QJsonArray());
    item.object = VELLOC_TRY(FormLoader::createControl(entry, site, variables, parent));
    item.control = dynamic_cast<Control*>(item.object.get());
    item.cookie = item.object->advise(&sink);
    if (dynamic_cast<BuiltInControl*>(item.control)) {
        item.twips = twipsOf(entry);
    } else {
        if (item.control->extent().isEmpty())
            item.control->setExtent(QSize(1200, 600));
        item.twips = QRect(QPoint(entry.value(QStringLiteral("left")).toInt(), entry.value(QStringLiteral("top")).toInt()),
                           item.control->extent());
    }
    item.face = item.control->widget();
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
    if (control && face && object.use_count() > 1) {
        // A control's face is its own to delete, whenever the last holder lets the control go:
        // while another holds the control, it keeps its face off the form.
        face->hide();
        face->setParent(nullptr);
    } else if (!control) {
        delete face;
    }
    control = nullptr;
    object.reset();
}

bool DesignItem::ownsVisible() const
{
    return object && object->idOfName(u"Visible").has_value();
}

bool DesignItem::visibleAtRunTime() const
{
    if (control && control->invisibleAtRunTime())
        return false;
    if (auto* builtIn = dynamic_cast<const BuiltInControl*>(control))
        return builtIn->isVisible();
    if (ownsVisible())
        if (Result<Variant> v = object->invoke(*object->idOfName(u"Visible"), InvokeKind::PropertyGet, {}); v && v->type() == VarType::Bool)
            return v->boolean();
    return entry.value(QStringLiteral("visible")).toBool(true);
}

QRect DesignItem::pixelRect() const
{
    if (!face)
        return units::toPixels(twips.x(), twips.y(), twips.width(), twips.height());
    // On the form, through the frames that hold it.
    QRect r = face->geometry();
    for (const QWidget* holder = face->parentWidget(); holder && !dynamic_cast<const Form*>(holder); holder = holder->parentWidget())
        r.translate(holder->pos());
    return r;
}

void DesignItem::place(bool runMode)
{
    if (!face)
        return;
    if (control) {
        control->setExtent(twips.size());
        control->resize();
        face->move(units::toPixelsX(twips.x()), units::toPixelsY(twips.y()));
        // A form being designed shows every control; running, only those shown at run time.
        face->setVisible(!runMode || visibleAtRunTime());
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
    if (auto* builtIn = dynamic_cast<BuiltInControl*>(control)) {
        Result<QJsonObject> written = builtIn->entryWith(out, variables);
        if (!written)
            return Error(written.error().number(), QStringLiteral("%1 did not write its properties: %2").arg(name, written.error().message()));
        return written;
    }
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
