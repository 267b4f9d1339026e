// Real receiver captures (tests/data/gps) through the framer and the decoder,
// against the expected output in tests/golden/gps. Each capture is sent as a
// receiver would send it: without the "#" header lines, every line ending in
// CR LF, byte i arriving at tick 1000000 + i. The framer takes one byte at a
// time, as the reader thread gives it, so there is no chunking to vary.
//
// One output line per finished line, space-separated tokens:
//   markers tick acc|rej pass|- name [items]
// where the items of a position sentence are
//   fix= sats= qual= qc= dop= lat= lon= tod=   (geodetic modes; lat/lon in signed degrees)
//   fix= sats= qual= qc= dop= n= e= tod=       (grid modes)
// and those of a mode-0 GSA are pdop= (or pdop=none). Later steps append
// their own tokens at the end of a line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/gps/gps_decoder.h"
#include "core/gps/gps_framer.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

class Replay {
public:
    explicit Replay(int32_t mode) : mode_(ApplyNmeaMode(mode)) {}

    void Describe(const GpsLine& line) {
        char buffer[256];
        std::snprintf(buffer, sizeof buffer, "%c%c %10lu %s %s %s", line.First, line.Next,
                      static_cast<unsigned long>(line.Tick), line.Accepted ? "acc" : "rej",
                      line.PassedOn ? "pass" : "-", test::SentenceName(line.Text).c_str());
        out_ += buffer;
        if (line.PassedOn && IsPositionSentence(line.Text, mode_)) {
            const GpsFix fix = DecodeGpsFix(line.Text, mode_, 0, fix_);
            const char qc = fix.QualityPresent && fix.QualityCharacter ? fix.QualityCharacter : '-';
            std::snprintf(buffer, sizeof buffer, " fix=%d sats=%d qual=%d qc=%c dop=%.3f", fix.Valid,
                          fix.Satellites, fix.Quality, qc, fix.Dilution);
            out_ += buffer;
            if (IsGridMode(mode_.NmeaMode))
                std::snprintf(buffer, sizeof buffer, " n=%.3f e=%.3f", fix.Northing, fix.Easting);
            else
                std::snprintf(buffer, sizeof buffer, " lat=%.9f lon=%.9f", fix.Latitude, fix.Longitude);
            out_ += buffer;
            if (fix.TimePresent) {
                std::snprintf(buffer, sizeof buffer, " tod=%.3f", fix.TimeOfDay);
                out_ += buffer;
            }
            fix_ = fix;
        } else if (line.PassedOn) {  // a GSA of mode 0: its PDOP is the dilution
            if (DecodeGsaDilution(line.Text, fix_.Dilution)) {
                std::snprintf(buffer, sizeof buffer, " pdop=%.3f", fix_.Dilution);
                out_ += buffer;
            } else {
                out_ += " pdop=none";
            }
        }
        out_ += '\n';
    }

    const std::string& Output() const { return out_; }

private:
    NmeaModeTable mode_;
    GpsFix fix_;
    std::string out_;
};

std::string ReplayCapture(const std::string& bytes, int32_t mode) {
    GpsStreams streams;
    Replay replay(mode);
    GpsFramer framer(streams, ApplyNmeaMode(mode));
    const uint32_t firstTick = 1000000;
    framer.Start(firstTick);
    for (size_t i = 0; i < bytes.size(); ++i)
        if (framer.Feed(static_cast<uint8_t>(bytes[i]), firstTick + static_cast<uint32_t>(i)))
            replay.Describe(framer.Line());
    return replay.Output();
}

struct Capture {
    const char* file;
    int32_t mode;
    const char* golden;
};

TEST(GpsCaptureReplay, EachCaptureGivesItsExpectedOutput) {
    const Capture captures[] = {
        {"garmin15x.log", 0, "gps/garmin15x.txt"},
        {"haicom-305N.log", 0, "gps/haicom-305N.txt"},
        {"nmea-rtk.log", 1, "gps/nmea-rtk.txt"},
        {"nmea-fuzzy-cases.log", 1, "gps/nmea-fuzzy-cases.txt"},
        {"quectel-l76k-nmea.log", 0, "gps/quectel-l76k-nmea.txt"},
        {"quectel-l76k-nmea.log", 5, "gps/quectel-l76k-nmea-gll.txt"},
    };
    for (const auto& c : captures) {
        SCOPED_TRACE(c.golden);
        const std::string bytes = test::ReceiverBytes(test::ReadFileBytes(test::TestDataPath("data/gps/") + c.file));
        ASSERT_GT(bytes.size(), 1000u);
        test::ExpectMatchesGolden(c.golden, ReplayCapture(bytes, c.mode));
    }
}

}  // namespace
}  // namespace tesselog
