// The window's longest event-loop stall while a large run fills and drains its lists: 6000
// task lines are queued one by one, as a scan queues them between two yields, then 5000
// tasks are taken from the head, each adding a completed line that auto-scrolls, as the
// ticks of a run do. Every step is followed by one turn of the event loop, which repaints
// the lists; the longest step plus turn is what an operator would feel as a stall.
//
//   ui_stall_bench [queued] [completed]   (QT_QPA_PLATFORM=offscreen without a display)
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "config/pages.h"
#include "engine/activity_log.h"
#include "ui/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// CPU time of this thread: on a busy machine a step can wait for the processor, which is
// no stall of the program's own making; both figures are reported.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::string TaskLine(int i) {
    return "Copy    \"Program Logs\", \"/srv/playout/Local/Logs/day" + std::to_string(i) +
           ".kvo\", \"/srv/playout/Remote/Logs/day" + std::to_string(i) + ".kvo\", 2048";
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int queued = argc > 1 ? std::atoi(argv[1]) : 6000;
    const int completed = argc > 2 ? std::atoi(argv[2]) : 5000;

    vfs::ProgramState state;
    vfs::FormModel form;
    vfs::Ports ports;
    vfs::Context ctx{state, form, ports};
    vfs::ui::MainWindow window(ctx, {});
    form.chkAutoScroll.SetValue(1);
    state.MaxCompletedTasks = completed;
    vfs::cmdPage_Click(ctx, 2);
    window.show();
    QApplication::processEvents();

    std::vector<double> stalls;
    double longestCpu = 0;
    auto step = [&](const auto& work) {
        const auto start = Clock::now();
        const double cpuStart = ThreadCpuMs();
        work();
        QApplication::processEvents();
        stalls.push_back(Ms(Clock::now() - start));
        longestCpu = std::max(longestCpu, ThreadCpuMs() - cpuStart);
    };
    const auto begin = Clock::now();
    for (int i = 0; i < queued; ++i)
        step([&] { form.lstTasksToDo.AddItem(TaskLine(i)); });
    const auto filled = Clock::now();
    for (int i = 0; i < completed; ++i) {
        step([&] {
            const std::string line = form.lstTasksToDo.Item(0);
            form.lstTasksToDo.RemoveFirst();
            form.pbTask.SetValue(i % 101);
            vfs::AddCompletedLine(ctx, "12:00:00 - " + line);
        });
    }
    const auto end = Clock::now();
    std::printf("queued: %d lines in %.0f ms\n", queued, Ms(filled - begin));
    std::printf("completed: %d lines in %.0f ms (%d left in the queue)\n", completed,
                Ms(end - filled), static_cast<int>(form.lstTasksToDo.ListCount()));
    std::sort(stalls.begin(), stalls.end());
    const double p999 = stalls[stalls.size() * 999 / 1000];
    std::printf("step: median %.2f ms, 99.9th percentile %.1f ms\n", stalls[stalls.size() / 2],
                p999);
    std::printf("longest stall: %.1f ms of the program's own work (%.1f ms wall)\n", longestCpu,
                stalls.back());
    return 0;
}
