#include "core/ui/modAlwaysOnTop.h"

#include <QWidget>

namespace bw {

void SetAlwaysOnTop(QWidget* window, bool on) {
    if (!window) return;
    const bool was_visible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    // Changing a window flag hides the window; bring it back where it was.
    if (was_visible) {
        window->setGeometry(geometry);
        window->show();
    }
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

}  // namespace bw
