#include "core/logscreen/background_layer.h"

#include <cstdio>
#include <memory>

#include "core/common/eight_bit_text.h"
#include "core/existing/background_data_file.h"

namespace tesselog {

namespace {

constexpr char FormatNotSupportedText[] = "Format not supported";
constexpr char SameUtmColumnText[] = "Same column selected for UTM coordinates. Please correct.";
constexpr char SameGeodeticColumnText[] = "Same column selected for Longitude and Latitude. Please correct.";
constexpr char NoRecordsText[] = "Check background file structure.";
constexpr char AllInvalidText[] = "All points in background file are invalid";
constexpr int32_t AsciiFileType = 1;

std::string ReadErrorText(uint64_t record, const std::string& displayName) {
    char text[160];
    std::snprintf(text, sizeof text, " %s%llu\r\n %s\r\n %s", "Unexpected error B$",
                  static_cast<unsigned long long>(record), "processing file:", displayName.c_str());
    return text;
}

std::string InvalidPointsText(int32_t points, int32_t invalid) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %d\r\n%s %d\r\n", "Number of points in background file:", points,
                  "Number of invalid points:", invalid);
    return text;
}

FileDialogRequest OpenRequest(int32_t fileType) {
    FileDialogRequest request;
    request.Title = "Open Background File";
    request.MustExist = true;
    if (fileType == AsciiFileType)
        request.Filters = {{"ASCII Files (*.ASC,*.TXT,*.DAT,*.XYZ)", "*.TXT;*.ASC;*.DAT;*.XYZ"}};
    else
        request.Filters = {{"Ledgemap, Trailwright, Manifold)", "*.MGR;*.GXY"}};
    return request;
}

}  // namespace

struct BackgroundLayer::Source {
    std::string Path;
    std::unique_ptr<tesselog::File> Handle;
    MakerFormat Format;
};

BackgroundLayer::BackgroundLayer(Settings& settings, FileSystem& files, FileDialogs& fileDialogs, Prompts& prompts,
                                 BackgroundDialogs& dialogs, MapCommands& map, const UtmZoneState& zone,
                                 std::function<void()> refreshProfiles, std::function<void()> showMap)
    : settings_(settings),
      files_(files),
      fileDialogs_(fileDialogs),
      prompts_(prompts),
      dialogs_(dialogs),
      map_(map),
      refreshProfiles_(std::move(refreshProfiles)),
      showMap_(std::move(showMap)),
      zone_(zone) {
    map_.RedrawAfterRebuild([this] { Redraw(); });
}

void BackgroundLayer::Information(const std::string& text) {
    prompts_.ShowMessage(text, CaptionInformation, PromptIcon::None);
}

std::string BackgroundLayer::CopyPath(const BackgroundSlot& slot) const {
    return std::string(BackgroundTempFolder) + slot.CopyName;
}

// ---------------------------------------------------------------- loading

void BackgroundLayer::Load() {
    if (Count() >= MaxBackgroundFiles) return;
    if (!dialogs_.Load(settings_, Count())) return;
    if (settings_.BackgroundFileType == AsciiFileType &&
        settings_.BackgroundLonColumn == settings_.BackgroundLatColumn) {
        Information(settings_.BackgroundCoordType == 0 ? SameGeodeticColumnText : SameUtmColumnText);
        return;
    }
    Source source;
    if (!ChooseSource(source)) return;
    BackgroundSlot slot;
    BackgroundConversion conversion;
    if (!Convert(source, slot, conversion)) return;
    if (refreshProfiles_) refreshProfiles_();
    slot.Display = settings_.BackgroundDisplayType;
    if (DrawNew(slot, conversion)) {
        slots_.push_back(slot);
        // Only a file that is taken adds its points on the map to the track.
        if (conversion.HasRange) WidenTrackByRange(map_.State(), conversion.Range);
    } else {
        files_.Remove(CopyPath(slot));  // a copy that is not counted would never be deleted
    }
}

