#include "formdocument.h"

#include "formentry.h"

#include <QSet>

using namespace velloc;

namespace container {

using namespace formentry;

FormDocument::FormDocument()
    : m_root {{QStringLiteral("name"), QStringLiteral("Form1")},
              {QStringLiteral("caption"), QStringLiteral("Form1")},
              {QStringLiteral("clientWidth"), 7200},
              {QStringLiteral("clientHeight"), 5400},
              {QStringLiteral("borderStyle"), QStringLiteral("sizable")},
              {QStringLiteral("font"), QStringLiteral("font:\"MS Sans Serif\" 8.25 400 -")}}
{
}

Result<FormDocument> FormDocument::parse(const QByteArray& json)
{
    JsonText text = VELLOC_TRY(parseJson(json, QStringLiteral("The form description")));
    if (!text.document.isObject())
        return Error(errc::InvalidArgument, QStringLiteral("The form description is a JSON array; it must be an object ({ ... })"));
    FormDocument doc;
    doc.m_root = text.document.object();
    // Names are how the form finds its controls: a form that repeats or lacks one is refused
    // whole, as the loader refuses it, rather than opened with a control missing.
    QStringList names;
    for (const QJsonValue& v : doc.controls())
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
    doc.m_rootOrder = text.order;
    doc.m_indent = text.indent;
    doc.readOrders(doc.controls(), doc.m_rootOrder.members.take(QStringLiteral("controls")));
    return doc;
}

void FormDocument::readOrders(const QJsonArray& controls, const JsonKeyOrder& order)
{
    for (qsizetype i = 0; i < controls.size(); ++i) {
        JsonKeyOrder entryOrder = order.elements.value(i);
        const JsonKeyOrder inner = entryOrder.members.take(QStringLiteral("controls"));
        readOrders(controls[i].toObject().value(QStringLiteral("controls")).toArray(), inner);
        m_orders.insert(nameOf(controls[i].toObject()), entryOrder);
    }
}

JsonKeyOrder FormDocument::orderOf(const QJsonObject& entry) const
{
    // A frame's controls are found by name, so that one moved, added or deleted inside it
    // leaves the others' keys in their order.
    JsonKeyOrder order = m_orders.value(nameOf(entry));
    if (entry.contains(QStringLiteral("controls"))) {
        JsonKeyOrder& inner = order.members[QStringLiteral("controls")];
        for (const QJsonValue& child : entry.value(QStringLiteral("controls")).toArray())
            inner.elements << orderOf(child.toObject());
    }
    return order;
}

void FormDocument::setFocusOrder(const QJsonValue& order)
{
    if (order.isUndefined())
        m_root.remove(QStringLiteral("tabOrder"));
    else
        m_root.insert(QStringLiteral("tabOrder"), order);
}

QRect FormDocument::client() const
{
    return QRect(0, 0, m_root.value(QStringLiteral("clientWidth")).toInt(), m_root.value(QStringLiteral("clientHeight")).toInt());
}

QByteArray FormDocument::write(const QList<QJsonObject>& entries) const
{
    QJsonObject root = m_root;
    JsonKeyOrder order = m_rootOrder;
    JsonKeyOrder& controlsOrder = order.members[QStringLiteral("controls")];
    QJsonArray controls;
    QStringList names;
    for (const QJsonObject& entry : entries) {
        controls.append(entry);
        controlsOrder.elements << orderOf(entry);
        collectNames(entry, names);
    }
    root.insert(QStringLiteral("controls"), controls);
    if (root.contains(QStringLiteral("tabOrder"))) {
        // A control deleted since leaves the focus order with it.
        QJsonArray focus;
        for (const QJsonValue& v : root.value(QStringLiteral("tabOrder")).toArray())
            if (names.contains(v.toString()))
                focus.append(v);
        root.insert(QStringLiteral("tabOrder"), focus);
    }
    return writeJson(root, order, m_indent);
}

void FormDocument::renamed(const QString& oldName, const QString& newName)
{
    if (m_orders.contains(oldName))
        m_orders.insert(newName, m_orders.value(oldName));
    if (!m_root.contains(QStringLiteral("tabOrder")))
        return;
    QJsonArray focus = m_root.value(QStringLiteral("tabOrder")).toArray();
    for (qsizetype i = 0; i < focus.size(); ++i)
        if (focus[i].toString() == oldName)
            focus[i] = newName;
    m_root.insert(QStringLiteral("tabOrder"), focus);
}

const QStringList& FormDocument::formKeys()
{
    static const QStringList keys {QStringLiteral("name"), QStringLiteral("caption"), QStringLiteral("clientWidth"),
                                   QStringLiteral("clientHeight")};
    return keys;
}

Result<QJsonObject> FormDocument::withFormValue(const QString& key, const QString& text) const
{
    QJsonObject root = m_root;
    if (key == QLatin1String("name")) {
        if (!isValidName(text))
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
    return root;
}

QString FormDocument::nextName(const QString& className, const QStringList& taken)
{
    for (int n = 1;; ++n)
        if (const QString name = className + QString::number(n); !taken.contains(name, Qt::CaseInsensitive))
            return name;
}

QString FormDocument::freeName(const QString& name, const QStringList& taken)
{
    if (!taken.contains(name, Qt::CaseInsensitive))
        return name;
    QString base = name;
    while (!base.isEmpty() && base.back().isDigit())
        base.chop(1);
    return nextName(base, taken);
}

Result<void> FormDocument::checkNames(const QJsonObject& entry, const QStringList& present)
{
    if (nameOf(entry).isEmpty())
        return Error(errc::InvalidArgument, QStringLiteral("the form: a control has no name"));
    QStringList incoming;
    collectNames(entry, incoming);
    for (const QString& n : std::as_const(incoming))
        if (present.contains(n))
            return Error(errc::InvalidArgument, QStringLiteral("%1: the name is used twice").arg(n));
    return {};
}

QPoint FormDocument::freeSpot(QSize size, const QList<QRect>& taken) const
{
    // The first place, line by line, where the control covers nothing and is whole on the form.
    constexpr int Step = 120;
    const QRect form = client();
    for (int y = Step; y + size.height() <= form.height(); y += Step)
        for (int x = Step; x + size.width() <= form.width(); x += Step) {
            const QRect spot(QPoint(x, y), size);
            if (std::none_of(taken.cbegin(), taken.cend(), [&](const QRect& r) { return r.adjusted(-60, -60, 60, 60).intersects(spot); }))
                return spot.topLeft();
        }
    // A full form: over the others, but in sight.
    return QPoint(std::max(0, (form.width() - size.width()) / 2), std::max(0, (form.height() - size.height()) / 2));
}

Result<QList<QJsonObject>> FormDocument::copies(const QJsonArray& entries, QStringList taken, std::optional<QPoint> at) const
{
    QList<QJsonObject> out;
    QRect bounds;
    for (const QJsonValue& v : entries) {
        QJsonObject entry = v.toObject();
        if (!entry.value(QStringLiteral("controls")).toArray().isEmpty())
            return Error(errc::InvalidArgument, QStringLiteral("%1: a frame with controls is not pasted").arg(nameOf(entry)));
        const QString name = freeName(nameOf(entry), taken);
        taken << name;
        entry.insert(QStringLiteral("name"), name);
        bounds |= twipsOf(entry);
        out << entry;
    }
    // The copies keep their places among themselves; together they go where the person clicked,
    // or beside the originals, and always whole on the form.
    const QRect form = client();
    QPoint topLeft = at ? *at : bounds.topLeft() + QPoint(120, 120);
    topLeft.setX(std::clamp(topLeft.x(), 0, std::max(0, form.width() - bounds.width())));
    topLeft.setY(std::clamp(topLeft.y(), 0, std::max(0, form.height() - bounds.height())));
    for (QJsonObject& entry : out)
        setTwips(entry, twipsOf(entry).translated(topLeft - bounds.topLeft()));
    return out;
}

QString FormDocument::placementProblem(const QString& name, QRect twips) const
{
    const QRect form = client();
    if (form.isEmpty() || form.intersects(twips))
        return {};
    return QStringLiteral("%1: lies outside the form (left %2, top %3; the form is %4 x %5)")
        .arg(name).arg(twips.x()).arg(twips.y()).arg(form.width()).arg(form.height());
}

} // namespace container
