/* Resource and control ids of the program's own resources and of the four
 * set-up dialogs opened from the main window. Shared by setup_dialogs.rc,
 * tesselog.rc and the code, so this file holds #define lines only. */
#ifndef TESSELOG_SETUP_DIALOG_IDS_H
#define TESSELOG_SETUP_DIALOG_IDS_H

/* Program resources. The wave sounds are named WAVE resources:
 * "SOUND_RESULT", "SOUND_RING" and "SOUND_GPSWARNING". The array picture is
 * the BITMAP resource "ARRAYBMP". */
#define IDI_TESSELOG 108

/* Survey Setup, "SURVEYSETUP". Accelerators: L I S D T N, C = Cancel. */
#define IDC_SURVEY_LINE 1113
#define IDC_SURVEY_LINE_INCREMENT 1114
#define IDC_SURVEY_LINE_SEQUENCE 1115
#define IDC_SURVEY_DIRECTION 1116
#define IDC_SURVEY_START_STATION 1117
#define IDC_SURVEY_STATION_INCREMENT 1118

/* System Setup, "SYSTEM". Accelerators: N L G P S D O T A, C = Cancel. */
#define IDC_SYSTEM_CONSOLE_COUNT 1120
#define IDC_SYSTEM_SENSOR_COUNT 1122
#define IDC_SYSTEM_LEADING_POINT 1123
#define IDC_SYSTEM_CONSOLE_TYPE_1 1009  /* consoles 1..9: 1009..1017 */
#define IDC_SYSTEM_CONSOLE_PORT_1 1125  /* consoles 1..9: 1125..1133 */
#define IDC_SYSTEM_GPS_PORT 1134
#define IDC_SYSTEM_PAUSE_KEY 1135
#define IDC_SYSTEM_SPEED_UNITS 1137
#define IDC_SYSTEM_DISPLAY_UNITS 1139
#define IDC_SYSTEM_COORDINATE_DISPLAY 1238
#define IDC_SYSTEM_AUDIO_TICKS 1240
#define IDC_SYSTEM_DISCONNECT_ALARM 1239

/* Array Geometry Setup, "ARRAYGEOMETRY". Accelerators: U S X Y M E F I,
 * C = Cancel. */
#define IDC_ARRAY_SENSOR_TOTAL 1170
#define IDC_ARRAY_PICTURE 1247
#define IDC_ARRAY_CONSOLE_TYPE 1236
#define IDC_ARRAY_UNIT_SEPARATION 1237
#define IDC_ARRAY_SEPARATION 1150
#define IDC_ARRAY_GPS_X_OFFSET 1151
#define IDC_ARRAY_GPS_Y_OFFSET 1152
#define IDC_ARRAY_UNITS_METERS 1155  /* meters, centimeters, feet, inches: 1155..1158 */
#define IDC_ARRAY_UNITS_INCHES 1158

/* GPS Port Setup, "GPSINPUT". Accelerators: I N P B A D S E, C = Cancel.
 * The mask controls and their four labels are those of "GPSMASK" under
 * other ids; the labels 1230-1233 are shared. */
#define IDC_GPS_INPUT 1162
#define IDC_GPS_NMEA_MODE 1164
#define IDC_GPS_PORT 1165
#define IDC_GPS_BAUD 1166
#define IDC_GPS_PARITY 1167
#define IDC_GPS_DATA_BITS 1168
#define IDC_GPS_STOP_BITS 1169
#define IDC_GPS_MASK_WARNING 1222
#define IDC_GPS_MASK_DILUTION 1223
#define IDC_GPS_MASK_QUALITY 1224
#define IDC_GPS_MASK_SATELLITES 1225
#define IDC_GPS_MASK_AUDIO 1241
#define IDC_GPS_LABEL_DILUTION 1230
#define IDC_GPS_LABEL_WARNING 1231
#define IDC_GPS_LABEL_QUALITY 1232
#define IDC_GPS_LABEL_SATELLITES 1233

/* GPS Warning Mask, "GPSMASK": the mask controls of GPS Port Setup. */
#define IDC_GPSMASK_WARNING 1226
#define IDC_GPSMASK_QUALITY 1227
#define IDC_GPSMASK_DILUTION 1228
#define IDC_GPSMASK_SATELLITES 1229
#define IDC_GPSMASK_AUDIO 1242

#endif
