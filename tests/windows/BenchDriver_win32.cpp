// Measures the 99-fly benchmark program: how many steps each fly makes per second, seen from
// outside by sampling every window's place every 10 ms, and the CPU time each step costs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

#include "clFly/win32/ScopedWin.h"
#include "tests/windows/Desktop_win32.h"

using namespace quillop::e2e;

namespace {

constexpr std::size_t kFlies = 99;

// The process's CPU time (user and kernel) in seconds.
double ProcessCpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The CPU seconds of the X server and of the wineserver so far, read by cpu-seconds.sh.
std::pair<double, double> ServerCpuSeconds(const std::string& name) {
    const std::string file = Environment("QUILLOP_E2E_DIR", "/tmp") + "/" + name;
    RunShell("bash " + Environment("QUILLOP_TOOLS_DIR") + "/cpu-seconds.sh > " + file);
    std::ifstream in(WindowsPath(file));
    double xvfb = 0, server = 0;
    in >> xvfb >> server;
    return {xvfb, server};
}

}  // namespace

// The benchmark's entry: the program, the seconds to measure, and the seconds to wait first.
int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-driver BenchQuillop.exe [seconds [warm-up seconds]]\n");
        return 2;
    }
    const DWORD seconds = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20;
    const DWORD warmUp = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 2;
    Program program(argv[1]);
    if (!program.Started()) {
        std::fprintf(stderr, "could not start %s\n", argv[1]);
        return 1;
    }
    const quillop::ScopedKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, program.Id()));
    const DWORD launched = GetTickCount();
    std::vector<HWND> flies;
    while (flies.size() < kFlies && GetTickCount() - launched < 180000) {
        Pump(50);
        flies = WindowsOfProcess(program.Id(), "frmPngFly");
    }
    if (flies.size() < kFlies) {
        std::fprintf(stderr, "only %zu of %zu flies appeared\n", flies.size(), kFlies);
        return 1;
    }
    std::printf("%zu flies shown %.1f s after launch\n", flies.size(),
                (GetTickCount() - launched) / 1000.0);
    Pump(warmUp * 1000);  // the last fly has settled, or the flies have spread

    std::map<HWND, RECT> last;
    std::map<HWND, int> steps;
    for (HWND fly : flies) {
        last[fly] = WindowBounds(fly);
    }
    const auto serversBefore = ServerCpuSeconds("cpu-before.txt");
    const double cpuBefore = ProcessCpuSeconds(process.Get());
    const DWORD start = GetTickCount();
    int samples = 0;
    while (GetTickCount() - start < seconds * 1000) {
        for (HWND fly : flies) {
            const RECT r = WindowBounds(fly);
            if (!SameRect(r, last[fly])) {
                ++steps[fly];
                last[fly] = r;
            }
        }
        ++samples;
        Sleep(10);
    }
    const double elapsed = (GetTickCount() - start) / 1000.0;
    const double cpu = ProcessCpuSeconds(process.Get()) - cpuBefore;
    const auto serversAfter = ServerCpuSeconds("cpu-after.txt");

    std::vector<double> rates;
    long total = 0;
    for (HWND fly : flies) {
        rates.push_back(steps[fly] / elapsed);
        total += steps[fly];
    }
    std::sort(rates.begin(), rates.end());
    const double perStep = total > 0 ? 1e6 / total : 0;
    std::printf("measured %.1f s, %d samples of all windows (%.0f a second)\n", elapsed, samples,
                samples / elapsed);
    std::printf("steps per second per fly, rests included: min %.1f, median %.1f, max %.1f\n",
                rates.front(), rates[rates.size() / 2], rates.back());
    std::printf("all flies: %ld steps, %.0f a second\n", total, total / elapsed);
    std::printf("flies that made no step: %td\n", std::count(rates.begin(), rates.end(), 0.0));
    std::printf("CPU per fly step: program %.0f us, X server %.0f us, wineserver %.0f us\n",
                cpu * perStep, (serversAfter.first - serversBefore.first) * perStep,
                (serversAfter.second - serversBefore.second) * perStep);
    std::printf("program CPU: %.1f%% of one core\n", 100 * cpu / elapsed);
    return 0;
}
