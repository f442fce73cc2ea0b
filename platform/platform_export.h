#pragma once

// Component libraries are built with hidden visibility; the runtime's own API stays visible.
#define PLATFORM_EXPORT __attribute__((visibility("default")))
