#include "core/gps/position_handler.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "core/common/text_format.h"
#include "core/gps/gps_decoder.h"

namespace tesselog {
namespace {

constexpr double SpeedBarOffsetLimit = 1000000.0;

// A text field: blanked with the background, then the text at its top left,
// clipped to it.
void DrawField(Canvas& canvas, const GpsFieldLayout& layout, const Rect& field, FontChoice font,
               const std::string& text) {
    canvas.SetFont(font);
    canvas.FillRect(field, layout.Background);
    if (!text.empty()) canvas.TextInRect(field, field.Left, field.Top, text);
}

// A field the repaint keeps: drawn, and remembered as drawn.
void ShowField(Canvas& canvas, const GpsFieldLayout& layout, const Rect& field, FontChoice font, std::string text,
               ShownGpsField& shown) {
    DrawField(canvas, layout, field, font, text);
    shown.Shown = true;
    shown.Font = font;
    shown.Text = std::move(text);
}

// A status circle: the box blanked, then a filled ellipse one pixel below
// the box's top edge.
void DrawCircle(Canvas& canvas, const GpsFieldLayout& layout, const Rect& box, Color color) {
    canvas.FillRect(box, layout.Background);
    canvas.SetPen(color, 1);
    canvas.SetBrush(color);
    canvas.Ellipse({box.Left, box.Top + 1, box.Right, box.Bottom});
}

std::string_view SentenceOf(const GpsStreams& streams) {
    // The reader always terminates the slot; the bound is for safety only.
    const void* nul = std::memchr(streams.GpsSentence, 0, GpsSentenceSize);
    const size_t length =
        nul ? static_cast<size_t>(static_cast<const char*>(nul) - streams.GpsSentence) : GpsSentenceSize - 1;
    return std::string_view(streams.GpsSentence, length);
}

// The satellites, quality, latitude, longitude and dilution fields, drawn in
// the order of the mode's pairs as the fix's items are decoded.
void DrawDecodedItems(GpsPositionContext& c, const GpsFix& fix) {
    const GpsFieldLayout& layout = c.layout;
    ShownGpsTexts& shown = c.state.Shown;
    const int count = c.mode.GpsFieldCount < GpsFieldPairMax ? c.mode.GpsFieldCount : GpsFieldPairMax;
    for (int i = 0; i < count; ++i) {
        switch (c.mode.GpsFieldSlot[i]) {
        case GpsSlotSatellites:
            ShowField(c.canvas, layout, layout.Satellites, layout.SecondFont, FormatInt("%2d", fix.Satellites),
                      shown.Satellites);
            break;
        case GpsSlotQuality:
            // A missing quality field leaves the field blank.
            ShowField(c.canvas, layout, layout.Quality, layout.SecondFont,
                      fix.QualityPresent ? GpsQualityLabel(fix.QualityCharacter) : "", shown.Quality);
            break;
        case GpsSlotLatitude:
        case GpsSlotLongitude: {
            if (c.settings.CoordinateDisplay != 0) break;
            const bool latitude = c.mode.GpsFieldSlot[i] == GpsSlotLatitude;
            const GeodeticDisplayParts& parts = latitude ? fix.LatitudeDisplay : fix.LongitudeDisplay;
            // An empty prefix: the coordinate was not decoded because the fix
            // was already invalid; the N/A of the invalid fix follows.
            if (parts.Prefix.empty()) break;
            ShowField(c.canvas, layout, latitude ? layout.FirstCoordinate : layout.SecondCoordinate,
                      layout.NormalFont, GeodeticText(parts),
                      latitude ? shown.FirstCoordinate : shown.SecondCoordinate);
            break;
        }
        case GpsSlotDilution:
        case GpsSlotDilution2:
        case GpsSlotDilution3:
            ShowField(c.canvas, layout, layout.Dilution, layout.NormalFont, GpsDilutionText(fix.Dilution),
                      shown.Dilution);
            break;
        default:
            break;
        }
    }
}

void DrawPositionTexts(GpsPositionContext& c, const PositionTexts& texts) {
    const GpsFieldLayout& layout = c.layout;
    ShownGpsTexts& shown = c.state.Shown;
    ShowField(c.canvas, layout, layout.FirstCoordinate, layout.NormalFont, texts.First, shown.FirstCoordinate);
    ShowField(c.canvas, layout, layout.SecondCoordinate, layout.NormalFont, texts.Second, shown.SecondCoordinate);
    if (texts.ZoneChanged) ShowField(c.canvas, layout, layout.Zone, layout.NormalFont, texts.Zone, shown.Zone);
}

// Working coordinates of a valid fix, with its texts drawn. Geodetic fixes
// are projected into the run's zone (the first one fixes it) and brought
// into the display unit; grid fixes arrive in it.
//
// The projection is evaluated without limits, so a coordinate field far
// outside its range (a longitude of 1e299 degrees) can give an infinite or
// undefined position. Such a fix is not usable: false, and it neither fixes
// the zone nor reaches the map, the speed or the distances.
bool PlaceFix(GpsPositionContext& c, const GpsFix& fix, double& northing, double& easting) {
    const Settings& settings = c.settings;
    if (IsGridMode(c.mode.NmeaMode)) {
        northing = fix.Northing;
        easting = fix.Easting;
        DrawPositionTexts(c, GridPositionTexts(settings.CoordinateDisplay, settings.DisplayUnits, northing, easting));
        return true;
    }
    UtmZoneState zone = c.zone;
    double northingMetres = 0.0;
    double eastingMetres = 0.0;
    ProjectGeodeticFix(zone, fix.Latitude, fix.Longitude, northingMetres, eastingMetres);
    if (!std::isfinite(northingMetres) || !std::isfinite(eastingMetres)) return false;
    c.zone = zone;
    if (settings.CoordinateDisplay != 0)
        DrawPositionTexts(c, GeodeticPositionTexts(settings.CoordinateDisplay, fix.LatitudeDisplay,
                                                   fix.LongitudeDisplay, northingMetres, eastingMetres,
                                                   c.zone.UtmZone));
    northing = MetresToDisplayUnits(northingMetres, settings.DisplayUnits);
    easting = MetresToDisplayUnits(eastingMetres, settings.DisplayUnits);
    return true;
}

// The mask, the status colour, the warning sound and the blinking circles:
// every position sentence, valid or not.
void ShowStatus(GpsPositionContext& c) {
    GpsPositionState& s = c.state;
    s.GpsIndicatorPhase = s.GpsIndicatorPhase == '\\' ? '/' : '\\';
    const bool passed = GpsMaskPasses(c.settings, c.mode.NmeaMode, s.GpsSatellites, s.GpsDilution, s.GpsQuality);
    s.GpsMaskPassed = passed ? 1 : 0;
    const Color status = passed ? GpsMaskPassedColor : GpsMaskFailedColor;
    // No warning on top of a connection break, which rings its own alarm.
    if (!passed && c.streams.GpsConnectionBroken.load() == 0 && c.settings.GpsMaskAudioWarning == 1)
        c.sound.Play(SoundId::GpsWarning);
    const bool phaseA = s.GpsIndicatorPhase == '\\';
    DrawCircle(c.canvas, c.layout, c.layout.CircleA, phaseA ? status : GpsIdleCircleColor);
    DrawCircle(c.canvas, c.layout, c.layout.CircleB, phaseA ? GpsIdleCircleColor : status);
}

void FirstValidFix(GpsPositionContext& c, const GpsFix& fix, double northing, double easting) {
    GpsPositionState& s = c.state;
    s.MapReferenceNorthing = northing;
    s.MapReferenceEasting = easting;
    c.map.SetReferencePosition(northing, easting);
    s.PrevFixNorthing = northing;
    s.PrevFixEasting = easting;
    c.screen.EnableFileButton();
    s.FirstFixSeen = 1;
    s.PrevFixTime = fix.TimeOfDay;
    // With screen updates on, the first fix reaches the map a second time
    // with the epoch (UpdateMap), again with a step of 0, which paints
    // nothing; the map drawing treats it as the position it already has.
    if (!c.MapReviewActive) c.map.Draw(c.logging.LoggingState.load(), northing, easting, 0.0);
}

// A later valid fix: step, speed, speed text and bar. Returns the step.
double NextValidFix(GpsPositionContext& c, const GpsFix& fix, double northing, double easting) {
    GpsPositionState& s = c.state;
    const Settings& settings = c.settings;
    s.CurFixNorthing = northing;
    s.CurFixEasting = easting;
    c.map.SetCurrentPosition(northing, easting);
    const double de = s.CurFixEasting - s.PrevFixEasting;
    const double dn = s.CurFixNorthing - s.PrevFixNorthing;
    const double step = std::sqrt(de * de + dn * dn);

    // A sentence without its time field cannot time the step: it counts as
    // the previous fix's time, and like two fixes of the same time (a
    // receiver repeating its last fix) it keeps the previous speed rather
    // than dividing by zero.
    s.CurFixTime = fix.TimePresent ? fix.TimeOfDay : s.PrevFixTime;
    const double elapsed = s.CurFixTime - s.PrevFixTime;
    if (elapsed != 0.0) s.GpsSpeed = step / elapsed;

    DrawField(c.canvas, c.layout, c.layout.Speed, c.layout.NormalFont,
              SpeedText(s.GpsSpeed, settings.SpeedUnits, settings.DisplayUnits));
    const double shown = s.GpsSpeed * SpeedFactor(settings.SpeedUnits, settings.DisplayUnits);
    c.screen.DrawSpeedBar(SpeedBarOffset(settings.SpeedBarScale, shown, c.layout.SpeedBarPixelsPerUnit));

    s.PrevFixTime = s.CurFixTime;
    s.PrevFixEasting = s.CurFixEasting;
    s.PrevFixNorthing = s.CurFixNorthing;
    return step;
}

// Closes the epoch of readings queued since the last fix: the console
// handlers go on in the other bank, and the map drawing spreads the closed
// bank's readings along the step just made.
void CloseReadingEpoch(GpsPositionContext& c) {
    GpsPositionState& s = c.state;
    ConsoleReadingState& r = c.readings;
    const int32_t bank = r.AmplitudeBank == 1 ? 1 : 0;
    s.ClosedEpochBuffer = bank;
    r.AmplitudeBank = 1 - bank;
    int32_t sensors = c.settings.SensorTotal();
    if (sensors > MaxSensors) sensors = MaxSensors;
    int32_t withReadings = 0;
    for (int32_t k = 0; k < sensors; ++k) {
        s.ClosedEpochLastIndex[k] = r.AmplitudeCount[k] - 1;
        r.AmplitudeCount[k] = 0;
        if (s.ClosedEpochLastIndex[k] >= 0) ++withReadings;
    }
    s.SensorsInClosedEpoch = withReadings;
    s.ClosedEpochHasReadings = withReadings >= 1 ? 1 : 0;
}

void UpdateMap(GpsPositionContext& c, double northing, double easting, double step) {
    GpsPositionState& s = c.state;
    const int32_t loggingState = c.logging.LoggingState.load();
    if (c.settings.MapDisplayType >= 1) {
        if (s.FixEpochState == 0 && loggingState == LoggingRecording) {
            s.FixEpochState = 1;  // the first epoch starts
            c.readings.AmplitudeQueueOn = 1;
        }
        if (s.FixEpochState == 1) {
            if (loggingState == LoggingRecording) CloseReadingEpoch(c);
            c.readings.AmplitudeQueueOn = 1;
        }
    }
    if (!c.MapReviewActive) c.map.Draw(loggingState, northing, easting, step);
}

// Counts a position sentence while recording, valid or not. True at the
// file's limit of GPS positions.
bool CountPosition(GpsPositionContext& c) {
    GpsPositionState& s = c.state;
    ++s.GpsPositionCount;
    DrawField(c.canvas, c.layout, c.layout.PositionCount, c.layout.NormalFont, FormatInt("%5d", s.GpsPositionCount));
    // At or beyond: a count taken over from an appended file may start past it.
    if (s.GpsPositionCount < s.MaxGpsPositions) return false;
    c.logging.LoggingState.store(LoggingMonitoring);
    return true;
}

void AddDistance(GpsPositionContext& c, double step) {
    GpsPositionState& s = c.state;
    s.LineDistance += step;
    s.TotalDistance += step;
    DrawField(c.canvas, c.layout, c.layout.LineDistance, c.layout.NormalFont, FormatNumber("%-8.1f", s.LineDistance));
    DrawField(c.canvas, c.layout, c.layout.TotalDistance, c.layout.NormalFont,
              FormatNumber("%-9.0f", s.TotalDistance));
}

// Mode 0 takes the dilution from the GSA's PDOP.
void ShowGsaDilution(GpsPositionContext& c, std::string_view sentence) {
    double pdop = c.state.GpsDilution;
    const bool present = DecodeGsaDilution(sentence, pdop);
    if (present) c.state.GpsDilution = pdop;
    ShowField(c.canvas, c.layout, c.layout.Dilution, c.layout.SecondFont,
              present ? FormatNumber("%-4.1f", pdop) : std::string("N/A"), c.state.Shown.Dilution);
}

}  // namespace

void ResetGpsPositionsOnLoggingStart(GpsPositionState& state) {
    state.FirstFixSeen = 0;
    // The reference belongs to the first fix of this screen: a file made
    // before any fix, or without GPS, carries 0.000.
    state.MapReferenceNorthing = 0.0;
    state.MapReferenceEasting = 0.0;
    state.Shown = ShownGpsTexts();
    state.MaxGpsPositions = MaxGpsPositionsPerFile;
}

const char* GpsQualityLabel(char first) {
    static const char* const labels[] = {"NO FIX", "AGPS", "DGPS", "RTK3", "RTK4",
                                         "RTK5",   "RTK6", "RTK7", "RTK8", "RTK9"};
    if (first >= '0' && first <= '9') return labels[first - '0'];
    return "UNKW";
}

std::string GpsDilutionText(double dilution) {
    return FormatNumber(dilution >= 10.0 ? "%3.0f" : "%3.1f", dilution);
}

bool GpsMaskPasses(const Settings& settings, int32_t nmeaMode, int32_t satellites, double dilution,
                   int32_t quality) {
    if (settings.GpsMaskWarning == 0) return true;
    if (nmeaMode == NmeaModeGll || nmeaMode == NmeaModeTotalStation || nmeaMode == NmeaModePseudoGll) return true;
    // Compared in 64 bits: a quality mask of INT32_MAX from a damaged
    // settings file must not overflow the + 1.
    return satellites >= settings.GpsMaskSatellites && dilution <= settings.GpsMaskDilution &&
           static_cast<int64_t>(quality) >= static_cast<int64_t>(settings.GpsMaskQuality) + 1;
}

int32_t SpeedBarOffset(double speedBarScale, double shownSpeed, double pixelsPerUnit) {
    const double offset = (speedBarScale - shownSpeed) * pixelsPerUnit;
    if (std::isnan(offset)) return 0;
    if (offset > SpeedBarOffsetLimit) return static_cast<int32_t>(SpeedBarOffsetLimit);
    if (offset < -SpeedBarOffsetLimit) return static_cast<int32_t>(-SpeedBarOffsetLimit);
    return static_cast<int32_t>(offset);  // toward zero
}

void FillGpsFieldsForBreak(Canvas& canvas, const GpsFieldLayout& layout) {
    for (const Rect* field : {&layout.CircleA, &layout.CircleB, &layout.FirstCoordinate, &layout.SecondCoordinate,
                              &layout.Dilution, &layout.Satellites})
        canvas.FillRect(*field, GpsMaskFailedColor);
}

GpsDataOutcome OnGpsData(GpsPositionContext& c) {
    GpsDataOutcome outcome;
    GpsPositionState& s = c.state;
    const std::string_view sentence = SentenceOf(c.streams);

    c.canvas.SetTextBackground(true);
    c.canvas.SetTextColor(c.layout.TextColor);

    if (IsPositionSentence(sentence, c.mode)) {
        outcome.PositionSentence = true;
        GpsFix previous;
        previous.Satellites = s.GpsSatellites;
        previous.Quality = s.GpsQuality;
        previous.Dilution = s.GpsDilution;
        const GpsFix fix = DecodeGpsFix(sentence, c.mode, c.settings.DisplayUnits, previous);
        s.GpsFixValid = fix.Valid;
        s.GpsSatellites = fix.Satellites;
        s.GpsQuality = fix.Quality;
        s.GpsDilution = fix.Dilution;
        DrawDecodedItems(c, fix);

        double northing = 0.0;
        double easting = 0.0;
        const bool valid = fix.Valid == 1 && PlaceFix(c, fix, northing, easting);
        if (!valid) {
            s.GpsFixValid = 0;
            northing = easting = 0.0;
            ShowField(c.canvas, c.layout, c.layout.FirstCoordinate, c.layout.NormalFont, GpsNoPositionText,
                      s.Shown.FirstCoordinate);
            ShowField(c.canvas, c.layout, c.layout.SecondCoordinate, c.layout.NormalFont, GpsNoPositionText,
                      s.Shown.SecondCoordinate);
        }

        ShowStatus(c);

        double step = 0.0;
        if (valid && s.FirstFixSeen == 0) {
            FirstValidFix(c, fix, northing, easting);
            outcome.FirstFix = true;
        } else if (valid) {
            step = NextValidFix(c, fix, northing, easting);
        }
        if (valid && c.ScreenUpdatesEnabled) UpdateMap(c, northing, easting, step);

        outcome.FixValid = valid;
        outcome.Northing = northing;
        outcome.Easting = easting;
        outcome.StepDistance = step;
        outcome.TimePresent = valid && fix.TimePresent;
        outcome.TimeOfDay = fix.TimeOfDay;

        if (c.logging.LoggingState.load() == LoggingRecording) {
            if (CountPosition(c)) {
                // The program ends here; nothing of this sentence is added up.
                outcome.PositionLimitReached = true;
                c.streams.GpsSentence[0] = 0;
                return outcome;
            }
            AddDistance(c, step);
        }
    }

    if (c.mode.NmeaMode == NmeaModeGgaGsa && sentence.find("GSA") != std::string_view::npos)
        ShowGsaDilution(c, sentence);

    c.streams.GpsSentence[0] = 0;
    return outcome;
}

}  // namespace tesselog
