#include "frmabout.h"
#include "prg.h"
#include "velloc.h"

#include "velloc/hosting/services.h"

using namespace velloc;

namespace velpack {

Result<Variant> Velloc::About()
{
    // The box hides itself after its time; the call returns then.
    QPointer<frmAbout> box = &frmAbout::load();
    services::showModal(box, widget());
    return Variant();
}

void Velloc::terminate()
{
    frmAbout::unload();
    releaseProgressWindow();
}

} // namespace velpack
