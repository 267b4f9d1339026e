// Serial line arithmetic. A pty ignores the baud rate, so the simulator
// holds every byte back until a real line would have carried it: at 9600
// baud 8N1 a character takes 10 bit times, 960 bytes a second.
#pragma once

#include <cstddef>

namespace tesselog::sim {

constexpr int kConsoleBaud = 9600;
constexpr double kConsoleBytesPerSecond = 960.0;

// Bits on the line per character: start bit, data bits, parity bit, stop bits.
double LineBytesPerSecond(int baud, int data_bits = 8, bool parity = false, int stop_bits = 1);

// Highest whole number of sentences of `sentence_bytes` a second the line carries.
double MaxSentenceRate(double bytes_per_second, size_t sentence_bytes);

struct RateLimit {
    double Rate;
    bool Clamped;
};
RateLimit ClampRate(double requested, double bytes_per_second, size_t sentence_bytes);

// One direction of a serial line: bytes go out one after another at the line
// rate; a chunk handed over while the line is busy waits for it.
class LinePacer {
public:
    explicit LinePacer(double bytes_per_second) : bytes_per_second_(bytes_per_second) {}

    // Queues `bytes` handed over at `seconds`; returns when its first byte goes out.
    double Schedule(double seconds, size_t bytes);
    // Seconds at which the line is free again.
    double FreeAt() const { return free_at_; }
    double BytesPerSecond() const { return bytes_per_second_; }

private:
    double bytes_per_second_;
    double free_at_ = 0.0;
};

// How many bytes of a chunk whose first byte left at `start` have gone out by
// `now`: byte k leaves at start + k / bytes_per_second.
size_t BytesDue(double start, size_t length, double now, double bytes_per_second);

}  // namespace tesselog::sim
