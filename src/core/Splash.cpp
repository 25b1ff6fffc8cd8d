#include "core/Splash.h"

#include <string>

#include "platform/clock.h"

namespace bw {

namespace {
SplashView* g_splash = nullptr;
// The initial row is twenty dots; the first step therefore wraps it to "".
std::string g_dots = "....................";
constexpr size_t kMaxDots = 20;
}  // namespace

SplashView* splash() { return g_splash; }

void set_splash(SplashView* view) {
    g_splash = view;
    g_dots = "....................";
}

std::string_view advance_progress() {
    g_dots += '.';
    if (g_dots.size() > kMaxDots) g_dots.clear();
    if (g_splash) g_splash->set_dots(g_dots);
    return g_dots;
}

void show_step(std::string_view name) {
    if (g_splash) g_splash->set_step(name);
    clock().do_events();
}

}  // namespace bw
