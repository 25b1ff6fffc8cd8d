#include "core/ui/QtClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace bw {

std::int64_t QtClock::now_ms() const {
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

void QtClock::pause(std::int64_t ms) {
    // A pause of 0 still lets pending events run once.
    if (ms <= 0) {
        do_events();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void QtClock::do_events() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace bw
