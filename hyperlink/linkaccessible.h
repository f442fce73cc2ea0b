#pragma once

namespace linkwell {

// Makes assistive technology see the control's face as a link: its caption as the name and
// "open" as the action, which opens it as a click does. Installed once, with the first face,
// and removed when the library goes.
void installLinkAccessibility();

} // namespace linkwell
