#pragma once

#include <memory>

#include "app/ui/Image.h"

// The tray icon: a monitor with a sun on its screen, 18 × 18 points, drawn
// from vector primitives each time it is rendered. Black on transparent and
// marked as a template, so the tray shows its shape in the tray's colour.
std::shared_ptr<ui::Image> createMonitorSunIcon();
