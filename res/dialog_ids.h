/* Resource and control ids of the connection, port-settings, status and
   page-setup dialogs, shared by the resource script and the program. */
#pragma once

#define IDD_CONNECTION_SETUP 105
#define IDD_SERIAL_STATUS 107
#define IDD_COMPORT_SETTINGS 108
#define IDD_PAGE_SETUP 113

/* "Connection setup" */
#define IDC_SERIAL_LINE_LIST 1011
#define IDC_PORT_LIST 1037
#define IDC_PORT_SETTINGS 1040

/* "Comport settings" */
#define IDC_BAUD_LIST 1041
#define IDC_DATA_BITS_LIST 1042
#define IDC_PARITY_LIST 1043
#define IDC_STOP_BITS_LIST 1044
#define IDC_FLOW_LIST 1045

/* "Serialport status" */
#define IDC_STATUS_CTS 1031
#define IDC_STATUS_DSR 1032
#define IDC_STATUS_CD 1033
#define IDC_STATUS_RING 1034
#define IDC_STATUS_DTR 1035
#define IDC_STATUS_RTS 1036

/* "Page setup" */
#define IDC_SELECT_FONT 1070
#define IDC_PAPER_WIDTH 1071
#define IDC_PAPER_HEIGHT 1072
#define IDC_LINES_PER_PAGE 1073
#define IDC_CHARS_PER_LINE 1074
#define IDC_MARGIN_LEFT 1075
#define IDC_MARGIN_RIGHT 1076
#define IDC_MARGIN_TOP 1077
#define IDC_MARGIN_BOTTOM 1078
#define IDC_LINE_SPACING 1079
#define IDC_DPI_X 1080
#define IDC_DPI_Y 1081
#define IDC_PRINTER_NAME 1082
#define IDC_FONT_NAME 1083
#define IDC_FONT_SIZE 1084
#define IDC_CHAR_SPACING 1085
