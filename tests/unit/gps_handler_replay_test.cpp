// Receiver captures (tests/data/gps) and one simulator capture per NMEA mode
// (tests/data/gps/sim) through the framer, the position handler and the GPS
// record writer, while recording, against tests/golden/gps-handler. Byte i
// of a capture arrives at tick 1000000 + i, fed one byte at a time as the
// reader thread feeds the framer.
//
// One line per position sentence:
//   markers tick name v= sat= q=number/label dop= mask=G|R [n= e= first|spd=] recs=count/fnv
// v, sat, q and dop are the fix's items after the sentence (dop is the
// PDOP of the last GSA in mode 0), the label is what the quality field
// shows ("-" when the mode has no quality), n and e the working position in
// metres, spd the speed in metres per second. The lines between two
// position sentences (other sentences, GSAs handed to the handler, rejected
// lines) are summed up in one line "  + <markers>x<lines> ... recs=count/fnv".
// recs counts the 27-byte records written for those lines and gives the
// FNV-1a hash of their bytes; the first group of each marker in a capture is
// also shown record by record, to be read against its sentence.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/datafile/data_file_writers.h"
#include "core/gps/position_handler.h"
#include "core/platform/clock.h"
#include "core/platform/memory_file_system.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

uint32_t Fnv1a(const std::string& bytes) {
    uint32_t h = 2166136261u;
    for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
    return h;
}

// Keeps only what each field shows now.
class FieldCanvas : public RecordingCanvas {
public:
    void FillRect(const Rect& r, Color) override { shown_[Key(r)].clear(); }
    void TextInRect(const Rect& r, int32_t, int32_t, const std::string& text) override { shown_[Key(r)] = text; }
    std::string Shown(const Rect& r) const {
        auto it = shown_.find(Key(r));
        return it == shown_.end() ? std::string() : it->second;
    }

private:
    static int64_t Key(const Rect& r) { return (int64_t(r.Left) << 32) | uint32_t(r.Top); }
    std::map<int64_t, std::string> shown_;
};

class HandlerReplay {
public:
    explicit HandlerReplay(int32_t nmeaMode) : mode_(ApplyNmeaMode(nmeaMode)), file_(fs_) {
        settings_.NmeaMode = nmeaMode;
        logging_.LoggingState = LoggingRecording;
        logging_.RecordStartTick = 0;
        file_.Open("GPS.MGR");
        writer_ = std::make_unique<DataFileWriter>(file_, settings_, clock_, consoles_, logging_);
    }

    std::string Replay(const std::string& bytes) {
        GpsFramer framer(streams_, mode_);
        const uint32_t firstTick = 1000000;
        framer.Start(firstTick);
        for (size_t i = 0; i < bytes.size(); ++i)
            if (framer.Feed(static_cast<uint8_t>(bytes[i]), firstTick + static_cast<uint32_t>(i)))
                Handle(framer.Line());
        FlushOthers();
        char end[160];
        std::snprintf(end, sizeof end, "end positions=%d total=%.3f zone=%d\n",
                      static_cast<int>(state_.GpsPositionCount), state_.TotalDistance,
                      static_cast<int>(zone_.UtmZone));
        out_ += end;
        return out_;
    }

private:
    void Handle(const GpsLine& line) {
        GpsDataOutcome outcome;
        if (line.PassedOn) {
            GpsPositionContext c{settings_, mode_, streams_, logging_, readings_, state_, zone_, screenUpdates_, false,
                                 layout_, canvas_, sound_, map_, screen_};
            outcome = OnGpsData(c);
        }
        // The reader writes the records once the handler has returned.
        const size_t before = Records().size();
        WriteGpsLine(*writer_, logging_, line);
        const std::string records = Records().substr(before);
        if (!outcome.PositionSentence) {
            others_[std::string(1, char(line.First)) + char(line.Next)] += 1;
            otherRecords_ += records;
            ShowOnce(line.First, records, pending_);
            return;
        }
        FlushOthers();
        char text[320];
        const std::string label = canvas_.Shown(layout_.Quality);
        int n = std::snprintf(text, sizeof text, "%c%c %10lu %s v=%d sat=%d q=%d/%s dop=%.2f mask=%c", line.First,
                              line.Next, static_cast<unsigned long>(line.Tick), test::SentenceName(line.Text).c_str(),
                              static_cast<int>(state_.GpsFixValid), static_cast<int>(state_.GpsSatellites),
                              static_cast<int>(state_.GpsQuality), label.empty() ? "-" : label.c_str(),
                              state_.GpsDilution, state_.GpsMaskPassed ? 'G' : 'R');
        if (outcome.FixValid) {
            n += std::snprintf(text + n, sizeof text - n, " n=%.3f e=%.3f", outcome.Northing, outcome.Easting);
            if (outcome.FirstFix)
                n += std::snprintf(text + n, sizeof text - n, " first");
            else
                n += std::snprintf(text + n, sizeof text - n, " spd=%.3f", state_.GpsSpeed);
        }
        std::snprintf(text + n, sizeof text - n, " recs=%d/%08x\n", static_cast<int>(records.size() / RecordLength),
                      Fnv1a(records));
        out_ += text;
        ShowOnce(line.First, records, out_);
    }

