// tesselog-sim: Grad601 consoles and a GPS receiver on pseudo-terminals, for
// running and testing Tesselog under Wine without instruments. See --help.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "tools/sim/capture.h"
#include "tools/sim/console_format.h"
#include "tools/sim/options.h"
#include "tools/sim/pty_port.h"
#include "tools/sim/simulation.h"

using namespace tesselog::sim;

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

std::string CaptureComment(const ToolOptions& options)
{
    return "tesselog-sim capture, seed " + std::to_string(options.Sim.Seed);
}

std::vector<std::string> CapturePorts(const Simulation& sim, bool with_gps_in)
{
    std::vector<std::string> names;
    for (const PortInfo& port : sim.Ports()) {
        names.push_back(port.Name);
    }
    if (with_gps_in) {
        names.push_back("gps-in");
    }
    return names;
}

// The features the field holds, for tests that look for them in what the
// program drew or recorded.
bool WriteFieldDescription(const ToolOptions& options, const Simulation& sim)
{
    if (options.FieldOut.empty()) {
        return true;
    }
    FILE* out = std::fopen(options.FieldOut.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "tesselog-sim: cannot write %s\n", options.FieldOut.c_str());
        return false;
    }
    for (const Anomaly& a : sim.Field().Anomalies()) {
        double latitude = 0.0, longitude = 0.0;
        SurveyToGeodetic(options.Sim.Origin, a.U, a.V, latitude, longitude);
        std::fprintf(out, "anomaly %.3f %.3f %.1f %.2f %.9f %.9f\n", a.U, a.V, a.Amplitude, a.Radius, latitude,
                     longitude);
    }
    return std::fclose(out) == 0;
}

int RunDry(const ToolOptions& options)
{
    Simulation sim(options.Sim);
    if (!WriteFieldDescription(options, sim)) {
        return 1;
    }
    const int port = sim.PortIndex(options.DryRunPort);
    const double duration = options.Duration > 0.0 ? options.Duration : 10.0;
    CaptureWriter capture;
    std::string error;
    if (!options.CapturePrefix.empty() &&
        !capture.Open(options.CapturePrefix, CapturePorts(sim, false), CaptureComment(options), error)) {
        std::fprintf(stderr, "tesselog-sim: %s\n", error.c_str());
        return 1;
    }
    unsigned long long bytes = 0;
    sim.AdvanceTo(duration, [&](const Chunk& chunk) {
        capture.Write(chunk.Port, chunk.Start, chunk.Bytes);
        if (chunk.Port == port) {
            std::fwrite(chunk.Bytes.data(), 1, chunk.Bytes.size(), stdout);
            bytes += chunk.Bytes.size();
        }
    });
    std::fflush(stdout);
    std::fprintf(stderr, "tesselog-sim: dry run, %s, %g s simulated, %llu bytes\n", options.DryRunPort.c_str(),
                 duration, bytes);
    return 0;
}

// What the program writes to a port, printed a line at a time.
struct InputLog {
    std::string Pending;
    double FirstByte = 0.0;

    void Flush(const std::string& name)
    {
        if (!Pending.empty()) {
            std::printf("%s <- [%9.3f] %s\n", name.c_str(), FirstByte, EscapeBytes(Pending).c_str());
            std::fflush(stdout);
            Pending.clear();
        }
    }
};

// The write log: one line per sentence once the write that carried its LF
// has returned, stamped in microseconds of CLOCK_MONOTONIC_RAW, the clock
// that the program's test build reads through QueryPerformanceCounter, so
// that the two logs give each sentence's time from the line to the data
// file. Wine 8 serves QueryPerformanceCounter, GetTickCount64 and
// QueryUnbiasedInterruptTime all from CLOCK_MONOTONIC_RAW: measured against
// them, CLOCK_MONOTONIC was 190 ms off on a machine up for three hours (NTP
// slews it, about 18 ppm here), the raw clock within the 0.1-0.8 ms of the
// measurement.
class WriteLog {
public:
    bool Open(const std::string& path)
    {
        file_ = std::fopen(path.c_str(), "w");
        return file_ != nullptr;
    }
    ~WriteLog()
    {
        if (file_) {
            std::fclose(file_);
        }
    }
    // The bytes one write put on the line; line holds the port's bytes since its last LF.
    void Written(const std::string& port, std::string& line, const char* bytes, size_t n)
    {
        if (!file_) {
            return;
        }
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC_RAW, &now);
        const unsigned long long us = static_cast<unsigned long long>(now.tv_sec) * 1000000ULL +
                                      static_cast<unsigned long long>(now.tv_nsec) / 1000;
        for (size_t i = 0; i < n; ++i) {
            if (bytes[i] != '\n') {
                if (line.size() < 4096) {  // noise without LF must not grow it without end
                    line += bytes[i];
                }
                continue;
            }
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            std::fprintf(file_, "%llu %s %s\n", us, port.c_str(), line.c_str());
            line.clear();
        }
    }
    void Flush()
    {
        if (file_) {
            std::fflush(file_);
        }
    }

