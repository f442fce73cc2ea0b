// Must not compile: the property is KEY (setKey), and a typed proxy catches the slip when the
// program is built instead of when it runs.
#include "vellib_velloc.h"

void configure(Vellib::Velloc& cipher)
{
    cipher.setKye(QStringLiteral("a key"));
}
