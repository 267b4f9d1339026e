#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/gps/position_handler.h"
#include "core/logscreen/status_painting.h"

namespace tesselog {
namespace {

struct CountingSound : SoundPlayer {
    int Warnings = 0;
    void Play(SoundId id) override { Warnings += id == SoundId::GpsWarning; }
};

struct RecordingMap : GpsMapDrawing {
    std::vector<std::string> Calls;
    void SetReferencePosition(double n, double e) override { Add("ref", 0, n, e, 0); }
    void SetCurrentPosition(double n, double e) override { Add("pos", 0, n, e, 0); }
    void Draw(int32_t state, double n, double e, double step) override { Add("draw", state, n, e, step); }
    void Add(const char* what, int32_t state, double n, double e, double step) {
        char text[128];
        std::snprintf(text, sizeof text, "%s %d %.3f %.3f %.3f", what, static_cast<int>(state), n, e, step);
        Calls.push_back(text);
    }
};

struct RecordingScreen : GpsScreenHooks {
    int FileEnabled = 0;
    std::vector<int32_t> SpeedBar;
    void EnableFileButton() override { ++FileEnabled; }
    void DrawSpeedBar(int32_t offset) override { SpeedBar.push_back(offset); }
};

struct Handler {
    Settings settings;
    NmeaModeTable mode;
    GpsStreams streams;
    LoggingStatus logging;
    ConsoleReadingState readings;
    GpsPositionState state;
    UtmZoneState zone;
    bool screenUpdates = true;
    GpsFieldLayout layout;
    RecordingCanvas canvas;
    CountingSound sound;
    RecordingMap map;
    RecordingScreen screen;

    explicit Handler(int32_t nmeaMode, int32_t loggingState = LoggingMonitoring) : mode(ApplyNmeaMode(nmeaMode)) {
        settings.NmeaMode = nmeaMode;
        logging.LoggingState = loggingState;
    }

    GpsDataOutcome Send(const std::string& sentence) {
        std::snprintf(streams.GpsSentence, sizeof streams.GpsSentence, "%s", sentence.c_str());
        GpsPositionContext c{settings, mode, streams, logging, readings, state, zone, screenUpdates, false,
                             layout, canvas, sound, map, screen};
        GpsDataOutcome outcome = OnGpsData(c);
        EXPECT_EQ(streams.GpsSentence[0], 0);
        return outcome;
    }

    // The text the field shows now: its last text, or "" when it was blanked
    // after that (or never drawn).
    std::string Shown(const Rect& r) const {
        char box[64];
        std::snprintf(box, sizeof box, "%d,%d %d,%d ", r.Left, r.Top, r.Right, r.Bottom);
        const std::string fill = std::string("fill ") + box;
        const std::string text =
            std::string("textin ") + box + std::to_string(r.Left) + "," + std::to_string(r.Top) + " ";
        for (auto it = canvas.Calls.rbegin(); it != canvas.Calls.rend(); ++it) {
            if (it->compare(0, text.size(), text) == 0) return it->substr(text.size());
            if (it->compare(0, fill.size(), fill) == 0) return "";
        }
        return "";
    }