private:
    std::FILE* file_ = nullptr;
};

struct LinePort {
    PtyPort Pty;
    std::string WrittenLine;  // for the write log: written bytes since the last LF
    std::deque<Chunk> Queue;
    size_t HeadSent = 0;  // bytes of Queue.front() already handled
    unsigned long long Sent = 0;
    unsigned long long Dropped = 0;
    InputLog Input;
    std::string LinkPath;
};

bool MakeLink(const std::string& dir, const std::string& name, const std::string& target, std::string& path)
{
    path = dir + "/" + name;
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "tesselog-sim: %s exists and is not a symlink\n", path.c_str());
            path.clear();
            return false;
        }
        unlink(path.c_str());
    }
    if (symlink(target.c_str(), path.c_str()) != 0) {
        std::perror(("tesselog-sim: symlink " + path).c_str());
        path.clear();
        return false;
    }
    return true;
}

// The closed-port faults (--close-port on the GPS, --unplug on a console):
// the pty pair goes away, and its link with it; once the window is over a new
// pair comes up under the same link (Linux hands out the lowest free pty
// number, but the program may still hold the old one). What Wine 8 makes of
// it: a port that was open goes on reading nothing, without an error, as the
// far end of a pty hangs up; a CreateFile on the port while the pty is gone
// still returns a handle, but each ReadFile on it fails at once with error 1
// (ERROR_INVALID_FUNCTION), so a reader that loops on failed reads spins
// until the port is reopened once more after the pty is back.
bool SwitchPort(const std::string& name, bool closed, double now, const std::string& link_dir, LinePort& port)
{
    const bool gps = name == "gps";
    const std::string shown = gps ? name : "console " + name.substr(7);
    const bool open = port.Pty.MasterFd() >= 0;
    if (closed && open) {
        port.Input.Flush(name);
        if (!port.LinkPath.empty()) {
            unlink(port.LinkPath.c_str());
        }
        port.Pty.Close();
        port.Queue.clear();
        port.HeadSent = 0;
        std::printf("%s: %s at %.3f s\n", shown.c_str(), gps ? "closed" : "unplugged", now);
        std::fflush(stdout);
    } else if (!closed && !open) {
        std::string error;
        if (!port.Pty.Open(error)) {
            std::fprintf(stderr, "tesselog-sim: %s: %s\n", name.c_str(), error.c_str());
            return false;
        }
        if (!link_dir.empty() && !MakeLink(link_dir, name, port.Pty.SlavePath(), port.LinkPath)) {
            return false;
        }
        std::printf("%s: %s on %s at %.3f s\n", shown.c_str(), gps ? "reopened" : "replugged",
                    port.Pty.SlavePath().c_str(), now);
        std::fflush(stdout);
    }
    return true;
}

