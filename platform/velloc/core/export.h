#pragma once

// Component libraries are built with hidden visibility; the runtime's own API stays visible.
#define VELLOC_EXPORT __attribute__((visibility("default")))