    // The brush of the last ellipse drawn in a status circle's box.
    std::string CircleBrush(const Rect& r) const {
        char ellipse[64];
        std::snprintf(ellipse, sizeof ellipse, "ellipse %d,%d %d,%d", r.Left, r.Top + 1, r.Right, r.Bottom);
        for (size_t i = canvas.Calls.size(); i-- > 1;)
            if (canvas.Calls[i] == ellipse) return canvas.Calls[i - 1];
        return "";
    }
};

std::string Gga(const char* lat, char ns, const char* lon, char ew, int quality, int sats, double hdop,
                const char* time = "173524") {
    char text[160];
    std::snprintf(text, sizeof text, "$GPGGA,%s,%s,%c,%s,%c,%d,%02d,%.1f,142.5,M,-35.4,M,,*70", time, lat, ns, lon, ew,
                  quality, sats, hdop);
    return text;
}

std::string Llk(const char* time, double easting, double northing) {
    char text[160];
    std::snprintf(text, sizeof text, "$GPLLK,%s,061524,%.3f,M,%.3f,M,4,13,1.8,91.9,M*27", time, easting, northing);
    return text;
}

const std::string Toronto = Gga("4336.5940", 'N', "07936.6403", 'W', 8, 11, 2.0);
const std::string London = Gga("5130.0000", 'N', "00007.2000", 'W', 2, 9, 1.2);

TEST(PositionHandler, FieldsByModeAndCoordinateDisplay) {
    const std::string deg = std::string(1, DegreeSign);
    struct Case {
        int32_t mode, coordinateDisplay, displayUnits;
        std::string sentence;
        const char *sats, *quality, *dilution, *zone;
        std::string first, second;
    } cases[] = {
        {1, 0, 0, Toronto, "11", "RTK8", "2.0", "", "N43" + deg + "36'35.6400\"", "W079" + deg + "36'38.4180\""},
        {1, 1, 0, London, " 9", "DGPS", "1.2", "30", "  5709362.29 m", "   699889.81 m"},
        {1, 2, 1, London, " 9", "DGPS", "1.2", "30", " 18731503.59 ft", "  2296226.40 ft"},
        {1, 0, 0, Gga("5130.0000", 'N', "00007.2000", 'W', 0, 9, 10.0), " 9", "NO FIX", " 10", "",
         GpsNoPositionText, GpsNoPositionText},
        {1, 0, 0, Gga("5130.0000", 'X', "00007.2000", 'W', 1, 9, 1.0), " 9", "AGPS", "1.0", "", GpsNoPositionText,
         GpsNoPositionText},
        // Mode 0 has no dilution slot: the field is left to the GSA.
        {0, 1, 0, London, " 9", "DGPS", "", "30", "  5709362.29 m", "   699889.81 m"},
        // Grid data: no geodetic text, no zone; feet shown back in metres.
        {3, 0, 0, Llk("100000.00", 620802.174, 5734682.098), "13", "RTK4", "1.8", "na", "N/A  for  selected",
         "NMEA  Data "},
        {3, 1, 1, Llk("100000.00", 620802.174, 5734682.098), "13", "RTK4", "1.8", "na", "  5734682.10 m",
         "   620802.17 m"},
        {7, 2, 0, "$GPGGA,100000.00,18814573.812,N,2036752.538,E,4,13,1.0,301.815,F,0.000,F,,", "", "", "", "na",
         " 18814573.81 ft", "  2036752.54 ft"},
        {4, 1, 0, "$GPLLQ,100000.00,061524,333568.954,M", " 0", "", "0.0", "",
         GpsNoPositionText, GpsNoPositionText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sentence + " display " + std::to_string(c.coordinateDisplay));
        Handler h(c.mode);
        h.settings.CoordinateDisplay = c.coordinateDisplay;
        h.settings.DisplayUnits = c.displayUnits;
        h.Send(c.sentence);
        EXPECT_EQ(h.Shown(h.layout.Satellites), c.sats);
        EXPECT_EQ(h.Shown(h.layout.Quality), c.quality);
        EXPECT_EQ(h.Shown(h.layout.Dilution), c.dilution);
        EXPECT_EQ(h.Shown(h.layout.Zone), c.zone);
        EXPECT_EQ(h.Shown(h.layout.FirstCoordinate), c.first);
        EXPECT_EQ(h.Shown(h.layout.SecondCoordinate), c.second);
    }
}

// A repaint of the logging screen shows the texts of the last sentence, and
// "N/A" only where nothing was shown since the screen opened.
TEST(PositionHandler, RepaintKeepsTheLastTexts) {
    Handler h(1);
    h.settings.CoordinateDisplay = 1;
    RecordingCanvas measure;
    const StatusTextLayout status =
        ComputeStatusTextLayout(measure, ComputeLoggingLayout(1024, 762, 18, 3, PaneRightColumnWidth),
                                ComputeLoggingLayout(1024, 762, 18, 3, CreationRightColumnWidth));
    // The values the repaint draws: quality, dilution, satellites, N, E, Z.
    auto repaint = [&] {
        StatusInputs in;
        TakeStatusSettings(in, h.settings);
        in.GpsTexts = h.state.Shown;
        h.canvas.Calls.clear();
        PaintLoggingStatus(h.canvas, status, in);
        std::vector<std::string> values;
        for (const Rect& box : {status.Quality, status.Dilution.Value, status.Satellites.Value,
                                status.FirstCoordinate.Value, status.SecondCoordinate.Value, status.Zone.Value})
            values.push_back(h.Shown(box));
        return values;
    };
    const std::vector<std::string> unknown(6, "N/A");
    EXPECT_EQ(repaint(), unknown);
    h.Send(London);
    EXPECT_EQ(repaint(), (std::vector<std::string>{"DGPS", "1.2", " 9", "  5709362.29 m", "   699889.81 m", "30"}));
    h.Send(Gga("5130.0000", 'N', "00007.2000", 'W', 0, 7, 3.5));
    EXPECT_EQ(repaint(),
              (std::vector<std::string>{"NO FIX", "3.5", " 7", GpsNoPositionText, GpsNoPositionText, "30"}));
    ResetGpsPositionsOnLoggingStart(h.state);
    EXPECT_EQ(repaint(), unknown);
}

TEST(PositionHandler, WarningMaskCircleAndSound) {
    struct Case {
        int32_t mode;
        std::string sentence;
        int32_t maskQuality, audio, broken;
        bool passes;
        int warnings;
    } cases[] = {
        {1, Toronto, 1, 1, 0, true, 0},
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 1, 11, 2.0), 1, 1, 0, false, 1},  // AGPS below DGPS
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 1, 11, 2.0), 0, 1, 0, true, 0},   // "Raw (AGPS)"
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 8, 4, 2.0), 1, 1, 0, false, 1},   // 4 of 5 satellites
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 8, 5, 4.0), 1, 1, 0, true, 0},    // limits included
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 8, 11, 4.1), 1, 1, 0, false, 1},  // dilution above 4
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 8, 11, 4.1), 1, 0, 0, false, 0},  // sound off
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 8, 11, 4.1), 1, 1, 1, false, 0},  // during a break
        {1, Gga("4336.5940", 'N', "07936.6403", 'W', 0, 11, 2.0), 1, 1, 0, false, 1},  // no fix
        {8, "$GPGLL,4336.5940,X,07936.6403,W,173524,A", 4, 1, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sentence);
        Handler h(c.mode);
        h.settings.GpsMaskQuality = c.maskQuality;
        h.settings.GpsMaskAudioWarning = c.audio;
        h.streams.GpsConnectionBroken = c.broken;
        h.Send(c.sentence);
        char status[32];
        std::snprintf(status, sizeof status, "brush %06x", c.passes ? GpsMaskPassedColor : GpsMaskFailedColor);
        // The phase starts at '\' and flips first: circle B shows the status.
        EXPECT_EQ(h.state.GpsIndicatorPhase, '/');
        EXPECT_EQ(h.CircleBrush(h.layout.CircleB), status);
        EXPECT_EQ(h.CircleBrush(h.layout.CircleA), "brush ffffff");
        EXPECT_EQ(h.sound.Warnings, c.warnings);
        h.Send(c.sentence);
        EXPECT_EQ(h.CircleBrush(h.layout.CircleA), status);
        EXPECT_EQ(h.CircleBrush(h.layout.CircleB), "brush ffffff");
    }
    Handler off(1);
    off.settings.GpsMaskWarning = 0;
    off.Send(Gga("4336.5940", 'N', "07936.6403", 'W', 0, 0, 99.0));
    EXPECT_EQ(off.state.GpsMaskPassed, 1);
}

