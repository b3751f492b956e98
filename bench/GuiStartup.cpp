// The wizard's start-up as a user meets it: the application and its main dialog made, shown,
// and painted for the first time. One measurement per process, since a second one would find
// everything loaded; bench/run_bench.py starts it several times and takes the median.
//
// Prints two lines: "main-to-paint-ns N", from the start of main() to the dialog's first
// paint, and "paint-at-ns T", the steady clock at that paint, so that the caller can count from
// the moment it started the process (both clocks are CLOCK_MONOTONIC on Linux).
#include "ui/MainDialog.h"
#include "ui/VantrelApp.h"

#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

// Notes the dialog's first paint and then leaves the event loop, once the paint is done.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = Clock::now();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

    std::optional<Clock::time_point> painted;
};

long long nanoseconds(Clock::duration duration) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
}

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    vantrel::VantrelApp app(argc, argv);
    vantrel::MainDialog dialog;
    FirstPaint watcher;
    dialog.installEventFilter(&watcher);
    dialog.show();
    // A dialog that is never painted must not hang the bench.
    QTimer::singleShot(std::chrono::seconds(30), &app, &QCoreApplication::quit);
    app.exec();
    if (!watcher.painted) {
        std::fprintf(stderr, "the main dialog was not painted within 30 s\n");
        return 1;
    }
    std::printf("main-to-paint-ns %lld\npaint-at-ns %lld\n", nanoseconds(*watcher.painted - start),
                nanoseconds(watcher.painted->time_since_epoch()));
    return 0;
}
