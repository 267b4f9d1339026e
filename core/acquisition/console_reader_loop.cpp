#include "core/acquisition/console_reader_loop.h"

namespace tesselog {

ConsoleReaderLoop::ConsoleReaderLoop(ConsoleStreams& streams, const Settings& settings, int k, ConsoleReaderIo& io,
                                     Clock& clock)
    : streams_(streams), k_(k), io_(io), clock_(clock), reader_(streams, settings, k) {}

void ConsoleReaderLoop::Run() {
    Start();
    while (io_.PortValid()) Pass();
    End();
}

void ConsoleReaderLoop::Start() {
    if (k_ >= 0 && k_ < MaxConsoles) streams_.ConsolePortOpen[k_].store(2);
    io_.PurgePort();
    io_.SetEventMask();
    silenceStart_ = clock_.Tick();
    reopenDueMs_ = ConsoleReopenAfterMs;
}

void ConsoleReaderLoop::Pass() {
    const uint32_t silent = clock_.Tick() - silenceStart_;
    const bool asked = k_ >= 0 && k_ < MaxConsoles && streams_.ConsoleReopenAsked[k_].exchange(0) == 1;
    if (silent > reopenDueMs_ || asked) {
        reopenDueMs_ = Reopen() ? ConsoleReopenAfterMs : ConsoleReopenRetryMs;
        silenceStart_ = clock_.Tick();
        return;
    }
    uint8_t byte = 0;
    // Until the reopen is due, and not a millisecond longer.
    const ConsoleReadResult result = io_.ReadByte(byte, reopenDueMs_ - silent + 1);
    if (result == ConsoleReadResult::Failed) io_.Wait(ConsoleFailedReadWaitMs);
    if (result != ConsoleReadResult::Byte) return;
    // The reader stores tick, slot and break flags before it returns true;
    // the handler reads the slot while this thread waits in the hand-over.
    if (!reader_.Feed(byte, clock_)) return;
    silenceStart_ = clock_.Tick();
    reopenDueMs_ = ConsoleReopenAfterMs;
    io_.HandOver();
}

bool ConsoleReaderLoop::Reopen() {
    const uint32_t closeStart = clock_.Tick();
    while (!io_.TryClosePort() && clock_.Tick() - closeStart < ConsoleCloseRetryMs) io_.Wait(ConsoleFailedReadWaitMs);
    if (!io_.ReopenPort()) return false;
    io_.PurgePort();
    io_.SetEventMask();
    return true;
}

void ConsoleReaderLoop::End() {
    if (k_ < 0 || k_ >= MaxConsoles) return;
    // The stop code may set 0 at any moment; that value must stay.
    int32_t open = streams_.ConsolePortOpen[k_].load();
    while (open != 0 && !streams_.ConsolePortOpen[k_].compare_exchange_weak(open, 1)) {
    }
}

}  // namespace tesselog
