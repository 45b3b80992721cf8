#pragma once

#include <QWidget>

#include "app/ui/View.h"

namespace ui::bridge {

// The Qt widget behind a view, for the hosts inside this layer (the panel,
// the popup window) and for tests that drive controls as a user would. The
// view keeps owning it.
QWidget* widgetOf(const View& view);

}  // namespace ui::bridge