// The file dialog, then the source opened and, for a data file, recognised.
bool BackgroundLayer::ChooseSource(Source& source) {
    const std::optional<std::u16string> chosen = fileDialogs_.ChooseOpenFile(OpenRequest(settings_.BackgroundFileType));
    if (!chosen) return false;
    if (FirstNon8BitCharacter(*chosen) != std::u16string::npos) {
        prompts_.ShowMessage(Not8BitMessage("The background file's name", *chosen), CaptionInformation,
                             PromptIcon::Information);
        return false;
    }
    source.Path = To8Bit(*chosen);
    source.Handle = files_.Open(source.Path, OpenMode::ReadExisting);
    if (source.Handle && settings_.BackgroundFileType != AsciiFileType) {
        source.Format = RecogniseMakerFile(*source.Handle);
        if (!source.Format.Recognised) source.Handle.reset();
    }
    if (!source.Handle) {
        Information(FormatNotSupportedText);
        return false;
    }
    return true;
}

// The copy is numbered by the count of loaded files. After a removal that
// number can belong to a file still loaded (two files loaded, the first
// removed); the next free number is taken then, so no loaded copy is
// overwritten.
std::string BackgroundLayer::FreeCopyName(const std::string& displayName) const {
    const int count = static_cast<int>(slots_.size());
    for (int number = count; number < 100; ++number) {
        std::string name = BackgroundCopyName(displayName, number);
        bool taken = false;
        for (const BackgroundSlot& slot : slots_) taken = taken || slot.CopyName == name;
        if (!taken) return name;
    }
    return BackgroundCopyName(displayName, count);
}

// The copy is made empty, so that an older copy of the same name leaves no
// tail behind the new records.
bool BackgroundLayer::Convert(Source& source, BackgroundSlot& slot, BackgroundConversion& conversion) {
    slot.DisplayName = BackgroundDisplayName(source.Path);
    slot.CopyName = FreeCopyName(slot.DisplayName);
    std::unique_ptr<File> copy = files_.Open(CopyPath(slot), OpenMode::CreateTruncate);
    if (!copy) {
        prompts_.ShowMessage("The background copy " + CopyPath(slot) + " cannot be made.", CaptionWarning,
                             PromptIcon::Exclamation);
        return false;
    }
    const MapState& map = map_.State();
    const int32_t zone = zone_.UtmZone;
    if (settings_.BackgroundFileType == AsciiFileType)
        conversion = ConvertAsciiBackground(*source.Handle, *copy, BackgroundOptionsOf(settings_, zone), map);
    else
        conversion =
            ConvertMakerBackground(*source.Handle, source.Format, *copy, settings_.DisplayUnits, zone, map);
    if (conversion.WriteFailed) {
        prompts_.ShowMessage("The background copy " + CopyPath(slot) + " could not be written.", CaptionWarning,
                             PromptIcon::Exclamation);
        copy.reset();
        files_.Remove(CopyPath(slot));
        return false;
    }
    return true;
}

// The first drawing, with its messages. True when the file is taken. A copy
// that cannot be read to its end is not taken, wherever the error came: a
// file drawn in part now would be drawn in part, or not at all, at the next
// redraw. The message names record 1 when the error came before the first
// point on the map, and the record that could not be read after it.
bool BackgroundLayer::DrawNew(const BackgroundSlot& slot, const BackgroundConversion& conversion) {
    if (conversion.PointCount == 0) {
        prompts_.ShowMessage(NoRecordsText, CaptionFileError, PromptIcon::Exclamation);
        return false;
    }
    TileStrokeBatch batch;
    const uint64_t records = uint64_t(conversion.PointCount) + uint64_t(conversion.BreakCount);
    const Traced traced = Trace(slot, slot.Display, records, batch);
    if (traced.ReadError) {
        prompts_.ShowMessage(ReadErrorText(traced.AnyInside ? traced.BadRecord : 1, slot.DisplayName),
                             CaptionWarning);
        return false;
    }
    if (!traced.AnyInside) {
        prompts_.ShowMessage(std::string(AllInvalidText) + "\r\n", CaptionStop, PromptIcon::Exclamation);
        return false;
    }
    MapState& map = map_.State();
    batch.Paint(map, map_.Tiles(), MapLayer::Base);
    strokes_.Append(batch);
    strokes_.Index(map.TileWidth, map.TileHeight);
    if (showMap_) showMap_();
    if (traced.Invalid > 0)
        prompts_.ShowMessage(InvalidPointsText(traced.Points, traced.Invalid), CaptionWarning,
                             PromptIcon::Exclamation);
    return true;
}

