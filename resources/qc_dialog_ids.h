/* Control ids of the Field Warnings dialog ("FIELDWARNINGS"), shared by its
 * resource and the code: one check box per warning and the warning sound, one
 * edit per threshold. Plain defines so that windres reads them too. */
#ifndef TESSELOG_QC_DIALOG_IDS_H
#define TESSELOG_QC_DIALOG_IDS_H

#define IDC_QC_FROZEN_ON 1400
#define IDC_QC_SATURATED_ON 1401
#define IDC_QC_NOISY_ON 1402
#define IDC_QC_FIELD_ON 1403
#define IDC_QC_POSITIONS_ON 1404
#define IDC_QC_DISK_ON 1405
#define IDC_QC_BATTERY_ON 1406
#define IDC_QC_CLOCK_ON 1407
#define IDC_QC_TOO_FAST_ON 1408
#define IDC_QC_GAPS_ON 1409
#define IDC_QC_SOUND_ON 1410

#define IDC_QC_FROZEN_SECONDS 1420
#define IDC_QC_SATURATION_LOW 1421
#define IDC_QC_SATURATION_HIGH 1422
#define IDC_QC_SATURATED_SECONDS 1423
#define IDC_QC_NOISE_RATIO 1424
#define IDC_QC_NOISE_WINDOW 1425
#define IDC_QC_FIELD_SECONDS 1426
#define IDC_QC_DISK_MINUTES 1427
#define IDC_QC_DISK_FLOOR 1428
#define IDC_QC_BATTERY_FIRST 1429
#define IDC_QC_BATTERY_LAST 1430
#define IDC_QC_CLOCK_TOLERANCE 1431
#define IDC_QC_SPACING_LIMIT 1432
#define IDC_QC_GAP_WIDTH 1433
#define IDC_QC_POSITION_FIRST 1440
#define IDC_QC_POSITION_LAST 1441
#define IDC_QC_SPEED_LIMIT 1442

#endif