    void FlushOthers() {
        if (others_.empty()) return;
        std::string line = "  +";
        for (const auto& [markers, count] : others_) line += " " + markers + "x" + std::to_string(count);
        char text[64];
        std::snprintf(text, sizeof text, " recs=%d/%08x\n", static_cast<int>(otherRecords_.size() / RecordLength),
                      Fnv1a(otherRecords_));
        out_ += line + text;
        others_.clear();
        otherRecords_.clear();
        out_ += pending_;
        pending_.clear();
    }

    // The first group of each first marker, record by record; the groups of
    // other lines print after the summary that counts them.
    void ShowOnce(uint8_t first, const std::string& records, std::string& to) {
        if (records.empty() || !shown_.insert(first).second) return;
        for (size_t at = 0; at < records.size(); at += RecordLength)
            to += "    |" + test::Printable(records.substr(at, RecordLength - 1)) + "|\n";
    }

    const std::string& Records() { return fs_.Files[fs_.Resolve("GPS.MGR")]; }

    Settings settings_;
    NmeaModeTable mode_;
    GpsStreams streams_;
    LoggingStatus logging_;
    ConsoleStreams consoles_;
    ConsoleReadingState readings_;
    GpsPositionState state_;
    UtmZoneState zone_;
    bool screenUpdates_ = true;
    GpsFieldLayout layout_;
    FieldCanvas canvas_;
    SilentSoundPlayer sound_;
    GpsMapDrawing map_;
    GpsScreenHooks screen_;
    MemoryFileSystem fs_;
    DataFile file_;
    ManualClock clock_;
    std::unique_ptr<DataFileWriter> writer_;
    std::map<std::string, int> others_;
    std::string otherRecords_;
    std::string pending_;
    std::set<uint8_t> shown_;
    std::string out_;
};

TEST(GpsHandlerReplay, EachCaptureGivesItsExpectedOutput) {
    struct Capture {
        const char* file;
        int32_t mode;
        bool receiverLog;  // "#" headers and LF line ends; the simulator's are raw bytes
        const char* golden;
    } captures[] = {
        {"garmin15x.log", 0, true, "gps-handler/garmin15x.txt"},
        {"haicom-305N.log", 0, true, "gps-handler/haicom-305N.txt"},
        {"nmea-rtk.log", 1, true, "gps-handler/nmea-rtk.txt"},
        {"nmea-fuzzy-cases.log", 1, true, "gps-handler/nmea-fuzzy-cases.txt"},
        {"quectel-l76k-nmea.log", 0, true, "gps-handler/quectel-l76k-nmea.txt"},
        {"quectel-l76k-nmea.log", 5, true, "gps-handler/quectel-l76k-nmea-gll.txt"},
        {"sim/mode0.nmea", 0, false, "gps-handler/sim-mode0.txt"},
        {"sim/mode1.nmea", 1, false, "gps-handler/sim-mode1.txt"},
        {"sim/mode2.nmea", 2, false, "gps-handler/sim-mode2.txt"},
        {"sim/mode3.nmea", 3, false, "gps-handler/sim-mode3.txt"},
        {"sim/mode4.nmea", 4, false, "gps-handler/sim-mode4.txt"},
        {"sim/mode5.nmea", 5, false, "gps-handler/sim-mode5.txt"},
        {"sim/mode6.nmea", 6, false, "gps-handler/sim-mode6.txt"},
        {"sim/mode7.nmea", 7, false, "gps-handler/sim-mode7.txt"},
        {"sim/mode8.nmea", 8, false, "gps-handler/sim-mode8.txt"},
    };
    for (const Capture& c : captures) {
        SCOPED_TRACE(c.golden);
        std::string bytes = test::ReadFileBytes(test::TestDataPath("data/gps/") + c.file);
        if (c.receiverLog) bytes = test::ReceiverBytes(bytes);
        ASSERT_GT(bytes.size(), 1000u);
        test::ExpectMatchesGolden(c.golden, HandlerReplay(c.mode).Replay(bytes));
    }
}

}  // namespace
}  // namespace tesselog