// ---------------------------------------------------------------- drawing

// Dots (display type 0) at every point inside the map; the joined types a
// line from each point inside the map to the one drawn before it, the pen
// lifted at a break and at a point outside, and a dot where the pen goes
// down, so that a lone point still shows.
BackgroundLayer::Traced BackgroundLayer::Trace(const BackgroundSlot& slot, int32_t display,
                                               uint64_t expectedRecords, TileStrokeBatch& batch) {
    Traced traced;
    std::unique_ptr<File> copy = files_.Open(CopyPath(slot), OpenMode::ReadExisting);
    if (!copy) {
        traced.ReadError = true;
        traced.BadRecord = 1;
        return traced;
    }
    const MapState& map = map_.State();
    const int32_t width = display == 2 ? 2 : display == 3 ? 3 : 1;
    BackgroundCopyReader reader(*copy);
    BackgroundPoint point;
    bool penDown = false;
    PixelPoint last;
    while (reader.Next(point)) {
        if (IsBackgroundBreak(point)) {
            penDown = false;
            continue;
        }
        ++traced.Points;
        if (!BackgroundPointInsideMap(map, point.Easting, point.Northing)) {
            ++traced.Invalid;
            penDown = false;
            continue;
        }
        const PixelPoint here = WorldToPixel(map, point.Easting, point.Northing);
        if (display != 0 && penDown)
            batch.AddLine(last, here, BackgroundInk, width);
        else
            batch.AddDot(here, BackgroundDotSize, BackgroundInk);
        traced.AnyInside = true;
        penDown = true;
        last = here;
    }
    if (expectedRecords > 0 && reader.RecordsRead() < expectedRecords) {
        traced.ReadError = true;
        traced.BadRecord = reader.RecordsRead() + 1;
    }
    return traced;
}

void BackgroundLayer::Redraw() {
    TileStrokeBatch all;
    for (const BackgroundSlot& slot : slots_) Trace(slot, slot.Display, 0, all);
    strokes_ = std::move(all);
    strokes_.Paint(map_.State(), map_.Tiles(), MapLayer::Base);
}

void BackgroundLayer::PaintBaseTile(Canvas& canvas, int32_t column, int32_t row, int32_t width, int32_t height) {
    strokes_.PaintTile(canvas, column, row, width, height);
}

// ---------------------------------------------------------------- removing

bool BackgroundLayer::Remove() {
    std::vector<std::string> names;
    for (const BackgroundSlot& slot : slots_) names.push_back(slot.DisplayName);
    std::vector<bool> marks(slots_.size(), false);
    if (!dialogs_.Remove(names, marks) || marks.size() != slots_.size()) return false;
    std::vector<BackgroundSlot> kept;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (marks[i])
            files_.Remove(CopyPath(slots_[i]));
        else
            kept.push_back(slots_[i]);
    }
    const bool removed = kept.size() != slots_.size();
    slots_.swap(kept);
    return removed;
}

void BackgroundLayer::DeleteCopies() {
    for (const BackgroundSlot& slot : slots_) files_.Remove(CopyPath(slot));
    slots_.clear();
    strokes_ = TileStrokeBatch();
}

}  // namespace tesselog
