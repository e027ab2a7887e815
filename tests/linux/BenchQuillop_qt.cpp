// The benchmark's program: the real platform and core with 99 flies, measuring for a while and
// printing how often each fly stepped and what the steps cost in CPU time.
//
// Environment: QUILLOP_BENCH_SECONDS (measured time, default 20), QUILLOP_BENCH_WARMUP (default
// 2), QUILLOP_BENCH_WATCH ("name:pid,..." of other processes whose CPU time is reported),
// QUILLOP_BENCH_SPREAD (set: the flies start scattered). The fly count comes from the settings
// file, as at any start; the benchmark script writes one.
#include <sys/resource.h>
#include <QTimer>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "clFly/FlyWindow_xcb.h"
#include "main/MainForm.h"
#include "main/Platform_qt.h"
#include "resources/EmbeddedSprites.h"

namespace {

using Clock = std::chrono::steady_clock;

struct FlySteps {
    Clock::time_point Last{};
    bool LastWasStep = false;
    bool Seen = false;
    long Intervals = 0;
    double IntervalSeconds = 0;
    double WorstGap = 0;
};

bool measuring = false;
long expiries = 0;
// By the counter part of the window id (the server hands out the rest per client): a lookup
// that costs next to nothing, as this runs inside the measured time.
constexpr xcb_window_t kIdCounterMask = 0x1FFFFF;
std::vector<FlySteps> flies;

// Counts one timer expiry: gaps between two 10 ms expiries in a row are steps of a walk.
void OnExpiry(xcb_window_t window, int intervalMs) {
    const Clock::time_point now = Clock::now();
    const std::size_t slot = window & kIdCounterMask;
    if (slot >= flies.size()) {
        flies.resize(slot + 1);
    }
    FlySteps& fly = flies[slot];
    fly.Seen = true;
    const bool step = intervalMs == quillop::kStepPeriodMs;
    if (measuring) {
        ++expiries;
        if (step && fly.LastWasStep) {
            const double gap = std::chrono::duration<double>(now - fly.Last).count();
            ++fly.Intervals;
            fly.IntervalSeconds += gap;
            fly.WorstGap = std::max(fly.WorstGap, gap);
        }
    }
    fly.Last = now;
    fly.LastWasStep = step;
}

// CPU seconds (user and system) of a process, from /proc.
double ProcessCpuSeconds(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) {
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double OwnCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::vector<std::pair<std::string, std::string>> WatchedProcesses() {
    std::vector<std::pair<std::string, std::string>> watched;
    std::istringstream list(qEnvironmentVariable("QUILLOP_BENCH_WATCH").toStdString());
    std::string item;
    while (std::getline(list, item, ',')) {
        const auto colon = item.find(':');
        if (colon != std::string::npos) {
            watched.emplace_back(item.substr(0, colon), item.substr(colon + 1));
        }
    }
    return watched;
}

// Prints the figures of the measured time.
void Report(double seconds, double ownCpu,
            const std::vector<std::pair<std::string, double>>& others) {
    std::vector<double> rates;
    double worstGap = 0;
    std::size_t seen = 0;
    for (const FlySteps& fly : flies) {
        seen += fly.Seen ? 1 : 0;
        if (fly.IntervalSeconds > 0) {
            rates.push_back(fly.Intervals / fly.IntervalSeconds);
        }
        worstGap = std::max(worstGap, fly.WorstGap);
    }
    std::sort(rates.begin(), rates.end());
    std::printf("flies: %zu, measured: %.1f s, steps: %ld\n", seen, seconds, expiries);
    if (!rates.empty()) {
        std::printf("steps per second per fly while walking: min %.1f, median %.1f\n",
                    rates.front(), rates[rates.size() / 2]);
    }
    std::printf("worst gap between two steps of one fly: %.1f ms\n", worstGap * 1000);
    const double steps = std::max<double>(expiries, 1);
    std::printf("CPU per fly step: program %.2f us", ownCpu / steps * 1e6);
    for (const auto& [name, cpu] : others) {
        std::printf(", %s %.2f us", name.c_str(), cpu / steps * 1e6);
    }
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int, char** argv) {
    const double seconds = qEnvironmentVariableIsSet("QUILLOP_BENCH_SECONDS")
                               ? qEnvironmentVariable("QUILLOP_BENCH_SECONDS").toDouble()
                               : 20;
    const double warmup = qEnvironmentVariableIsSet("QUILLOP_BENCH_WARMUP")
                              ? qEnvironmentVariable("QUILLOP_BENCH_WARMUP").toDouble()
                              : 2;
    quillop::SetTimerExpiryHook(OnExpiry);
    return quillop::RunOnQt(argv[0], [&](quillop::Platform& platform) {
        quillop::Application app(platform, quillop::EmbeddedSprites());
        auto& mainForm =
            static_cast<quillop::TfrmMain&>(app.Own(std::make_unique<quillop::TfrmMain>(app)));
        mainForm.StartApp();
        if (qEnvironmentVariableIsSet("QUILLOP_BENCH_SPREAD")) {
            // The flies of a desktop where they have long since walked apart: each fly is
            // placed at random within the work area and walks on from there.
            const quillop::Size area = platform.WorkAreaSize();
            for (quillop::TFlyForm* fly : app.FlyList()) {
                fly->Walker().X = quillop::ProcessRandom().Random(area.Width - 60);
                fly->Walker().Y = quillop::ProcessRandom().Random(area.Height - 60);
            }
        }

        const auto watched = WatchedProcesses();
        double ownStart = 0;
        Clock::time_point start;
        std::vector<double> othersStart;
        QTimer::singleShot(static_cast<int>(warmup * 1000), [&] {
            measuring = true;
            start = Clock::now();
            ownStart = OwnCpuSeconds();
            for (const auto& [name, pid] : watched) {
                othersStart.push_back(ProcessCpuSeconds(pid));
            }
            QTimer::singleShot(static_cast<int>(seconds * 1000), [&] {
                measuring = false;
                const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
                std::vector<std::pair<std::string, double>> others;
                for (std::size_t i = 0; i < watched.size(); ++i) {
                    others.emplace_back(watched[i].first,
                                        ProcessCpuSeconds(watched[i].second) - othersStart[i]);
                }
                Report(elapsed, OwnCpuSeconds() - ownStart, others);
                mainForm.Events().OnCloseRequest();
            });
        });
        platform.RunMessageLoop();
        app.DestroyAll();
        return 0;
    });
}
