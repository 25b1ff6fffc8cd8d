#pragma once

#include <string_view>

namespace bw {

// The start-up splash: a label with the name of the step under way and a row of progress dots.
class SplashView {
public:
    virtual ~SplashView() = default;
    virtual void set_step(std::string_view name) = 0;
    virtual void set_dots(std::string_view dots) = 0;
    virtual void open() {}
    virtual void close() {}
};

// Appends a dot; past 20 dots the row starts again from nothing. Shows the new row and returns it.
std::string_view advance_progress();
// Shows a step name and lets the splash repaint.
void show_step(std::string_view name);

// The splash of this start; none (nullptr) once it has closed or when running headless.
SplashView* splash();
void set_splash(SplashView* view);

}  // namespace bw
