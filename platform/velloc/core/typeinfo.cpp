#include "velloc/core/typeinfo.h"

#include <QTextStream>

namespace velloc {

QString memberKindName(MemberKind kind)
{
    switch (kind) {
    case MemberKind::Method: return QStringLiteral("method");
    case MemberKind::PropertyGet: return QStringLiteral("propget");
    case MemberKind::PropertyPut: return QStringLiteral("propput");
    case MemberKind::PropertyPutRef: return QStringLiteral("propputref");
    }
    return {};
}

QString TypeRef::displayName() const
{
    return alias.isEmpty() ? varTypeName(vt) : alias;
}

void InterfaceInfo::addEvent(QString name, DispId id, QList<ParamInfo> params, QString help)
{
    MemberInfo m;
    m.name = std::move(name);
    m.id = id;
    m.params = std::move(params);
    m.result = TypeRef {VarType::Void, {}};
    m.help = std::move(help);
    members.append(std::move(m));
}

const MemberInfo* InterfaceInfo::find(DispId id, MemberKind kind) const
{
    for (const MemberInfo& m : members)
        if (m.id == id && m.kind == kind)
            return &m;
    return nullptr;
}

const MemberInfo* InterfaceInfo::findByName(QStringView name, MemberKind kind) const
{
    for (const MemberInfo& m : members)
        if (m.kind == kind && m.name.compare(name, Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

const MemberInfo* InterfaceInfo::findAnyByName(QStringView name) const
{
    for (const MemberInfo& m : members)
        if (m.name.compare(name, Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

const MemberInfo* InterfaceInfo::findAny(DispId id) const
{
    for (const MemberInfo& m : members)
        if (m.id == id)
            return &m;
    return nullptr;
}

QImage TypeLibInfo::bitmap(int id) const
{
    for (const auto& [number, draw] : bitmaps)
        if (number == id)
            return draw();
    return {};
}

const ClassInfo* TypeLibInfo::findClass(const Guid& clsid) const
{
    for (const ClassInfo& c : classes)
        if (c.clsid == clsid)
            return &c;
    return nullptr;
}

static QString quoted(const QString& s)
{
    QString out = s;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

static QString hexId(DispId id)
{
    return QStringLiteral("0x%1").arg(quint32(id), 8, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("0X"), QLatin1String("0x"));
}

static void formatMembers(QTextStream& out, const InterfaceInfo& itf, bool events)
{
    for (const MemberInfo& m : itf.members) {
        QStringList params;
        for (const ParamInfo& p : m.params)
            params << QStringLiteral("%1%2: %3").arg(p.byRef ? QStringLiteral("[in, out] ") : QString(), p.name,
                                                     p.type.displayName());
        out << "  " << hexId(m.id) << ' ' << (events ? QStringLiteral("event") : memberKindName(m.kind)) << ' '
            << m.name << '(' << params.join(QStringLiteral(", ")) << ')';
        if (!events && m.result.vt != VarType::Void)
            out << " -> " << m.result.displayName();
        if (!m.help.isEmpty())
            out << " helpstring " << quoted(m.help);
        if (!m.category.isEmpty())
            out << " category " << quoted(m.category);
        if (!m.propertyPage.isNull())
            out << " page " << m.propertyPage.toString();
        if (m.hidden)
            out << " hidden";
        out << '\n';
    }
}

QString formatTypeLib(const TypeLibInfo& lib)
{
    QString text;
    QTextStream out(&text);
    out << "library " << lib.name << ' ' << lib.libid.toString() << " version " << lib.majorVersion << '.'
        << lib.minorVersion << " lcid " << lib.lcid << '\n';
    if (!lib.helpString.isEmpty())
        out << "  helpstring " << quoted(lib.helpString) << '\n';
    if (!lib.helpFile.isEmpty())
        out << "  helpfile " << quoted(lib.helpFile) << '\n';
    if (!lib.version.fileVersion.isEmpty())
        out << "  fileversion " << lib.version.fileVersion << '\n';
    if (!lib.version.description.isEmpty())
        out << "  description " << quoted(lib.version.description) << '\n';
    if (!lib.version.legalCopyright.isEmpty())
        out << "  copyright " << quoted(lib.version.legalCopyright) << '\n';
    if (lib.version.selfRegister)
        out << "  selfregister\n";
    for (const auto& [number, draw] : lib.bitmaps) {
        const QImage image = draw();
        out << "  bitmap " << number << ' ' << image.width() << 'x' << image.height() << 'x' << image.depth() << '\n';
    }
    for (const EnumInfo& e : lib.enums) {
        out << "enum " << e.name << ' ' << e.guid.toString() << '\n';
        for (const EnumInfo::Value& v : e.values) {
            out << "  " << v.value << ' ' << v.name;
            if (!v.help.isEmpty())
                out << " helpstring " << quoted(v.help);
            out << '\n';
        }
    }
    for (const InterfaceInfo* itf : lib.interfaces) {
        QStringList flags;
        if (itf->dual) flags << QStringLiteral("dual");
        if (itf->dispatchOnly) flags << QStringLiteral("dispatch");
        if (itf->hidden) flags << QStringLiteral("hidden");
        if (itf->nonExtensible) flags << QStringLiteral("nonextensible");
        bool isEvents = false;
        for (const ClassInfo& c : lib.classes)
            if (c.eventInterface == itf)
                isEvents = true;
        out << (itf->dispatchOnly ? "dispinterface " : "interface ") << itf->name << ' ' << itf->iid.toString();
        if (!flags.isEmpty())
            out << ' ' << flags.join(QLatin1Char(' '));
        out << '\n';
        formatMembers(out, *itf, isEvents);
    }
    for (const ClassInfo& c : lib.classes) {
        out << "coclass " << c.name << ' ' << c.clsid.toString();
        if (c.control)
            out << " control";
        if (c.propertyPage)
            out << " propertypage";
        if (!c.progId.isEmpty())
            out << " progid " << quoted(c.progId);
        out << '\n';
        if (c.defaultInterface)
            out << "  default interface " << c.defaultInterface->name << '\n';
        if (c.eventInterface)
            out << "  default source " << c.eventInterface->name << '\n';
        for (const Guid& page : c.propertyPages)
            out << "  propertypage " << page.toString() << '\n';
    }
    return text;
}

} // namespace velloc
