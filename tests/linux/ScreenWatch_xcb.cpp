// What the screen did while the flies walked, seen from outside the program: a separate X client
// counts the moves the X server made (ConfigureNotify of the root's children), and the CPU time
// and memory of the processes named are read from /proc.
//
// Usage: quillop_screenwatch WARMUP SECONDS AFTER PROGRAM_PID NAME:PID...
// Waits WARMUP seconds, measures for SECONDS, prints the figures, then waits for PROGRAM_PID to
// end and prints the CPU share of every other process named over the AFTER seconds that follow.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "TestClient_xcb.h"

namespace {

using Clock = std::chrono::steady_clock;

// Gaps between two moves of one window up to this long are steps of a walk; longer ones rests.
constexpr double kWalkGapSeconds = 0.05;

struct Process {
    std::string Name;
    std::string Pid;
};

struct WindowMoves {
    int X = 0;
    int Y = 0;
    Clock::time_point Last{};
    bool Moved = false;
    long Intervals = 0;
    double IntervalSeconds = 0;
};

// CPU seconds (user and system) of a process, from /proc; 0 when it is gone.
double CpuSeconds(const std::string& pid) {
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

// Resident memory of a process in MB, from /proc.
double ResidentMb(const std::string& pid) {
    std::ifstream status("/proc/" + pid + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

std::vector<double> CpuOf(const std::vector<Process>& processes) {
    std::vector<double> cpu;
    for (const Process& process : processes) {
        cpu.push_back(CpuSeconds(process.Pid));
    }
    return cpu;
}

// Reads every event waiting, or waiting up to `until`; counts the moves while `counting`.
void Watch(xcb_connection_t* connection, Clock::time_point until, bool counting,
           std::unordered_map<xcb_window_t, WindowMoves>& windows, long& moves) {
    pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (Clock::now() < until) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7F) == XCB_CONFIGURE_NOTIFY) {
                const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                const Clock::time_point now = Clock::now();
                WindowMoves& window = windows[configure->window];
                if (window.Moved && (configure->x != window.X || configure->y != window.Y)) {
                    const double gap = std::chrono::duration<double>(now - window.Last).count();
                    if (counting) {
                        ++moves;
                        if (gap <= kWalkGapSeconds) {
                            ++window.Intervals;
                            window.IntervalSeconds += gap;
                        }
                    }
                }
                window.Moved = true;
                window.X = configure->x;
                window.Y = configure->y;
                window.Last = now;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection) != 0) {
            std::fprintf(stderr, "the X connection broke\n");
            std::exit(1);
        }
        poll(&fd, 1, 20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s WARMUP SECONDS AFTER PROGRAM_PID NAME:PID...\n", argv[0]);
        return 2;
    }
    const double warmup = std::atof(argv[1]);
    const double seconds = std::atof(argv[2]);
    const double after = std::atof(argv[3]);
    const std::string program = argv[4];
    std::vector<Process> processes;
    for (int i = 5; i < argc; ++i) {
        const std::string item = argv[i];
        const auto colon = item.find(':');
        processes.push_back({item.substr(0, colon), item.substr(colon + 1)});
    }
    xcb_connection_t* connection = nullptr;
    const xcb_screen_t* screen = quillop::ConnectToScreen(connection);
    const std::uint32_t mask[] = {XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, mask);
    xcb_flush(connection);

    std::unordered_map<xcb_window_t, WindowMoves> windows;
    long moves = 0;
    const Clock::time_point start = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(warmup));
    Watch(connection, start, false, windows, moves);
    const std::vector<double> cpuStart = CpuOf(processes);
    std::vector<double> memoryStart;
    for (const Process& process : processes) {
        memoryStart.push_back(ResidentMb(process.Pid));
    }
    Watch(
        connection,
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)),
        true, windows, moves);
    const std::vector<double> cpuEnd = CpuOf(processes);

    std::vector<double> rates;
    for (const auto& [id, window] : windows) {
        if (window.IntervalSeconds > 0) {
            rates.push_back(window.Intervals / window.IntervalSeconds);
        }
    }
    std::sort(rates.begin(), rates.end());
    std::printf("moves the X server made: %ld in %.0f s (%.0f a second), by %zu windows\n", moves,
                seconds, moves / seconds, rates.size());
    if (!rates.empty()) {
        std::printf("moves per second per fly while walking: min %.1f, median %.1f\n",
                    rates.front(), rates[rates.size() / 2]);
    }
    std::printf("CPU per move:");
    for (std::size_t i = 0; i < processes.size(); ++i) {
        std::printf("%s %s %.1f us", i == 0 ? "" : ",", processes[i].Name.c_str(),
                    (cpuEnd[i] - cpuStart[i]) / std::max(moves, 1L) * 1e6);
    }
    std::printf("\nmemory (MB) at the start and the end:");
    for (std::size_t i = 0; i < processes.size(); ++i) {
        std::printf("%s %s %.1f -> %.1f", i == 0 ? "" : ",", processes[i].Name.c_str(),
                    memoryStart[i], ResidentMb(processes[i].Pid));
    }
    std::printf("\n");
    std::fflush(stdout);

    while (access(("/proc/" + program).c_str(), F_OK) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::vector<double> cpuExit = CpuOf(processes);
    std::this_thread::sleep_for(std::chrono::duration<double>(after));
    const std::vector<double> cpuAfter = CpuOf(processes);
    std::printf("CPU in the %.0f s after the program ended:", after);
    for (std::size_t i = 0; i < processes.size(); ++i) {
        if (processes[i].Pid != program) {
            std::printf(" %s %.1f%%", processes[i].Name.c_str(),
                        (cpuAfter[i] - cpuExit[i]) / after * 100);
        }
    }
    std::printf("\n");
    xcb_disconnect(connection);
    return 0;
}
