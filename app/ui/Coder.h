#pragma once

namespace ui {

// An archive that objects could be restored from. Nothing in the program is
// archived; constructors that take one exist only to refuse it.
class Coder {};

}  // namespace ui
