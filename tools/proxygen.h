#pragma once

#include "velloc/core/error.h"
#include "velloc/core/typeinfo.h"

#include <QString>

// Writers of what a host developer builds and reads against, from a library's type library.
namespace proxygen {

struct Proxy {
    QString baseName; // "vellib_velloc": the header is baseName + ".h", the source baseName + ".cpp"
    QString header;
    QString source;
};

// The file name of a class's proxy, from its programmatic identifier: "Vellib.Velloc" gives
// "vellib_velloc" (letters and digits kept, lower case, anything else "_"), so a build can
// name the files before they exist.
QString proxyBaseName(const QString& progId);

// A typed Qt widget class for one class of the library: a Q_PROPERTY with a change signal per
// property, a Q_ENUM per enumeration, typed methods and a signal per event. The class lives in
// a namespace named after the library and derives from velloc::ControlHost.
velloc::Result<Proxy> generateProxy(const velloc::TypeLibInfo& lib, const velloc::ClassInfo& cls);

// A reference page of the library's classes and their members, with the help strings.
QString generateReference(const velloc::TypeLibInfo& lib);

} // namespace proxygen
