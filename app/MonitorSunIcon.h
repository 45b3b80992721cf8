#pragma once

#include <QIcon>

// The tray icon: a monitor with a sun on its screen, drawn from vector
// primitives at whatever size is asked, on an 18 × 18 grid. Black on
// transparent: the tray keeps only its shape and fills that in its colour.
QIcon createMonitorSunIcon();
