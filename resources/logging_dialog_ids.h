/* Control ids of the dialogs opened by the logging screen's commands, shared
 * by logging_dialogs.rc and the code. Plain defines so that windres reads
 * them too. GPS Warning Mask ("GPSMASK") uses the IDC_GPSMASK_* ids and the
 * mask labels 1230-1233 of setup_dialog_ids.h. */
#ifndef TESSELOG_LOGGING_DIALOG_IDS_H
#define TESSELOG_LOGGING_DIALOG_IDS_H

/* New Survey Line, "GETNEWLINE". */
#define IDC_NEWLINE_CURRENT_LINE 1177       /* read-only: StartLineText */
#define IDC_NEWLINE_LAST_STATION 1178       /* read-only: CurrentStation "%.3f" */
#define IDC_NEWLINE_LINE 1106               /* the new line text, at most 11 characters */
#define IDC_NEWLINE_LINE_INCREMENT 1107     /* "%.2f" */
#define IDC_NEWLINE_LINE_SEQUENCE 1175      /* combo "Alternate", "One Way" */
#define IDC_NEWLINE_DIRECTION 1176          /* combo "West", "South", "North", "East" */
#define IDC_NEWLINE_START_STATION 1108      /* "%.3f" */
#define IDC_NEWLINE_STATION_INCREMENT 1109  /* "%.3f" */

/* New Station, "NEWSTATION". */
#define IDC_NEWSTATION_CURRENT_LINE 1179    /* read-only: StartLineText */
#define IDC_NEWSTATION_START_STATION 1180   /* read-only: StartStation "%.3f" */
#define IDC_NEWSTATION_NEW_STATION 1181     /* edit, preloaded with the current station */
#define IDC_NEWSTATION_CURRENT 1182         /* read-only: CurrentStation "%.3f" */

/* Comment, "COMMENT": one edit, at most 11 characters. */
#define IDC_COMMENT_TEXT 1246

/* Map Size, "MAPSCALE". */
#define IDC_MAPSCALE_SIZE 1189              /* "%d" MapSize */
#define IDC_MAPSCALE_INTERVAL 1190          /* "%.2f" GridLinesInterval */
#define IDC_MAPSCALE_SIZE_UNIT 1191         /* "meters", "feet" or "US feet" */
#define IDC_MAPSCALE_INTERVAL_UNIT 1192
#define IDC_MAPSCALE_CURSOR_BAND 1221       /* combo "10".."40" CursorBand */

/* Readings Scale, "READINGSCALE". */
#define IDC_READINGSCALE_MIN 1171           /* "%.1f" ReadingsScaleMin */
#define IDC_READINGSCALE_MAX 1172           /* "%.1f" ReadingsScaleMax */

/* Set New Speed Bar Scale, "SPEEDSCALE". */
#define IDC_SPEEDSCALE_CURRENT 1184         /* read-only "%.2f" SpeedBarScale */
#define IDC_SPEEDSCALE_NEW 1185             /* edit, preloaded with the same text */
#define IDC_SPEEDSCALE_UNITS 1186           /* combo "m/s", "ft/s", "km/h", "mph" SpeedUnits */

/* Audio Options, "AUDIOFUNCTIONS". */
#define IDC_AUDIO_TICKS 1243                /* AudioTicks */
#define IDC_AUDIO_DISCONNECT_ALARM 1244     /* DisconnectAlarm */
#define IDC_AUDIO_GPS_MASK_WARNING 1245     /* GpsMaskAudioWarning */

/* Set Coordinates Display Units, "COORDINATESUNITS". */
#define IDC_COORDINATES_UNITS 1018          /* combo: CoordinateDisplay, or - 1 for a grid receiver */

#endif
