/* Control ids of the GPS monitor's send dialog, shared by monitor_dialogs.rc
 * and the code. Plain defines so that windres reads them too. */
#ifndef TESSELOG_MONITOR_DIALOG_IDS_H
#define TESSELOG_MONITOR_DIALOG_IDS_H

/* Send Message to GPS Receiver, "GETGPSMESSAGE": the command, at most 100 characters. */
#define IDC_GPSMESSAGE_TEXT 1188

#endif
