// The preview pane as a typing user meets it: a scripted session of edits in the main dialog,
// each timed from the edit to the pane showing the answers it made, while a probe on the
// event loop notes the longest time the dialog's thread did not come back to it.
//
//   vantrel_preview_latency PROJECT_FILE [EDITS]
//
// Run in the folder of the configuration. Edits alternate between a character typed into the
// project name and taken out again, and another DLL flag (which keeps every path, so an
// existing project is compared file by file). Prints "edits N", "median-ms", "p95-ms",
// "max-ms" and "longest-gap-ms".
#include "ui/MainDialog.h"
#include "ui/PreviewPane.h"
#include "ui/VantrelApp.h"
#include "wizard/ControlIds.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The longest time between two turns of the event loop, by a timer that asks for every one.
class LoopProbe : public QObject {
public:
    LoopProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const Clock::time_point now = Clock::now();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start() {
        m_last = Clock::now();
        m_longest = {};
        m_timer.start();
    }
    Clock::duration longest() const { return m_longest; }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    Clock::duration m_longest{};
};

// Runs the event loop until the pane shows the newest answers.
bool waitForPane(vantrel::MainDialog& dialog) {
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = [&] {
        if (dialog.previewShown() == dialog.previewAskedFor())
            loop.quit();
    };
    const QMetaObject::Connection shown =
        QObject::connect(dialog.previewPane(), &vantrel::PreviewPane::shown, &loop, check);
    limit.start(30000);
    QTimer::singleShot(0, &loop, check);
    loop.exec();
    QObject::disconnect(shown);
    return dialog.previewShown() == dialog.previewAskedFor();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vantrel_preview_latency PROJECT_FILE [EDITS]\n");
        return 2;
    }
    const int edits = argc > 2 ? std::atoi(argv[2]) : 200;
    int appArguments = 1; // the application reads no project of its own
    vantrel::VantrelApp app(appArguments, argv);
    vantrel::MainDialog dialog;
    dialog.openAtStart(QString::fromLocal8Bit(argv[1]));
    dialog.show();
    dialog.setPreviewOpen(true);
    if (!waitForPane(dialog)) {
        std::fprintf(stderr, "the first preview did not come within 30 s\n");
        return 1;
    }
    auto* name =
        dialog.findChild<QLineEdit*>(QStringLiteral("id%1").arg(vantrel::IDC_PROJECT_NAME));
    auto* flags = dialog.findChild<QComboBox*>(QStringLiteral("id%1").arg(vantrel::IDC_DLL_FLAGS));
    LoopProbe probe;
    probe.start();
    std::vector<double> latencies;
    for (int i = 0; i < edits; ++i) {
        const Clock::time_point edited = Clock::now();
        switch (i % 4) {
        case 0:
            name->insert(QStringLiteral("x"));
            break;
        case 1:
            name->backspace();
            break;
        default:
            flags->setCurrentIndex((flags->currentIndex() + 1) % flags->count());
            break;
        }
        if (!waitForPane(dialog)) {
            std::fprintf(stderr, "edit %d was not shown within 30 s\n", i);
            return 1;
        }
        latencies.push_back(milliseconds(Clock::now() - edited));
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&latencies](double share) {
        return latencies[std::min(latencies.size() - 1,
                                  static_cast<std::size_t>(share * latencies.size()))];
    };
    std::printf("edits %d\nmedian-ms %.1f\np95-ms %.1f\nmax-ms %.1f\nlongest-gap-ms %.1f\n", edits,
                at(0.5), at(0.95), latencies.back(), milliseconds(probe.longest()));
    return 0;
}
