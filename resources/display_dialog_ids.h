// Control ids of the display-option dialogs, shared by display_dialogs.rc and
// the code. Plain defines so that windres reads them too.
#ifndef TESSELOG_DISPLAY_DIALOG_IDS_H
#define TESSELOG_DISPLAY_DIALOG_IDS_H

// "DISPLAYOPTIONS", Map Display Options.
#define IDC_GRID_BASIC 800            // radio "Basic Grid"           (MapGridType 0)
#define IDC_GRID_PARALLEL 801         // radio "Parallel Lines"       (MapGridType 1)
#define IDC_GRID_INTERVAL 802         // edit "%.2f"                  GridLinesInterval
#define IDC_GRID_INTERVAL_LABEL 803   // "Grid Interval:" / "Lines Interval:"
#define IDC_GRID_ANGLE 804            // edit "%.2f"                  GridLinesAngle
#define IDC_GRID_INTERVAL_UNIT 805    // "m", "feet" or "USft"
#define IDC_MAP_SIZE 806              // edit "%d"                    MapSize
#define IDC_MAP_SIZE_UNIT 807         // "metres", "feet" or "US feet"
#define IDC_MAP_DISPLAY_TYPE 808      // combo                        MapDisplayType
#define IDC_CURSOR_SIZE_FIRST 1200    // radios "1 ".."6 ", 1200..1205 CursorSize
#define IDC_POSITION_SIZE_FIRST 1206  // radios "1 ".."6 ", 1206..1211 PositionSize
#define IDC_CURSOR_COLOR 1193         // button "C&ursor Color"       CursorColor
#define IDC_POSITION_COLOR 1194       // button "&Position Color"     PositionColor
#define IDC_MAP_PREVIEW 1220          // owner-drawn preview

// "DISPLAYSETUP", Setup Profile Options; left sensor first.
#define IDC_PROFILE_VISIBLE_LEFT 1001    // check box                 ProfileVisible[0]
#define IDC_PROFILE_VISIBLE_RIGHT 1002   // check box                 ProfileVisible[1]
#define IDC_PROFILE_COLOR_LEFT 1003      // owner-drawn button        ProfileColor[0]
#define IDC_PROFILE_COLOR_RIGHT 1004     // owner-drawn button        ProfileColor[1]
#define IDC_PROFILE_THICKNESS_LEFT 1007  // combo "1 pixel".."4 pixels" ProfileThickness[0] - 1
#define IDC_PROFILE_THICKNESS_RIGHT 1008 // combo                     ProfileThickness[1] - 1

#endif
