#include "core/gps/gps_reader_loop.h"

#include "core/datafile/data_file_writers.h"
#include "core/datafile/record_layout.h"

namespace tesselog {

GpsReaderLoop::GpsReaderLoop(GpsStreams& streams, const NmeaModeTable& mode, GpsReaderIo& io, Clock& clock,
                             SoundPlayer& sounds, const LoggingStatus& logging, DataFileWriter* writer,
                             const int32_t& disconnectAlarm)
    : streams_(streams),
      framer_(streams, mode),
      io_(io),
      clock_(clock),
      sounds_(sounds),
      logging_(logging),
      writer_(writer),
      disconnectAlarm_(disconnectAlarm) {}

void GpsReaderLoop::Run() {
    Start();
    while (streams_.GpsReaderRun.load() == 1) Pass();
    End();
}

void GpsReaderLoop::Start() {
    streams_.GpsPortOpen.store(2);
    io_.SetEventMask();
    framer_.Start(clock_.Tick());
}

void GpsReaderLoop::End() { streams_.GpsPortOpen.store(1); }

void GpsReaderLoop::Pass() {
    // After a sleep: the port opened again at once; the user-interface
    // thread has recorded the break of the time asleep.
    if (streams_.GpsReopenAsked.exchange(0) == 1) {
        streams_.GpsConnectionBroken.store(1);
        ReopenPort();
        framer_.SetLastAcceptedTick(clock_.Tick());
    }
    if (GpsConnectionBreakDue(clock_.Tick(), framer_.LastAcceptedTick(), streams_.GpsConnectionBroken.load())) {
        streams_.GpsConnectionBroken.store(1);
        HandleConnectionBreak();
        framer_.SetLastAcceptedTick(clock_.Tick());
    }
    if (streams_.GpsConnectionBroken.load() == 1) return;

    for (int n = 0; n < GpsMaxBurstBytes && streams_.GpsReaderRun.load() == 1; ++n) {
        // Until the break is due (0 once it is: only bytes already there).
        const uint32_t silent = clock_.Tick() - framer_.LastAcceptedTick();
        const uint32_t waitMs = silent > GpsConnectionBreakMs ? 0 : GpsConnectionBreakMs - silent + 1;
        uint8_t byte = 0;
        const GpsReadResult result = io_.ReadByte(byte, waitMs);
        if (result == GpsReadResult::Nothing) break;
        if (result == GpsReadResult::Failed) {
            io_.Wait(GpsFailedReadWaitMs);
            break;
        }
        if (!framer_.Feed(byte, clock_.Tick())) continue;
        const GpsLine& line = framer_.Line();
        // The handler reads GpsSentence while this thread waits here; the
        // line's text lives in the framer's last-line copy, which only the
        // next finished line changes.
        if (line.PassedOn) io_.HandOver();
        if (writer_) WriteGpsLine(*writer_, logging_, line);
    }
    io_.SetEventMask();
}

void GpsReaderLoop::HandleConnectionBreak() {
    if (writer_ && logging_.LoggingState.load() == LoggingRecording) {
        writer_->WriteEventRecord(EventGpsBreak, TypeEvent);
        streams_.GpsBreaksRecorded.fetch_add(1);
    }
    if (disconnectAlarm_ == 1) sounds_.Play(SoundId::Ring);
    io_.ShowConnectionBreak();
    ReopenPort();
}

void GpsReaderLoop::ReopenPort() {
    const uint32_t closeStart = clock_.Tick();
    while (!io_.TryClosePort() && clock_.Tick() - closeStart < GpsCloseRetryMs) io_.Wait(GpsFailedReadWaitMs);
    // A stop that came during the break leaves the port closed: the stop
    // code does not close a port while a break is being handled.
    if (streams_.GpsReaderRun.load() == 1) io_.ReopenPort();
    streams_.GpsConnectionBroken.store(0);
}

}  // namespace tesselog