int RunRealTime(const ToolOptions& options)
{
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Simulation sim(options.Sim);
    if (!WriteFieldDescription(options, sim)) {
        return 1;
    }
    const std::vector<PortInfo>& infos = sim.Ports();
    std::vector<std::unique_ptr<LinePort>> ports;
    int status = 0;
    for (const PortInfo& info : infos) {
        auto port = std::make_unique<LinePort>();
        std::string error;
        if (!port->Pty.Open(error)) {
            std::fprintf(stderr, "tesselog-sim: %s: %s\n", info.Name.c_str(), error.c_str());
            return 1;
        }
        if (info.Name == "gps") {
            std::printf("gps: %s\n", port->Pty.SlavePath().c_str());
        } else {
            std::printf("console %s: %s\n", info.Name.c_str() + 7, port->Pty.SlavePath().c_str());
        }
        if (!options.LinkDir.empty() && !MakeLink(options.LinkDir, info.Name, port->Pty.SlavePath(), port->LinkPath)) {
            status = 1;
        }
        ports.push_back(std::move(port));
    }
    std::fflush(stdout);
    const int gps_in = sim.PortIndex("gps") >= 0 ? static_cast<int>(infos.size()) : -1;
    CaptureWriter capture;
    std::string error;
    if (status == 0 && !options.CapturePrefix.empty() &&
        !capture.Open(options.CapturePrefix, CapturePorts(sim, gps_in >= 0), CaptureComment(options), error)) {
        std::fprintf(stderr, "tesselog-sim: %s\n", error.c_str());
        status = 1;
    }

    WriteLog write_log;
    if (status == 0 && !options.WriteLog.empty() && !write_log.Open(options.WriteLog)) {
        std::perror(("tesselog-sim: " + options.WriteLog).c_str());
        status = 1;
    }

    auto last_flush = std::chrono::steady_clock::now();
    const auto origin = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin).count(); };
    std::vector<pollfd> fds(ports.size());
    while (status == 0 && !g_stop) {
        const double now = elapsed();
        if (options.Duration > 0.0 && now >= options.Duration) {
            break;
        }
        for (size_t i = 0; i < ports.size() && status == 0; ++i) {
            if (!SwitchPort(infos[i].Name, sim.PortClosed(static_cast<int>(i), now), now, options.LinkDir, *ports[i])) {
                status = 1;
            }
        }
        if (status != 0) {
            break;
        }
        sim.AdvanceTo(now, [&](const Chunk& chunk) {
            capture.Write(chunk.Port, chunk.Start, chunk.Bytes);
            ports[chunk.Port]->Queue.push_back(chunk);
        });
        // Hand each line the bytes that 9600 baud (or the GPS's rate) has carried by now.
        for (size_t i = 0; i < ports.size(); ++i) {
            LinePort& port = *ports[i];
            const double rate = infos[i].BytesPerSecond;
            while (!port.Queue.empty()) {
                const Chunk& head = port.Queue.front();
                const size_t due = BytesDue(head.Start, head.Bytes.size(), now, rate);
                if (due > port.HeadSent) {
                    const size_t wanted = due - port.HeadSent;
                    const size_t written = port.Pty.Write(head.Bytes.data() + port.HeadSent, wanted);
                    write_log.Written(infos[i].Name, port.WrittenLine, head.Bytes.data() + port.HeadSent, written);
                    port.Sent += written;
                    port.Dropped += wanted - written;  // a full pty loses them, as a line nobody reads does
                    port.HeadSent = due;
                }
                if (port.HeadSent < head.Bytes.size()) {
                    break;
                }
                port.Queue.pop_front();
                port.HeadSent = 0;
            }
        }
        if (std::chrono::steady_clock::now() - last_flush > std::chrono::seconds(1)) {
            write_log.Flush();  // readable while the run goes on, without a flush per line
            last_flush = std::chrono::steady_clock::now();
        }
        for (size_t i = 0; i < ports.size(); ++i) {
            fds[i] = {ports[i]->Pty.MasterFd(), POLLIN, 0};  // poll skips a closed port's -1
        }
        if (poll(fds.data(), fds.size(), 2) > 0) {
            for (size_t i = 0; i < ports.size(); ++i) {
                if ((fds[i].revents & POLLIN) == 0) {
                    continue;
                }
                char buffer[512];
                const size_t n = ports[i]->Pty.Read(buffer, sizeof buffer);
                const double at = elapsed();
                InputLog& log = ports[i]->Input;
                for (size_t j = 0; j < n; ++j) {
                    if (log.Pending.empty()) {
                        log.FirstByte = at;
                    }
                    log.Pending += buffer[j];
                    if (buffer[j] == '\n' || log.Pending.size() >= 256) {
                        if (infos[i].Name == "gps") {
                            capture.Write(gps_in, log.FirstByte, log.Pending);
                        }
                        log.Flush(infos[i].Name);
                    }
                }
            }
        }
        // A partial line is shown once the program has paused for 200 ms.
        const double later = elapsed();
        for (size_t i = 0; i < ports.size(); ++i) {
            InputLog& log = ports[i]->Input;
            if (!log.Pending.empty() && later - log.FirstByte > 0.2) {
                if (infos[i].Name == "gps") {
                    capture.Write(gps_in, log.FirstByte, log.Pending);
                }
                log.Flush(infos[i].Name);
            }
        }
    }

    for (size_t i = 0; i < ports.size(); ++i) {
        LinePort& port = *ports[i];
        port.Input.Flush(infos[i].Name);
        std::fprintf(stderr, "tesselog-sim: %s: %llu bytes sent, %llu lost in a full pty\n", infos[i].Name.c_str(),
                     port.Sent, port.Dropped);
        if (!port.LinkPath.empty()) {
            unlink(port.LinkPath.c_str());
        }
        port.Pty.Close();
    }
    if (sim.Overruns() > 0) {
        std::fprintf(stderr, "tesselog-sim: %ld sentences dropped, their line a second behind\n", sim.Overruns());
    }
    capture.Close();
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    ToolOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "tesselog-sim: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (!options.Help.empty()) {
        std::fputs(options.Help.c_str(), stdout);
        return 0;
    }
    for (const std::string& message : LimitRates(options.Sim)) {
        std::fprintf(stderr, "tesselog-sim: %s\n", message.c_str());
    }
    return options.DryRunPort.empty() ? RunRealTime(options) : RunDry(options);
}
