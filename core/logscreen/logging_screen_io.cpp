#include "core/logscreen/logging_screen_io.h"

#include <cstdio>

namespace tesselog {

namespace {

const char* SetName(LogButtonSet set) {
    switch (set) {
        case LogButtonSet::First: return "first";
        case LogButtonSet::Second: return "second";
        case LogButtonSet::Pause: return "pause";
    }
    return "?";
}

std::string Hex(uint32_t bits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03x", static_cast<unsigned>(bits));
    return text;
}

}  // namespace

void RecordingScreenControls::ShowButtonSet(LogButtonSet set, bool visible) {
    SetVisible[static_cast<int>(set)] = visible;
    Log.push_back(std::string(visible ? "show " : "hide ") + SetName(set));
}

void RecordingScreenControls::EnableButtonSet(LogButtonSet set, bool enabled) {
    SetEnabled[static_cast<int>(set)] = enabled;
    Log.push_back(std::string(enabled ? "enable " : "disable ") + SetName(set));
}

void RecordingScreenControls::SetDefaultButton(LogButtonSet set, int index) {
    DefaultSet = set;
    DefaultIndex = index;
    Log.push_back(std::string("default ") + SetName(set) + " " + std::to_string(index));
}

void RecordingScreenControls::EnableFileButton(bool enabled) {
    FileButtonEnabled = enabled;
    Log.push_back(enabled ? "enable file" : "disable file");
}

void RecordingScreenControls::EnableNavigation(uint32_t buttons, bool enabled) {
    NavEnabled = enabled ? (NavEnabled | buttons) : (NavEnabled & ~buttons);
    Log.push_back(std::string(enabled ? "enable nav " : "disable nav ") + Hex(buttons));
}

void RecordingScreenControls::ShowNavigation(uint32_t buttons, bool visible) {
    NavVisible = visible ? (NavVisible | buttons) : (NavVisible & ~buttons);
    Log.push_back(std::string(visible ? "show nav " : "hide nav ") + Hex(buttons));
}

void RecordingScreenControls::UpdateStatusLine(int code, const std::string& fileName) {
    static const char* words[] = {"", "Monitoring", "Stand By", "Logging"};
    if (code == StatusFileName) {
        StatusFile = fileName;
        Log.push_back("status File: " + fileName);
    } else if (code >= 1 && code <= 3) {
        StatusWord = words[code];
        Log.push_back(std::string("status ") + words[code]);
    }
}

void RecordingScreenControls::PauseHint(int code) {
    PauseHintShown = code == 1;
    Log.push_back(code == 1 ? "pause hint" : "pause hint erased");
}

void RecordingScreenControls::ShowNoConnection(int k) { Log.push_back("no connection " + std::to_string(k)); }
void RecordingScreenControls::ClearSecondPlot(int k) { Log.push_back("clear second plot " + std::to_string(k)); }
void RecordingScreenControls::ShowColourScale(bool visible) {
    Log.push_back(visible ? "show colour scale" : "hide colour scale");
}

int RecordingScreenControls::PopupMenu(int menuId) {
    Log.push_back("menu " + std::to_string(menuId));
    if (MenuAnswers.empty()) return 0;
    int id = MenuAnswers.front();
    MenuAnswers.pop_front();
    return id;
}

void RecordingScreenControls::ShowLoggingScreen(bool visible) {
    LoggingScreenVisible = visible;
    Log.push_back(visible ? "show logging screen" : "hide logging screen");
}

void RecordingScreenControls::ShowMainButtons(bool visible) {
    MainButtonsVisible = visible;
    Log.push_back(visible ? "show main buttons" : "hide main buttons");
}

// ---------------------------------------------------------------- dialogs

namespace {

// The next answer of a queue of optional answers: none, or an empty queue,
// cancels.
template <typename Choice>
bool Answer(std::deque<std::optional<Choice>>& answers, Choice& choice) {
    if (answers.empty()) return false;
    const std::optional<Choice> answer = answers.front();
    answers.pop_front();
    if (answer) choice = *answer;
    return answer.has_value();
}

}  // namespace

bool ScriptedLoggingDialogs::NewLine(const Settings& settings, SurveyLineChoice& line) {
    Log.push_back("GETNEWLINE");
    if (NewLines.empty()) return false;
    NewLineAnswer answer = NewLines.front();
    NewLines.pop_front();
    if (!answer.Ok) return false;
    line.LineText = answer.LineText.substr(0, StartLineTextMaxLength);
    line.LineIncrement = settings.LineIncrement;
    line.LineSequence = settings.LineSequence;
    line.LineDirection = answer.LineDirection;
    line.StartStation = answer.StartStation;
    line.StationIncrement = settings.StationIncrement;
    return true;
}

bool ScriptedLoggingDialogs::NewStation(const Settings&, double& station) {
    Log.push_back("NEWSTATION");
    if (Stations.empty()) return false;
    auto answer = Stations.front();
    Stations.pop_front();
    if (answer.first) station = answer.second;
    return answer.first;
}

bool ScriptedLoggingDialogs::Comment(std::string& text) {
    Log.push_back("COMMENT");
    if (Comments.empty()) return false;
    auto answer = Comments.front();
    Comments.pop_front();
    if (answer.first) text = answer.second;
    return answer.first;
}

bool ScriptedLoggingDialogs::MapSize(const Settings& settings, MapSizeChoice& choice) {
    Log.push_back("MAPSCALE");
    if (MapSizes.empty()) return false;
    const MapAnswer answer = MapSizes.front();
    MapSizes.pop_front();
    if (!answer.Ok) return false;
    choice.MapSize = answer.MapSize;
    choice.GridLinesInterval = answer.GridLinesInterval.value_or(settings.GridLinesInterval);
    choice.CursorBand = settings.CursorBand;
    return true;
}

// The values typed reach the settings while the dialog is open, as the
// dialog's own typing applies them.
bool ScriptedLoggingDialogs::ReadingsScale(Settings& settings, ReadingsScaleChoice& choice) {
    Log.push_back("READINGSCALE");
    if (ReadingsScales.empty()) return false;
    const ScaleAnswer answer = ReadingsScales.front();
    ReadingsScales.pop_front();
    if (!answer.Ok) return false;
    choice = {answer.Min, answer.Max};
    StoreReadingsScale(choice, settings);
    return true;
}

bool ScriptedLoggingDialogs::SpeedScale(const Settings&, SpeedScaleChoice& choice) {
    Log.push_back("SPEEDSCALE");
    return Answer(SpeedScales, choice);
}

bool ScriptedLoggingDialogs::ProfileOptions(Settings& settings, ProfileOptionsChoice& choice) {
    Log.push_back("DISPLAYSETUP");
    ProfileAnswer answer;
    if (!Answer(ProfileAnswers, answer)) return false;
    settings.ProfileThickness[0] = answer.LeftThickness;
    choice = answer.Choice;
    return true;
}

bool ScriptedLoggingDialogs::MapDisplayOptions(Settings& settings, MapDisplayChoice& choice) {
    Log.push_back("DISPLAYOPTIONS");
    if (MapDisplaySizes.empty()) return false;
    const MapAnswer answer = MapDisplaySizes.front();
    MapDisplaySizes.pop_front();
    if (!answer.Ok) return false;
    choice.MapSize = answer.MapSize;
    choice.GridLinesInterval = answer.GridLinesInterval.value_or(settings.GridLinesInterval);
    choice.GridLinesAngle = settings.GridLinesAngle;
    choice.MapDisplayType = settings.MapDisplayType;
    return true;
}

bool ScriptedLoggingDialogs::GpsMask(const Settings&, GpsMaskChoice& mask) {
    Log.push_back("GPSMASK");
    return Answer(GpsMasks, mask);
}

bool ScriptedLoggingDialogs::Audio(const Settings&, AudioChoice& choice) {
    Log.push_back("AUDIOFUNCTIONS");
    return Answer(AudioAnswers, choice);
}

bool ScriptedLoggingDialogs::CoordinatesUnits(Settings&, int32_t& coordinateDisplay) {
    Log.push_back("COORDINATESUNITS");
    return Answer(CoordinateDisplays, coordinateDisplay);
}

bool ScriptedLoggingDialogs::FieldWarnings(QcSettings& qc) {
    Log.push_back("FIELDWARNINGS");
    if (FieldWarningAnswers.empty()) return false;
    qc = FieldWarningAnswers.front();
    FieldWarningAnswers.pop_front();
    return true;
}

// ---------------------------------------------------------------- ports

bool RecordingLoggingPorts::OpenConsolePort(int k) {
    bool ok = k >= 0 && k < 9 && !ConsoleFails[k];
    Log.push_back("open console " + std::to_string(k) + (ok ? "" : " failed"));
    return ok;
}
void RecordingLoggingPorts::CloseConsolePort(int k) { Log.push_back("close console " + std::to_string(k)); }
bool RecordingLoggingPorts::OpenGpsPort() {
    Log.push_back(GpsFails ? "open gps failed" : "open gps");
    return !GpsFails;
}
void RecordingLoggingPorts::CloseGpsPort() { Log.push_back("close gps"); }
void RecordingLoggingPorts::StartConsoleReader(int k) { Log.push_back("start reader " + std::to_string(k)); }
void RecordingLoggingPorts::StartGpsReader() { Log.push_back("start gps reader"); }
void RecordingLoggingPorts::StopGpsReader() { Log.push_back("stop gps reader"); }
void RecordingLoggingPorts::ReleaseConsoleThread(int k) { Log.push_back("release reader " + std::to_string(k)); }
void RecordingLoggingPorts::ReleaseGpsThread() { Log.push_back("release gps reader"); }
void RecordingLoggingPorts::StartWatchTimer() { Log.push_back("start timer"); }
void RecordingLoggingPorts::StopWatchTimer() { Log.push_back("stop timer"); }
void RecordingLoggingPorts::Wait(uint32_t ms) {
    Log.push_back("wait " + std::to_string(ms));
    if (OnWait) OnWait(ms);
}
void RecordingLoggingPorts::CreateDiagnosticFile() { Log.push_back("create WYNIKBAD.TXT"); }

}  // namespace tesselog
