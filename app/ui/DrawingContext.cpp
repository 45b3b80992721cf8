#include "app/ui/DrawingContext.h"

namespace ui {

namespace {
DrawingContext* currentContext = nullptr;
}

DrawingContext::DrawingContext(QPainter& painter) : painter_(painter), outer_(currentContext) {
  currentContext = this;
}

DrawingContext::~DrawingContext() { currentContext = outer_; }

DrawingContext* DrawingContext::current() { return currentContext; }

}  // namespace ui
