/* Control ids of the two background-file dialogs, shared by
 * background_dialogs.rc and the code. Plain defines so that windres reads
 * them too. */
#ifndef TESSELOG_BACKGROUND_DIALOG_IDS_H
#define TESSELOG_BACKGROUND_DIALOG_IDS_H

/* Load BackGround File, "BACKGROUNDFILELOAD". */
#define IDC_BGLOAD_COUNT 1020          /* text: files loaded, "%d" */
#define IDC_BGLOAD_FILE_TYPE 1021      /* combo: BackgroundFileType */
#define IDC_BGLOAD_TYPE_LIST 1022      /* text: the file types of the chosen kind */
#define IDC_BGLOAD_DISPLAY_TYPE 1049   /* combo: BackgroundDisplayType */
#define IDC_BGLOAD_COORD_TYPE 1023     /* combo: BackgroundCoordType (text files only) */
#define IDC_BGLOAD_LON_COLUMN 1024     /* combo "Column 1".."Column 24": BackgroundLonColumn */
#define IDC_BGLOAD_LAT_COLUMN 1025     /* combo: BackgroundLatColumn */
#define IDC_BGLOAD_DELIMITER 1026      /* combo: BackgroundDelimiter */
#define IDC_BGLOAD_DATUM_NOTE 1027     /* text, shown for text files only */

/* Remove BackGround Files, "BACKGROUNDFILEREMOVE": check box 1028 + i and
 * name 1038 + i of loaded file i (0..9). */
#define IDC_BGREMOVE_MARK_FIRST 1028
#define IDC_BGREMOVE_NAME_FIRST 1038
#define IDC_BGREMOVE_SELECT_ALL 1048

#endif
