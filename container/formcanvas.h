#pragma once

#include "velloc/hosting/formloader.h"

#include <QJsonObject>

namespace container::formcanvas {

// The window of a form being designed, as the loader builds it from the form's own keys
// (caption, size, font, icon); the controls are placed on it one by one, not by the loader.
velloc::Result<std::unique_ptr<velloc::Form>> build(const QJsonObject& root, const velloc::FormLoader::Variables& variables);
// Puts the window inside the design surface, at its top left, with a window's colours.
void adopt(velloc::Form& canvas, QWidget* surface);

} // namespace container::formcanvas