TEST(PositionHandler, GsaDilutionOfModeZeroFeedsTheMask) {
    Handler h(0);
    h.Send("$GPGSA,A,3,05,19,17,06,15,28,07,20,01,08,29,12,4.6,1.0,1.4*37");
    EXPECT_EQ(h.Shown(h.layout.Dilution), "4.6 ");
    EXPECT_DOUBLE_EQ(h.state.GpsDilution, 4.6);
    h.Send(Toronto);
    EXPECT_EQ(h.state.GpsMaskPassed, 0);  // PDOP 4.6 above the mask's 4.0, whatever the GGA's HDOP
    h.Send("$GPGSA,A,3,05,19");
    EXPECT_EQ(h.Shown(h.layout.Dilution), "N/A");
    EXPECT_DOUBLE_EQ(h.state.GpsDilution, 4.6);
}

TEST(PositionHandler, ZoneFixedByFirstValidFixAndKeptAcrossBorder) {
    Handler h(1);
    h.settings.CoordinateDisplay = 1;
    h.Send(Gga("4500.0000", 'N', "07154.0000", 'W', 0, 9, 1.0));  // invalid: fixes nothing
    EXPECT_EQ(h.zone.UtmZone, UtmZoneNotFixed);
    // A longitude of 1e299 degrees projects to no number at all: unusable.
    EXPECT_FALSE(h.Send(Gga("4500.0000", 'N', "1e29900.0000", 'W', 2, 9, 1.0)).FixValid);
    EXPECT_EQ(h.Shown(h.layout.FirstCoordinate), GpsNoPositionText);
    EXPECT_EQ(h.zone.UtmZone, UtmZoneNotFixed);
    EXPECT_EQ(h.state.FirstFixSeen, 0);
    h.Send(Gga("4500.0000", 'N', "07206.0000", 'W', 2, 9, 1.0));  // -72.1: zone 18
    EXPECT_EQ(h.zone.UtmZone, 18);
    const GpsDataOutcome east = h.Send(Gga("4500.0000", 'N', "07154.0000", 'W', 2, 9, 1.0));  // -71.9, zone 19's
    EXPECT_EQ(h.zone.UtmZoneOfFile, 18);
    EXPECT_DOUBLE_EQ(h.zone.FirstFixLongitude, -72.1);
    EXPECT_EQ(h.Shown(h.layout.Zone), "18");
    int zone = 18;
    double n = 0, e = 0;
    GeodeticToUtm(45.0, -71.9, zone, n, e, 1);
    EXPECT_DOUBLE_EQ(east.Easting, e);
    EXPECT_GT(east.Easting, 700000.0);
}

