#include "sharedsettings.h"

namespace velpack {

SharedSettings& sharedSettings()
{
    thread_local SharedSettings settings;
    return settings;
}

} // namespace velpack
