#include "proxygen.h"

#include "velloc/hosting/propertyeditor.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QSet>
#include <QWidget>

using namespace velloc;

namespace proxygen {

namespace {

// Names a generated member must not take: what QWidget and velloc::ControlHost already have.
const QSet<QString>& reservedNames()
{
    static const QSet<QString> names = [] {
        QSet<QString> set {
            // ControlHost
            QStringLiteral("error"), QStringLiteral("messageShown"), QStringLiteral("propertyChanged"),
            QStringLiteral("eventRaised"), QStringLiteral("getProperty"), QStringLiteral("putProperty"),
            QStringLiteral("putPropertyRef"), QStringLiteral("invokeMethod"), QStringLiteral("lastError"),
            QStringLiteral("isNull"), QStringLiteral("progId"), QStringLiteral("object"), QStringLiteral("control"),
            QStringLiteral("userMode"), QStringLiteral("setUserMode"), QStringLiteral("setAmbientFont"),
            QStringLiteral("onPropertyChanged"), QStringLiteral("onEvent"), QStringLiteral("take"),
            QStringLiteral("fail"), QStringLiteral("succeed"), QStringLiteral("fromColor"), QStringLiteral("toColor"),
            QStringLiteral("fromFont"), QStringLiteral("toFont"), QStringLiteral("fromPixmap"),
            QStringLiteral("toPixmap"), QStringLiteral("toQVariant"), QStringLiteral("fromQVariant"),
            QStringLiteral("classProgId"), QStringLiteral("savedState"), QStringLiteral("setSavedState"),
            // QWidget and QObject members that are neither properties nor meta-methods
            QStringLiteral("size"), QStringLiteral("width"), QStringLiteral("height"), QStringLiteral("x"),
            QStringLiteral("y"), QStringLiteral("pos"), QStringLiteral("rect"), QStringLiteral("move"),
            QStringLiteral("resize"), QStringLiteral("parent"), QStringLiteral("children"), QStringLiteral("event"),
            QStringLiteral("layout"), QStringLiteral("style"), QStringLiteral("window"), QStringLiteral("metaObject"),
            QStringLiteral("property"), QStringLiteral("setProperty"), QStringLiteral("font"),
            QStringLiteral("setFont"), QStringLiteral("palette"), QStringLiteral("setPalette"),
            QStringLiteral("isEnabled"), QStringLiteral("setEnabled"), QStringLiteral("isVisible"),
            QStringLiteral("setVisible"), QStringLiteral("connect"), QStringLiteral("disconnect"),
            QStringLiteral("find"), QStringLiteral("grab"), QStringLiteral("render"), QStringLiteral("scroll"),
            QStringLiteral("effectiveWinId"), QStringLiteral("sizeHint"), QStringLiteral("minimumSizeHint"),
        };
        const QMetaObject& mo = QWidget::staticMetaObject;
        for (int i = 0; i < mo.methodCount(); ++i)
            set.insert(QString::fromLatin1(mo.method(i).name()));
        for (int i = 0; i < mo.propertyCount(); ++i) {
            const QString name = QString::fromLatin1(mo.property(i).name());
            const QString cap = name.left(1).toUpper() + name.mid(1);
            set << name << QStringLiteral("set") + cap << QStringLiteral("is") + cap << name + QStringLiteral("Changed");
        }
        return set;
    }();
    return names;
}

bool isKeyword(const QString& name)
{
    static const QSet<QString> words {
        QStringLiteral("and"), QStringLiteral("auto"), QStringLiteral("bool"), QStringLiteral("break"),
        QStringLiteral("case"), QStringLiteral("char"), QStringLiteral("class"), QStringLiteral("const"),
        QStringLiteral("default"), QStringLiteral("delete"), QStringLiteral("do"), QStringLiteral("double"),
        QStringLiteral("else"), QStringLiteral("enum"), QStringLiteral("float"), QStringLiteral("for"),
        QStringLiteral("if"), QStringLiteral("int"), QStringLiteral("long"), QStringLiteral("new"),
        QStringLiteral("not"), QStringLiteral("operator"), QStringLiteral("or"), QStringLiteral("private"),
        QStringLiteral("protected"), QStringLiteral("public"), QStringLiteral("return"), QStringLiteral("short"),
        QStringLiteral("signals"), QStringLiteral("slots"), QStringLiteral("signed"), QStringLiteral("static"),
        QStringLiteral("struct"), QStringLiteral("switch"), QStringLiteral("this"), QStringLiteral("throw"),
        QStringLiteral("try"), QStringLiteral("union"), QStringLiteral("unsigned"), QStringLiteral("void"),
        QStringLiteral("while"), QStringLiteral("emit"), QStringLiteral("args"), QStringLiteral("result"),
        QStringLiteral("value"), QStringLiteral("id"),
    };
    return words.contains(name);
}

// "KEY" -> "key", "ShowProgress" -> "showProgress", "CRC" -> "crc".
QString lowerCamel(const QString& name)
{
    if (name == name.toUpper())
        return name.toLower();
    return name.left(1).toLower() + name.mid(1);
}

QString upperFirst(const QString& name)
{
    return name.left(1).toUpper() + name.mid(1);
}

// A member name that neither the base classes nor the language have taken.
QString memberName(const QString& typeLibName)
{
    QString name = lowerCamel(typeLibName);
    const QString setter = QStringLiteral("set") + upperFirst(name);
    if (reservedNames().contains(name) || reservedNames().contains(setter) || isKeyword(name))
        name = QStringLiteral("control") + upperFirst(name);
    return name;
}

QString paramName(const QString& name)
{
    const QString n = lowerCamel(name);
    return isKeyword(n) || reservedNames().contains(n) ? n + QLatin1Char('_') : n;
}

QString hex(DispId id)
{
    return QStringLiteral("velloc::DispId(0x%1)").arg(QString::number(quint32(id), 16).toUpper().rightJustified(8, QLatin1Char('0')));
}

QString cString(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// How a declared type crosses between the control's variants and the proxy's Qt types.
struct CppType {
    QString name;      // "QString"
    QString param;     // "const QString&"
    QString toVariant; // "%1" is the C++ value
    QString fromVariant; // "%1" is the variant
    bool isEnum = false;
};

CppType scalar(QString name, QString from, QString to)
{
    return CppType {name, name, std::move(from), std::move(to)};
}

CppType classType(QString name, QString from, QString to)
{
    return CppType {name, QStringLiteral("const %1&").arg(name), std::move(from), std::move(to)};
}

Result<CppType> cppType(const TypeRef& type, const TypeLibInfo& lib)
{
    // The kinds the property editors tell apart are the kinds a proxy gives a Qt type of its own.
    MemberInfo member;
    member.result = type;
    switch (PropertyType::of(member, lib.enums).kind) {
    case ValueKind::Enum:
        return CppType {type.alias, type.alias, QStringLiteral("velloc::Variant::fromI4(qint32(%1))"),
                        QStringLiteral("%1(valueOr((%2).toI4()))").arg(type.alias, QStringLiteral("%1")), true};
    case ValueKind::Color:
        return classType(QStringLiteral("QColor"), QStringLiteral("fromColor(%1)"), QStringLiteral("toColor(%1)"));
    case ValueKind::Font:
        return classType(QStringLiteral("QFont"), QStringLiteral("fromFont(%1)"), QStringLiteral("toFont(%1)"));
    case ValueKind::Picture:
        return classType(QStringLiteral("QPixmap"), QStringLiteral("fromPixmap(%1)"), QStringLiteral("toPixmap(%1)"));
    default:
        break;
    }
    switch (type.vt) {
    case VarType::BStr:
        return classType(QStringLiteral("QString"), QStringLiteral("velloc::Variant::fromString(%1)"),
                         QStringLiteral("valueOr((%1).toString())"));
    case VarType::I2:
        return scalar(QStringLiteral("qint16"), QStringLiteral("velloc::Variant::fromI2(%1)"), QStringLiteral("valueOr((%1).toI2())"));
    case VarType::I4:
        return scalar(QStringLiteral("qint32"), QStringLiteral("velloc::Variant::fromI4(%1)"), QStringLiteral("valueOr((%1).toI4())"));
    case VarType::UI1:
        // Qt Designer has no editor for an 8-bit number, and uic no form for one: the proxy takes
        // an int, and the control refuses what does not fit in a byte (error 6).
        return scalar(QStringLiteral("int"), QStringLiteral("velloc::Variant::fromI4(%1)"), QStringLiteral("valueOr((%1).toI4())"));
    case VarType::R4:
        return scalar(QStringLiteral("float"), QStringLiteral("velloc::Variant::fromR4(%1)"),
                      QStringLiteral("float(valueOr((%1).toR8()))"));
    case VarType::R8:
        return scalar(QStringLiteral("double"), QStringLiteral("velloc::Variant::fromR8(%1)"), QStringLiteral("valueOr((%1).toR8())"));
    case VarType::Bool:
        return scalar(QStringLiteral("bool"), QStringLiteral("velloc::Variant::fromBool(%1)"), QStringLiteral("valueOr((%1).toBool())"));
    case VarType::Variant:
    case VarType::Dispatch:
        return classType(QStringLiteral("QVariant"), QStringLiteral("fromQVariant(%1)"), QStringLiteral("toQVariant(%1)"));
    case VarType::Void:
        return CppType {QStringLiteral("void"), QStringLiteral("void"), {}, {}};
    default:
        break;
    }
    return Error(errc::UnsupportedAutomationType,
                 QStringLiteral("the type %1 has no Qt counterpart in a proxy").arg(type.displayName()));
}

struct PropertyRow {
    QString name;   // the type library's
    QString getter; // "key"
    QString setter; // "setKey", or empty for a read-only property
    QString signal; // "keyChanged"
    DispId id = 0;
    CppType type;
    bool byRef = false;
    QString help;
};

// Designer saves an enumeration property as "Class::Value" and uic writes that into the code,
// where a scoped enumerator is "Class::Enum::Value": each value is also a constant of the class,
// unless that name is taken.
QString enumeratorsForUic(const EnumInfo& e, const QList<PropertyRow>& properties,
                          const QList<const MemberInfo*>& methods, QSet<QString>& used)
{
    QSet<QString> taken;
    for (const PropertyRow& p : properties)
        taken << p.getter << p.setter << p.signal;
    for (const MemberInfo* m : methods)
        taken << memberName(m->name);
    QString out;
    for (const EnumInfo::Value& v : e.values) {
        if (used.contains(v.name) || taken.contains(v.name) || reservedNames().contains(v.name) || isKeyword(v.name))
            continue;
        used.insert(v.name);
        out += QStringLiteral("    static constexpr %1 %2 = %1::%2;\n").arg(e.name, v.name);
    }
    return out;
}

} // namespace

QString proxyBaseName(const QString& progId)
{
    QString name = progId.toLower();
    for (QChar& c : name)
        if (!c.isLetterOrNumber() || c.unicode() > 127)
            c = QLatin1Char('_');
    return name;
}

Result<Proxy> generateProxy(const TypeLibInfo& lib, const ClassInfo& cls)
{
    if (!cls.defaultInterface)
        return Error(errc::InvalidArgument, QStringLiteral("the class %1 has no default interface").arg(cls.name));
    const InterfaceInfo& iface = *cls.defaultInterface;
    const QString ns = lib.name;
    const QString klass = cls.name;

    // A type as written outside the class: its enumerations are members of it.
    auto qualified = [&klass](const CppType& t) { return t.isEnum ? klass + QStringLiteral("::") + t.name : t.name; };

    // Properties: one row per get/put pair, in interface order.
    QList<PropertyRow> properties;
    QList<const MemberInfo*> methods;
    for (const MemberInfo& m : iface.members) {
        if (m.kind == MemberKind::Method) {
            methods << &m;
            continue;
        }
        auto row = std::find_if(properties.begin(), properties.end(), [&](const PropertyRow& p) { return p.id == m.id; });
        if (row == properties.end()) {
            const TypeRef type = m.kind == MemberKind::PropertyGet ? m.result
                                                                    : (m.params.isEmpty() ? TypeRef {} : m.params.last().type);
            PropertyRow p;
            p.name = m.name;
            p.getter = memberName(m.name);
            p.signal = p.getter + QStringLiteral("Changed");
            p.id = m.id;
            p.type = VELLOC_TRY(cppType(type, lib));
            p.help = m.help;
            properties << p;
            row = properties.end() - 1;
        }
        if (m.kind == MemberKind::PropertyPut || m.kind == MemberKind::PropertyPutRef) {
            if (row->setter.isEmpty() || m.kind == MemberKind::PropertyPut)
                row->byRef = m.kind == MemberKind::PropertyPutRef;
            row->setter = QStringLiteral("set") + upperFirst(row->getter);
        }
    }

    QString h;
    QString s;
    const QString banner = QStringLiteral("// Generated by compreg proxy from the type library %1 %2.%3 %4; do not edit.\n")
                               .arg(lib.name).arg(lib.majorVersion).arg(lib.minorVersion).arg(lib.libid.toString());
    const QString baseName = proxyBaseName(cls.progId.isEmpty() ? lib.name + QLatin1Char('.') + cls.name : cls.progId);
    h += banner + QStringLiteral("#pragma once\n\n#include <velloc/hosting/controlhost.h>\n\n#include <QColor>\n"
                                 "#include <QFont>\n#include <QPixmap>\n#include <QString>\n#include <QVariant>\n\n");
    h += QStringLiteral("namespace %1 {\n\n").arg(ns);
    if (!lib.helpString.isEmpty())
        h += QStringLiteral("// %1\n").arg(lib.helpString);
    h += QStringLiteral("class %1 : public velloc::ControlHost {\n    Q_OBJECT\n").arg(klass);
    for (const PropertyRow& p : properties) {
        h += QStringLiteral("    Q_PROPERTY(%1 %2 READ %3").arg(p.type.name, p.name, p.getter);
        if (!p.setter.isEmpty())
            h += QStringLiteral(" WRITE %1").arg(p.setter);
        h += QStringLiteral(" NOTIFY %1)\n").arg(p.signal);
    }
    h += QStringLiteral("\npublic:\n");
    QSet<QString> usedEnumerators;
    for (const EnumInfo& e : lib.enums) {
        h += QStringLiteral("    enum class %1 : qint32 {\n").arg(e.name);
        for (const EnumInfo::Value& v : e.values)
            h += QStringLiteral("        %1 = %2,\n").arg(v.name).arg(v.value);
        h += QStringLiteral("    };\n    Q_ENUM(%1)\n").arg(e.name);
        h += enumeratorsForUic(e, properties, methods, usedEnumerators);
        h += QLatin1Char('\n');
    }
    h += QStringLiteral("    // Creates the control registered as \"%1\"; a failure shows in lastError().\n").arg(cls.progId);
    h += QStringLiteral("    explicit %1(QWidget* parent = nullptr);\n").arg(klass);
    h += QStringLiteral("    static QString classProgId() { return QStringLiteral(\"%1\"); }\n\n").arg(cString(cls.progId));

    s += banner + QStringLiteral("#include \"%1.h\"\n\nnamespace {\ntemplate <typename T>\nT valueOr(velloc::Result<T> r)\n"
                                 "{\n    return r ? std::move(r).value() : T();\n}\n} // namespace\n\n")
                      .arg(baseName);
    s += QStringLiteral("namespace %1 {\n\n%2::%2(QWidget* parent)\n    : velloc::ControlHost(classProgId(), parent)\n{\n}\n\n")
             .arg(ns, klass);

    for (const PropertyRow& p : properties) {
        if (!p.help.isEmpty())
            h += QStringLiteral("    // %1\n").arg(p.help);
        h += QStringLiteral("    %1 %2();\n").arg(p.type.name, p.getter);
        s += QStringLiteral("%1 %2::%3()\n{\n    return %4;\n}\n\n")
                 .arg(qualified(p.type), klass, p.getter, p.type.fromVariant.arg(QStringLiteral("getProperty(%1)").arg(hex(p.id))));
        if (!p.setter.isEmpty()) {
            h += QStringLiteral("    void %1(%2 value);\n").arg(p.setter, p.type.param);
            s += QStringLiteral("void %1::%2(%3 value)\n{\n    %4(%5, %6);\n}\n\n")
                     .arg(klass, p.setter, p.type.param, p.byRef ? QStringLiteral("putPropertyRef") : QStringLiteral("putProperty"),
                          hex(p.id), p.type.toVariant.arg(QStringLiteral("value")));
        }
    }
    h += QLatin1Char('\n');

    QSet<QString> taken;
    for (const PropertyRow& p : properties)
        taken << p.getter << p.setter << p.signal;
    for (const MemberInfo* m : methods) {
        QString name = memberName(m->name);
        while (taken.contains(name))
            name += QLatin1Char('_');
        taken << name;
        const CppType result = VELLOC_TRY(cppType(m->result, lib));
        QStringList declared, plain, forwarded;
        QList<CppType> types;
        bool anyByRef = false;
        for (const ParamInfo& param : m->params) {
            const CppType t = VELLOC_TRY(cppType(param.type, lib));
            types << t;
            const QString pn = paramName(param.name);
            declared << (param.byRef ? QStringLiteral("%1& %2").arg(t.name, pn) : QStringLiteral("%1 %2").arg(t.param, pn));
            plain << QStringLiteral("%1 %2").arg(t.param, pn);
            anyByRef = anyByRef || param.byRef;
        }
        if (!m->help.isEmpty())
            h += QStringLiteral("    // %1\n").arg(m->help);
        h += QStringLiteral("    %1 %2(%3);\n").arg(result.name, name, declared.join(QStringLiteral(", ")));
        QString body;
        if (m->params.isEmpty()) {
            body = QStringLiteral("    const velloc::Variant r = invokeMethod(%1);\n").arg(hex(m->id));
        } else {
            QStringList init;
            for (qsizetype i = 0; i < m->params.size(); ++i)
                init << types[i].toVariant.arg(paramName(m->params[i].name));
            body = QStringLiteral("    velloc::Variant args[] = {%1};\n    const velloc::Variant r = invokeMethod(%2, args);\n")
                       .arg(init.join(QStringLiteral(", ")), hex(m->id));
            for (qsizetype i = 0; i < m->params.size(); ++i)
                if (m->params[i].byRef)
                    body += QStringLiteral("    %1 = %2;\n")
                                .arg(paramName(m->params[i].name), types[i].fromVariant.arg(QStringLiteral("args[%1]").arg(i)));
        }
        if (result.name == QLatin1String("void"))
            body += QStringLiteral("    (void)r;\n");
        else
            body += QStringLiteral("    return %1;\n").arg(result.fromVariant.arg(QStringLiteral("r")));
        s += QStringLiteral("%1 %2::%3(%4)\n{\n%5}\n\n").arg(qualified(result), klass, name, declared.join(QStringLiteral(", ")), body);
        // A by-reference parameter also takes a value, for a caller who does not want it back.
        if (anyByRef) {
            h += QStringLiteral("    %1 %2(%3);\n").arg(result.name, name, plain.join(QStringLiteral(", ")));
            QStringList locals, names;
            for (qsizetype i = 0; i < m->params.size(); ++i) {
                const QString pn = paramName(m->params[i].name);
                locals << QStringLiteral("    %1 copy%2 = %3;\n").arg(types[i].name).arg(i).arg(pn);
                names << QStringLiteral("copy%1").arg(i);
            }
            s += QStringLiteral("%1 %2::%3(%4)\n{\n%5    return %3(%6);\n}\n\n")
                     .arg(qualified(result), klass, name, plain.join(QStringLiteral(", ")), locals.join(QString()),
                          names.join(QStringLiteral(", ")));
        }
    }

    // Signals: one per property change, one per event.
    h += QStringLiteral("\nsignals:\n");
    for (const PropertyRow& p : properties)
        h += QStringLiteral("    void %1();\n").arg(p.signal);
    QString eventCases;
    if (cls.eventInterface) {
        for (const MemberInfo& e : cls.eventInterface->members) {
            QString name = memberName(e.name);
            while (taken.contains(name))
                name += QLatin1Char('_');
            taken << name;
            QStringList declared, locals, emitted, writeBack;
            for (qsizetype i = 0; i < e.params.size(); ++i) {
                const ParamInfo& param = e.params[i];
                const CppType t = VELLOC_TRY(cppType(param.type, lib));
                const QString pn = paramName(param.name);
                declared << (param.byRef ? QStringLiteral("%1& %2").arg(t.name, pn) : QStringLiteral("%1 %2").arg(t.param, pn));
                locals << QStringLiteral("        %1 a%2 = %3;\n").arg(t.name).arg(i).arg(t.fromVariant.arg(QStringLiteral("args[%1]").arg(i)));
                emitted << QStringLiteral("a%1").arg(i);
                if (param.byRef)
                    writeBack << QStringLiteral("        args[%1] = %2;\n").arg(i).arg(t.toVariant.arg(QStringLiteral("a%1").arg(i)));
            }
            if (!e.help.isEmpty())
                h += QStringLiteral("    // %1\n").arg(e.help);
            h += QStringLiteral("    void %1(%2);\n").arg(name, declared.join(QStringLiteral(", ")));
            const QString guard = e.params.isEmpty() ? QString()
                                                     : QStringLiteral("        if (args.size() < %1)\n            return;\n").arg(e.params.size());
            eventCases += QStringLiteral("    case %1: {\n%2%3        emit %4(%5);\n%6        return;\n    }\n")
                              .arg(hex(e.id), guard).arg(locals.join(QString()), name,
                                                                        emitted.join(QStringLiteral(", ")), writeBack.join(QString()));
        }
    }
    h += QStringLiteral("\nprotected:\n    void onPropertyChanged(velloc::DispId id) override;\n"
                        "    void onEvent(velloc::DispId id, std::span<velloc::Variant> args) override;\n};\n\n");
    h += QStringLiteral("} // namespace %1\n").arg(ns);

    s += QStringLiteral("void %1::onPropertyChanged(velloc::DispId id)\n{\n    switch (id) {\n").arg(klass);
    for (const PropertyRow& p : properties)
        s += QStringLiteral("    case %1:\n        emit %2();\n        return;\n").arg(hex(p.id), p.signal);
    s += QStringLiteral("    default:\n        return;\n    }\n}\n\n");
    s += QStringLiteral("void %1::onEvent(velloc::DispId id, std::span<velloc::Variant> args)\n{\n").arg(klass);
    if (eventCases.isEmpty())
        s += QStringLiteral("    (void)id;\n    (void)args;\n");
    else
        s += QStringLiteral("    switch (id) {\n%1    default:\n        return;\n    }\n").arg(eventCases);
    s += QStringLiteral("}\n\n} // namespace %1\n").arg(ns);
    return Proxy {baseName, h, s};
}

QString generateReference(const TypeLibInfo& lib)
{
    auto esc = [](const QString& t) { return t.toHtmlEscaped(); };
    QString out = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1 reference</title>\n"
                                 "<style>body{font-family:sans-serif;max-width:60em;margin:2em auto}code{background:#eee}"
                                 "td,th{padding:.2em .6em;text-align:left;vertical-align:top}</style></head><body>\n")
                      .arg(esc(lib.name));
    out += QStringLiteral("<h1>%1 %2.%3</h1>\n<p>%4</p>\n").arg(esc(lib.name)).arg(lib.majorVersion).arg(lib.minorVersion).arg(esc(lib.helpString));
    for (const EnumInfo& e : lib.enums) {
        out += QStringLiteral("<h2>Enumeration <code>%1</code></h2>\n<table><tr><th>Value</th><th>Name</th></tr>\n").arg(esc(e.name));
        for (const EnumInfo::Value& v : e.values)
            out += QStringLiteral("<tr><td>%1</td><td><code>%2</code></td></tr>\n").arg(v.value).arg(esc(v.name));
        out += QStringLiteral("</table>\n");
    }
    for (const ClassInfo& c : lib.classes) {
        if (c.propertyPage || !c.defaultInterface)
            continue;
        out += QStringLiteral("<h2>Class <code>%1</code> (<code>%2</code>)</h2>\n").arg(esc(c.name), esc(c.progId));
        out += QStringLiteral("<table><tr><th>DISPID</th><th>Member</th><th>Description</th></tr>\n");
        QSet<DispId> seen;
        for (const MemberInfo& m : c.defaultInterface->members) {
            if (m.kind != MemberKind::Method && seen.contains(m.id))
                continue;
            seen << m.id;
            QStringList params;
            for (const ParamInfo& p : m.params)
                params << QStringLiteral("%1%2 As %3").arg(p.byRef ? QStringLiteral("ByRef ") : QString(), p.name,
                                                           p.type.displayName());
            QString what;
            if (m.kind == MemberKind::Method)
                what = QStringLiteral("%1(%2) As %3").arg(m.name, params.join(QStringLiteral(", ")), m.result.displayName());
            else {
                const TypeRef type = m.kind == MemberKind::PropertyGet || m.params.isEmpty() ? m.result : m.params.last().type;
                const bool writable = c.defaultInterface->find(m.id, MemberKind::PropertyPut)
                                      || c.defaultInterface->find(m.id, MemberKind::PropertyPutRef);
                what = QStringLiteral("Property %1 As %2%3")
                           .arg(m.name, type.displayName(), writable ? QString() : QStringLiteral(" (read-only)"));
            }
            out += QStringLiteral("<tr><td>0x%1</td><td><code>%2</code></td><td>%3</td></tr>\n")
                       .arg(quint32(m.id), 8, 16, QLatin1Char('0')).arg(esc(what), esc(m.help));
        }
        out += QStringLiteral("</table>\n");
        if (c.eventInterface) {
            out += QStringLiteral("<h3>Events</h3>\n<table><tr><th>DISPID</th><th>Event</th><th>Description</th></tr>\n");
            for (const MemberInfo& e : c.eventInterface->members) {
                QStringList params;
                for (const ParamInfo& p : e.params)
                    params << QStringLiteral("%1%2 As %3").arg(p.byRef ? QStringLiteral("ByRef ") : QString(), p.name,
                                                               p.type.displayName());
                out += QStringLiteral("<tr><td>%1</td><td><code>%2(%3)</code></td><td>%4</td></tr>\n")
                           .arg(e.id).arg(esc(e.name), esc(params.join(QStringLiteral(", "))), esc(e.help));
            }
            out += QStringLiteral("</table>\n");
        }
    }
    out += QStringLiteral("</body></html>\n");
    return out;
}

} // namespace proxygen
