#include "window/qt/bench/first_paint_probe.h"

#include <sys/resource.h>
#include <time.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

// Under callgrind, the probe writes the instruction counts up to the first paint as a part
// of their own, so that the program's shutdown does not count (scripts/bench-startup.sh).
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define QUENOR_DUMP_INSTRUCTIONS() CALLGRIND_DUMP_STATS_AT("first paint")
#else
#define QUENOR_DUMP_INSTRUCTIONS() ((void)0)
#endif

namespace quenor::ui::qt::bench {

namespace {

class FirstPaintFilter : public QObject {
  public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // A zero timer runs once the paint has been drawn and flushed to the screen.
            QTimer::singleShot(0, this, [] {
                QUENOR_DUMP_INSTRUCTIONS();
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                const long cpuMicroseconds =
                    (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L +
                    usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
                std::printf("shown_at_ns %lld\nmax_rss_kb %ld\ncpu_us %ld\n",
                            static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                            usage.ru_maxrss, cpuMicroseconds);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool seen_ = false;
};

}  // namespace

void exitAfterFirstPaint(QWidget& window) {
    window.installEventFilter(new FirstPaintFilter(&window));
}

}  // namespace quenor::ui::qt::bench
