#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace velloc {
class ControlHost;
struct TypeLibInfo;
}

namespace velloc::designer {

// One control class as Designer shows it: a widget-box entry whose widget is the class's
// generated proxy, named as uic writes it ("Vellib::Velloc").
struct ControlDescription {
    QString className;
    QString progId;
    QString includeFile; // "<velloc/proxies/vellib_velloc.h>"
    QString toolTip;
    QString whatsThis;
    QIcon icon;
    // Builds the proxy class when this plugin carries it, else a late-bound host.
    std::function<ControlHost*(QWidget*)> create;

    QString domXml() const;
};

// The widget-box group every entry is in.
QString groupName();

// The control classes of the registry. Classes that are not controls (property pages among
// them) are left out; an entry that cannot be used is left out too, with the reason in
// `skipped`. `builtIn` lists the programmatic identifiers whose proxies this plugin carries
// (the suite's own), with their constructors.
struct BuiltInProxy {
    QString progId;
    std::function<ControlHost*(QWidget*)> create;
};
QList<ControlDescription> scanRegistry(const QList<BuiltInProxy>& builtIn, QStringList* skipped);

// The proxies built into libvelloc-proxies.
QList<BuiltInProxy> suiteProxies();

} // namespace velloc::designer
