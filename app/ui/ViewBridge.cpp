#include "app/ui/ViewBridge.h"

#include "app/ui/ViewImpl.h"

namespace ui::bridge {

QWidget* widgetOf(const View& view) { return view.impl().widget; }

}  // namespace ui::bridge