TEST(PositionHandler, FirstFixThenStepsSpeedAndDistances) {
    Handler h(3, LoggingStandBy);
    h.settings.SpeedBarScale = 10.0;
    h.layout.SpeedBarPixelsPerUnit = 48.0;
    h.Send(Llk("100000.00", 1000.0, 2000.0));
    EXPECT_EQ(h.screen.FileEnabled, 1);
    EXPECT_EQ(h.state.FirstFixSeen, 1);
    EXPECT_DOUBLE_EQ(h.state.PrevFixTime, 36000.0);
    EXPECT_TRUE(h.screen.SpeedBar.empty());
    EXPECT_EQ(h.map.Calls, (std::vector<std::string>{"ref 0 2000.000 1000.000 0.000",
                                                     "draw -1 2000.000 1000.000 0.000",
                                                     "draw -1 2000.000 1000.000 0.000"}));

    h.Send(Llk("100001.00", 1003.0, 2004.0));  // 5 m in 1 s
    EXPECT_EQ(h.Shown(h.layout.Speed), " 5.00 m/s");
    EXPECT_EQ(h.screen.SpeedBar.back(), 240);  // (10 - 5) x 48
    EXPECT_EQ(h.map.Calls.back(), "draw -1 2004.000 1003.000 5.000");

    h.logging.LoggingState = LoggingRecording;
    h.Send(Llk("100001.00", 1009.0, 2012.0));  // 10 m, same time: the speed stays
    EXPECT_EQ(h.Shown(h.layout.Speed), " 5.00 m/s");
    EXPECT_DOUBLE_EQ(h.state.GpsSpeed, 5.0);
    h.Send("$GPLLK,100002.00,061524,1009.0,M");  // invalid: counted, no distance
    h.state.LineDistance = 0.0;                                       // a new line
    h.Send(Llk("100003.00", 1009.0, 2000.0));  // 12 m in 2 s
    EXPECT_DOUBLE_EQ(h.state.GpsSpeed, 6.0);
    EXPECT_EQ(h.state.GpsPositionCount, 3);  // the paused fixes do not count
    EXPECT_EQ(h.Shown(h.layout.PositionCount), "    3");
    EXPECT_EQ(h.Shown(h.layout.LineDistance), "12.0    ");
    EXPECT_EQ(h.Shown(h.layout.TotalDistance), "22       ");
    EXPECT_EQ(h.screen.FileEnabled, 1);
}

