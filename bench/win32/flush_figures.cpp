// The data file's flush under the full logging load, with the program's
// Win32 file and DataFile, under Wine: nine two-sensor consoles at the line
// rate (56 readings a second each, one 27-byte write per reading) and a GPS
// at 20 Hz (one 108-byte group per sentence), about 520 writes a second,
// paced on the millisecond. Each run writes for the given seconds, once with
// a flush every 1000 ms (as the connection watch does) and once without; it
// prints the time of each flush (min, median, max; in the program a GPS
// group waits that long at most, as the flush holds the file's lock), the
// longest write and the process's CPU time. Run by scripts/measure-flush.sh.
//
//   tesselog-flush-figures.exe FILE [SECONDS] [RUNS]     (FILE as a Windows path)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/datafile/data_file.h"
#include "windows/platform_services.h"

using namespace tesselog;

namespace {

constexpr int ConsoleWritesPerSecond = 9 * 56;
constexpr int GpsWritesPerSecond = 20;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return value(kernel) + value(user);
}

struct RunFigures {
    std::vector<double> Flushes;  // seconds each
    double LongestWrite = 0.0;
    double Cpu = 0.0;
    double Wall = 0.0;
    long Writes = 0;
    uint64_t Bytes = 0;
};

RunFigures Run(const std::string& path, double seconds, bool flush) {
    win32::Win32FileSystem files;
    DataFile file(files);
    RunFigures figures;
    if (!file.Open(path, OpenMode::ReadWriteAlways) || !file.SeekToEnd()) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return figures;
    }
    const std::string reading = "T$P,0060,0065       123456\n";
    std::string gps;  // a 60-character sentence: three records and the trailer
    for (int r = 0; r < 4; ++r) gps += std::string(26, r == 3 ? '!' : '@') + "\n";

    LARGE_INTEGER frequency, start, now, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const double cpuStart = CpuSeconds();
    long consoleWrites = 0, gpsWrites = 0;
    double nextFlush = 1.0;
    timeBeginPeriod(1);
    for (;;) {
        QueryPerformanceCounter(&now);
        const double at = Seconds(start, now, frequency);
        if (at >= seconds) break;
        auto write = [&](const std::string& bytes) {
            QueryPerformanceCounter(&before);
            file.Append(bytes);
            QueryPerformanceCounter(&after);
            figures.LongestWrite = std::max(figures.LongestWrite, Seconds(before, after, frequency));
            figures.Bytes += bytes.size();
        };
        while (consoleWrites < static_cast<long>(at * ConsoleWritesPerSecond)) {
            write(reading);
            ++consoleWrites;
        }
        while (gpsWrites < static_cast<long>(at * GpsWritesPerSecond)) {
            write(gps);
            ++gpsWrites;
        }
        if (flush && at >= nextFlush) {
            QueryPerformanceCounter(&before);
            file.Flush();
            QueryPerformanceCounter(&after);
            figures.Flushes.push_back(Seconds(before, after, frequency));
            nextFlush += 1.0;
        }
        Sleep(1);
    }
    timeEndPeriod(1);
    QueryPerformanceCounter(&now);
    figures.Wall = Seconds(start, now, frequency);
    figures.Cpu = CpuSeconds() - cpuStart;
    figures.Writes = consoleWrites + gpsWrites;
    if (file.WriteFailed()) std::fprintf(stderr, "a write or flush failed\n");
    file.Close();
    return figures;
}

void Print(const char* name, RunFigures& f) {
    std::printf("%-9s %ld writes (%.0f/s), %.1f MB, CPU %.3f s in %.1f s (%.2f%% of one core), longest write %.3f ms",
                name, f.Writes, f.Writes / f.Wall, f.Bytes / 1e6, f.Cpu, f.Wall, 100.0 * f.Cpu / f.Wall,
                f.LongestWrite * 1e3);
    if (!f.Flushes.empty()) {
        std::sort(f.Flushes.begin(), f.Flushes.end());
        std::printf("; %zu flushes: min %.3f ms, median %.3f ms, max %.3f ms", f.Flushes.size(),
                    f.Flushes.front() * 1e3, f.Flushes[f.Flushes.size() / 2] * 1e3, f.Flushes.back() * 1e3);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tesselog-flush-figures.exe FILE [SECONDS] [RUNS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const double seconds = argc > 2 ? std::max(2.0, std::atof(argv[2])) : 20.0;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 2;
    for (int run = 1; run <= runs; ++run) {
        DeleteFileA(path.c_str());
        RunFigures without = Run(path, seconds, false);
        Print("no flush", without);
        DeleteFileA(path.c_str());
        RunFigures with = Run(path, seconds, true);
        Print("flush 1 s", with);
    }
    DeleteFileA(path.c_str());
    return 0;
}
