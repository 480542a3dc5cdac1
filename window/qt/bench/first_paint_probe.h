#pragma once

class QWidget;

namespace quenor::ui::qt::bench {

// Makes a start-up timing run out of a program: once the window has painted for the first
// time, prints "shown_at_ns N" (the wall clock, CLOCK_REALTIME, in nanoseconds),
// "max_rss_kb N" and "cpu_us N" (user and system time so far) on standard output and ends
// the event loop. The timing script compares the first number with the moment it started
// the program. Run under callgrind (valgrind's headers present at build time), it also
// dumps the instruction counts so far, a part ending at the first paint.
void exitAfterFirstPaint(QWidget& window);

}  // namespace quenor::ui::qt::bench
