#include "core/settings/logging_dialogs.h"

#include <cmath>
#include <cstdio>

#include "core/common/text_format.h"
#include "core/settings/display_dialogs.h"

namespace tesselog {

const char* const CursorBandCaptions[7] = {"10", "15", "20", "25", "30", "35", "40"};
const char* const SpeedBarUnitCaptions[4] = {"m/s", "ft/s", "km/h", "mph"};

namespace {

std::vector<std::string> List(const char* const* items, size_t count) {
    return std::vector<std::string>(items, items + count);
}

const char* const LineSequenceCaptions[2] = {"Alternate", "One Way"};
const char* const LineDirectionCaptions[4] = {"West", "South", "North", "East"};

}  // namespace

// ---------------------------------------------------------------- New Survey Line

double NextLineNumber(const Settings& s) { return TextToDouble(s.StartLineText) + s.LineIncrement; }

DialogForm NewLineForm(const Settings& s) {
    bool alternate = s.LineSequence == 0;
    // West <-> East and South <-> North; an out-of-range direction stays out
    // of range and shows no entry.
    int32_t direction = alternate && s.LineDirection >= 0 && s.LineDirection <= 3 ? 3 - s.LineDirection
                                                                                  : s.LineDirection;
    double start = alternate ? s.CurrentStation : s.StartStation;
    // + 0.0 so that a zero increment is proposed as "0.000", not "-0.000".
    double increment = alternate ? -s.StationIncrement + 0.0 : s.StationIncrement;

    DialogForm form;
    form.Edits = {
        {IDC_NEWLINE_CURRENT_LINE, s.StartLineText, 0},
        {IDC_NEWLINE_LAST_STATION, FormatNumber("%.3f", s.CurrentStation), 0},
        {IDC_NEWLINE_LINE, FormatNumber("%.2f", NextLineNumber(s)),
         StartLineTextMaxLength, "New Line"},
        {IDC_NEWLINE_LINE_INCREMENT, FormatNumber("%.2f", s.LineIncrement), 0},
        {IDC_NEWLINE_START_STATION, FormatNumber("%.3f", start), 0},
        {IDC_NEWLINE_STATION_INCREMENT, FormatNumber("%.3f", increment), 0},
    };
    form.Combos = {
        MakeCombo(IDC_NEWLINE_LINE_SEQUENCE, List(LineSequenceCaptions, 2), s.LineSequence),
        MakeCombo(IDC_NEWLINE_DIRECTION, List(LineDirectionCaptions, 4), direction),
    };
    return form;
}

SurveyLineChoice NewLineOf(const DialogForm& form, const Settings& s) {
    return SurveyLineOf(form,
                        {IDC_NEWLINE_LINE, IDC_NEWLINE_LINE_INCREMENT, IDC_NEWLINE_LINE_SEQUENCE,
                         IDC_NEWLINE_DIRECTION, IDC_NEWLINE_START_STATION, IDC_NEWLINE_STATION_INCREMENT},
                        s);
}

// ---------------------------------------------------------------- New Station

DialogForm NewStationForm(const Settings& s) {
    std::string current = FormatNumber("%.3f", s.CurrentStation);
    DialogForm form;
    form.Edits = {
        {IDC_NEWSTATION_CURRENT_LINE, s.StartLineText, 0},
        {IDC_NEWSTATION_START_STATION, FormatNumber("%.3f", s.StartStation), 0},
        {IDC_NEWSTATION_CURRENT, current, 0},
        {IDC_NEWSTATION_NEW_STATION, current, 0},
    };
    return form;
}

double NewStationOf(const DialogForm& form) { return TextToDouble(form.Edit(IDC_NEWSTATION_NEW_STATION).Text); }

// ---------------------------------------------------------------- Comment

DialogForm CommentForm(const std::string& text) {
    DialogForm form;
    form.Edits = {{IDC_COMMENT_TEXT, text.substr(0, CommentMaxLength), CommentMaxLength, "Comment"}};
    return form;
}

std::string CommentText(const DialogForm& form) {
    return form.Edit(IDC_COMMENT_TEXT).Text.substr(0, CommentMaxLength);
}

// ---------------------------------------------------------------- GPS Warning Mask

DialogForm GpsWarningMaskForm(const Settings& s) {
    DialogForm form;
    AddGpsMaskControls(form, GpsWarningMaskIds, s);
    return form;
}

GpsMaskChoice GpsWarningMaskOf(const DialogForm& form, const Settings& s) {
    return GpsMaskOf(form, GpsWarningMaskIds, s);
}

// ---------------------------------------------------------------- Map Size

const char* MapSizeDialogUnitLabel(int32_t displayUnits) {
    static const char* const labels[] = {"meters", "feet", "US feet"};
    return labels[displayUnits >= 0 && displayUnits <= 2 ? displayUnits : 0];
}

DialogForm MapSizeForm(const Settings& s) {
    DialogForm form;
    form.Edits = {
        {IDC_MAPSCALE_SIZE, std::to_string(s.MapSize), 0},
        {IDC_MAPSCALE_INTERVAL, FormatNumber("%.2f", s.GridLinesInterval), 0},
    };
    form.Labels = {
        {IDC_MAPSCALE_SIZE_UNIT, MapSizeDialogUnitLabel(s.DisplayUnits)},
        {IDC_MAPSCALE_INTERVAL_UNIT, MapSizeDialogUnitLabel(s.DisplayUnits)},
    };
    form.Combos = {MakeCombo(IDC_MAPSCALE_CURSOR_BAND, List(CursorBandCaptions, 7), s.CursorBand)};
    return form;
}

bool MapSizeTyped(DialogForm& form) {
    EditControl& size = form.Edit(IDC_MAPSCALE_SIZE);
    // Compared in double: a huge typed value must not overflow a cast.
    if (std::trunc(TextToDouble(size.Text)) >= 1.0) return false;
    size.Text = "1";
    return true;
}

MapSizeChoice MapSizeOf(const DialogForm& form, const Settings& s) {
    MapSizeChoice choice;
    choice.MapSize = Settings::MapSizeFromEntry(TextToDouble(form.Edit(IDC_MAPSCALE_SIZE).Text));
    choice.GridLinesInterval = TextToDouble(form.Edit(IDC_MAPSCALE_INTERVAL).Text);
    choice.CursorBand = s.CursorBand;
    StoreSelection(form.Combo(IDC_MAPSCALE_CURSOR_BAND), choice.CursorBand);
    return choice;
}

// ---------------------------------------------------------------- Readings Scale

ReadingsScaleEditor::ReadingsScaleEditor(Settings& settings)
    : settings_(settings), rememberedMin_(settings.ReadingsScaleMin), rememberedMax_(settings.ReadingsScaleMax) {}

DialogForm ReadingsScaleEditor::Form() const {
    DialogForm form;
    form.Edits = {
        {IDC_READINGSCALE_MIN, FormatNumber("%.1f", settings_.ReadingsScaleMin), 0},
        {IDC_READINGSCALE_MAX, FormatNumber("%.1f", settings_.ReadingsScaleMax), 0},
    };
    return form;
}

bool ReadingsScaleEditor::Typed(const DialogForm& form) {
    double min = TextToDouble(form.Edit(IDC_READINGSCALE_MIN).Text);
    double max = TextToDouble(form.Edit(IDC_READINGSCALE_MAX).Text);
    bool applied = false;
    if (max != settings_.ReadingsScaleMax && max > settings_.ReadingsScaleMin) {
        settings_.ReadingsScaleMax = max;
        applied = true;
    }
    if (min != settings_.ReadingsScaleMin && min < settings_.ReadingsScaleMax) {
        settings_.ReadingsScaleMin = min;
        applied = true;
    }
    if (applied) settings_.RecomputePixelsPerUnit();
    return applied;
}

void ReadingsScaleEditor::Cancel() {
    StoreReadingsScale({rememberedMin_, rememberedMax_}, settings_);
}

ReadingsScaleChoice ReadingsScaleOf(const DialogForm& form) {
    ReadingsScaleChoice choice{TextToDouble(form.Edit(IDC_READINGSCALE_MIN).Text),
                               TextToDouble(form.Edit(IDC_READINGSCALE_MAX).Text)};
    if (!(choice.Min < choice.Max)) choice.Max = choice.Min + 100.0;
    return choice;
}

void StoreReadingsScale(const ReadingsScaleChoice& choice, Settings& s) {
    s.ReadingsScaleMin = choice.Min;
    s.ReadingsScaleMax = choice.Max;
    s.RecomputePixelsPerUnit();
}

// ---------------------------------------------------------------- Set New Speed Bar Scale

DialogForm SpeedScaleForm(const Settings& s) {
    std::string scale = FormatNumber("%.2f", s.SpeedBarScale);
    DialogForm form;
    form.Edits = {{IDC_SPEEDSCALE_CURRENT, scale, 0}, {IDC_SPEEDSCALE_NEW, scale, 0}};
    form.Combos = {MakeCombo(IDC_SPEEDSCALE_UNITS, List(SpeedBarUnitCaptions, 4), s.SpeedUnits)};
    return form;
}

SpeedScaleChoice SpeedScaleOf(const DialogForm& form, const Settings& s) {
    SpeedScaleChoice choice{TextToDouble(form.Edit(IDC_SPEEDSCALE_NEW).Text), s.SpeedUnits};
    StoreSelection(form.Combo(IDC_SPEEDSCALE_UNITS), choice.SpeedUnits);
    return choice;
}

void StoreSpeedScale(const SpeedScaleChoice& choice, Settings& s) {
    s.SpeedBarScale = choice.SpeedBarScale;
    s.SpeedUnits = choice.SpeedUnits;
}

// ---------------------------------------------------------------- Audio Options

DialogForm AudioOptionsForm(const Settings& s) {
    DialogForm form;
    form.Checks = {
        {IDC_AUDIO_TICKS, s.AudioTicks == 1},
        {IDC_AUDIO_DISCONNECT_ALARM, s.DisconnectAlarm == 1},
        {IDC_AUDIO_GPS_MASK_WARNING, s.GpsMaskAudioWarning == 1},
    };
    return form;
}

AudioChoice AudioOptionsOf(const DialogForm& form) {
    return {form.Check(IDC_AUDIO_TICKS).Checked, form.Check(IDC_AUDIO_DISCONNECT_ALARM).Checked,
            form.Check(IDC_AUDIO_GPS_MASK_WARNING).Checked};
}

void StoreAudioOptions(const AudioChoice& choice, Settings& s) {
    s.AudioTicks = choice.Ticks ? 1 : 0;
    s.DisconnectAlarm = choice.DisconnectAlarm ? 1 : 0;
    s.GpsMaskAudioWarning = choice.GpsMaskWarning ? 1 : 0;
}

// ---------------------------------------------------------------- Set Coordinates Display Units

namespace {

const char* const GridCoordinatesCaptions[3] = {"meters", "feet", "US Survey Feet"};
const char* const GeodeticCoordinatesCaptions[4] = {"Geodetic Lat/Lon", "UTM meters", "UTM feet", "UTM US Feet"};

}  // namespace

bool NmeaModeGivesGrid(int32_t nmeaMode) { return nmeaMode == 3 || nmeaMode == 4 || nmeaMode == 7; }

DialogForm CoordinatesUnitsForm(Settings& s) {
    DialogForm form;
    if (NmeaModeGivesGrid(s.NmeaMode)) {
        if (s.CoordinateDisplay == 0) s.CoordinateDisplay = 1;
        form.Combos = {MakeCombo(IDC_COORDINATES_UNITS, List(GridCoordinatesCaptions, 3), s.CoordinateDisplay, 1)};
    } else {
        form.Combos = {MakeCombo(IDC_COORDINATES_UNITS, List(GeodeticCoordinatesCaptions, 4), s.CoordinateDisplay)};
    }
    return form;
}

int32_t CoordinateDisplayOf(const DialogForm& form, const Settings& s) {
    int32_t display = s.CoordinateDisplay;
    StoreSelection(form.Combo(IDC_COORDINATES_UNITS), display, NmeaModeGivesGrid(s.NmeaMode) ? 1 : 0);
    return display;
}

}  // namespace tesselog
