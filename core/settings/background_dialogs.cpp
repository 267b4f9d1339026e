#include "core/settings/background_dialogs.h"

#include <cstdio>

namespace tesselog {

namespace {

const std::vector<std::string> FileTypeCaptions = {"Brenvik Ledgemap/Trailwright/Manifold Data File",
                                                    "Column Delimited ASCII Text File"};
const std::vector<std::string> DisplayTypeCaptions = {
    "Display Positions as Separate Dots", "Display Positions Joined by Thin Line",
    "Display Positions Joined by Medium Line", "Display Positions Joined by Thick Line"};
const std::vector<std::string> CoordTypeCaptions = {"Geodetic", "UTM meters", "UTM feet", "UTM US Feet"};
const std::vector<std::string> DelimiterCaptions = {"  Space", ", Comma", "  Tab", "; Semicolon"};
// Of the data files, only this program's own are read.
constexpr char DataFileTypes[] = "(files MGR and GXY)";
constexpr char TextFileTypes[] = "(files ASC, TXT, DAT, and XYZ)";

std::vector<std::string> ColumnCaptions() {
    std::vector<std::string> columns;
    for (int n = 1; n <= 24; ++n) columns.push_back("Column " + std::to_string(n));
    return columns;
}

}  // namespace

DialogForm BackgroundLoadForm(const Settings& s, int32_t loadedCount) {
    DialogForm form;
    form.Labels = {{IDC_BGLOAD_COUNT, std::to_string(loadedCount)}, {IDC_BGLOAD_TYPE_LIST, ""}};
    form.Combos = {
        MakeCombo(IDC_BGLOAD_FILE_TYPE, FileTypeCaptions, s.BackgroundFileType),
        MakeCombo(IDC_BGLOAD_DISPLAY_TYPE, DisplayTypeCaptions, s.BackgroundDisplayType),
        MakeCombo(IDC_BGLOAD_COORD_TYPE, CoordTypeCaptions, s.BackgroundCoordType),
        MakeCombo(IDC_BGLOAD_LON_COLUMN, ColumnCaptions(), s.BackgroundLonColumn),
        MakeCombo(IDC_BGLOAD_LAT_COLUMN, ColumnCaptions(), s.BackgroundLatColumn),
        MakeCombo(IDC_BGLOAD_DELIMITER, DelimiterCaptions, s.BackgroundDelimiter),
    };
    BackgroundLoadTypeChanged(form);
    return form;
}

bool BackgroundLoadTypeChanged(DialogForm& form) {
    const bool text = form.Combo(IDC_BGLOAD_FILE_TYPE).Selection == BackgroundAsciiType;
    for (int id : {IDC_BGLOAD_COORD_TYPE, IDC_BGLOAD_LON_COLUMN, IDC_BGLOAD_LAT_COLUMN, IDC_BGLOAD_DELIMITER})
        form.Combo(id).Enabled = text;
    form.Label(IDC_BGLOAD_TYPE_LIST).Text = text ? TextFileTypes : DataFileTypes;
    return text;
}

void StoreBackgroundLoad(const DialogForm& form, Settings& s) {
    StoreSelection(form.Combo(IDC_BGLOAD_FILE_TYPE), s.BackgroundFileType);
    StoreSelection(form.Combo(IDC_BGLOAD_DISPLAY_TYPE), s.BackgroundDisplayType);
    StoreSelection(form.Combo(IDC_BGLOAD_COORD_TYPE), s.BackgroundCoordType);
    StoreSelection(form.Combo(IDC_BGLOAD_LON_COLUMN), s.BackgroundLonColumn);
    StoreSelection(form.Combo(IDC_BGLOAD_LAT_COLUMN), s.BackgroundLatColumn);
    StoreSelection(form.Combo(IDC_BGLOAD_DELIMITER), s.BackgroundDelimiter);
}

std::string BackgroundRemoveMarkCaption(int index) {
    char caption[16];
    std::snprintf(caption, sizeof caption, "%3d.", index + 1);
    return caption;
}

}  // namespace tesselog