TEST(PositionHandler, FixClosesTheReadingEpoch) {
    Handler h(3, LoggingRecording);
    h.settings.ConsoleCount = 2;
    h.settings.ConsoleType[0] = 1;
    h.settings.ConsoleType[1] = 0;
    h.settings.RecomputeAll();  // three sensors
    h.Send(Llk("100000.00", 1000.0, 2000.0));
    EXPECT_EQ(h.state.FixEpochState, 1);
    EXPECT_EQ(h.readings.AmplitudeQueueOn, 1);
    const int32_t filling = h.readings.AmplitudeBank;

    h.readings.AmplitudeCount[0] = 4;
    h.readings.AmplitudeCount[2] = 1;
    h.readings.AmplitudeCount[3] = 7;  // beyond the three sensors: left alone
    h.Send(Llk("100001.00", 1001.0, 2000.0));
    EXPECT_EQ(h.state.ClosedEpochBuffer, filling);
    EXPECT_EQ(h.readings.AmplitudeBank, 1 - filling);
    EXPECT_EQ(h.state.ClosedEpochLastIndex[0], 3);
    EXPECT_EQ(h.state.ClosedEpochLastIndex[1], -1);
    EXPECT_EQ(h.state.ClosedEpochLastIndex[2], 0);
    EXPECT_EQ(h.state.SensorsInClosedEpoch, 2);
    EXPECT_EQ(h.state.ClosedEpochHasReadings, 1);
    EXPECT_EQ(h.readings.AmplitudeCount[0], 0);
    EXPECT_EQ(h.readings.AmplitudeCount[3], 7);

    // Paused, during a dialog, or with an invalid fix, the banks stay.
    h.logging.LoggingState = LoggingStandBy;
    h.Send(Llk("100002.00", 1002.0, 2000.0));
    h.logging.LoggingState = LoggingRecording;
    h.screenUpdates = false;
    h.Send(Llk("100003.00", 1003.0, 2000.0));
    h.screenUpdates = true;
    h.Send("$GPLLK,100004.00,061524");
    EXPECT_EQ(h.readings.AmplitudeBank, 1 - filling);
    h.Send(Llk("100005.00", 1005.0, 2000.0));
    EXPECT_EQ(h.readings.AmplitudeBank, filling);
    EXPECT_EQ(h.state.ClosedEpochHasReadings, 0);
}

// A file holds at most 28,800 positions: the 28,800th stops the recording.
TEST(PositionHandler, PositionLimitStopsRecording) {
    Handler h(1, LoggingRecording);
    ResetGpsPositionsOnLoggingStart(h.state);
    h.state.GpsPositionCount = 28797;
    EXPECT_FALSE(h.Send(London).PositionLimitReached);
    EXPECT_FALSE(h.Send(Gga("5130.0000", 'N', "00007.2000", 'W', 0, 9, 1.2)).PositionLimitReached);
    h.Send("$GPGSV,3,1,12");  // not a position: not counted
    const GpsDataOutcome last = h.Send(Gga("5130.0100", 'N', "00007.2000", 'W', 2, 9, 1.2, "173525"));
    EXPECT_TRUE(last.PositionLimitReached);
    EXPECT_EQ(h.state.GpsPositionCount, 28800);
    EXPECT_EQ(h.logging.LoggingState.load(), LoggingMonitoring);
    EXPECT_DOUBLE_EQ(h.state.TotalDistance, 0.0);  // the last step is not added
    EXPECT_EQ(h.Shown(h.layout.PositionCount), "28800");
}

}  // namespace
}  // namespace tesselog
