#pragma once

class QWidget;

namespace bw {

// Keeps a window above all normal windows (on) or returns it to normal stacking (off), without
// moving or activating it.
void SetAlwaysOnTop(QWidget* window, bool on);

}  // namespace bw
