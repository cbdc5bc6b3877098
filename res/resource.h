// Resource and control IDs. Control IDs repeat across templates; each page's block lists its own.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDR_MAINFRAME            131
#define IDD_ZANTORPOSTEST_DIALOG 102
#define IDD_PAGE_SETUP           132
#define IDD_PAGE_PRINTER         133
#define IDD_PAGE_SCALE           135

// Main window (102)
#define IDC_BTN_SCALE   1000
#define IDC_BTN_PRINTER 1001
#define IDC_BTN_SETUP   1002
#define IDC_TAB_PAGES   1003
#define IDC_BTN_CLOSE   1007

// Setup page (132)
#define IDC_SETUP_MODEL          1024
#define IDC_SETUP_SOFTWARE       1025
#define IDC_SETUP_SAVE           1026
#define IDC_SETUP_SCALE_PORT     1027
#define IDC_SETUP_SCALE_BAUD     1028
#define IDC_SETUP_ALARM          1029
#define IDC_SETUP_PRINTER_PORT   1030
#define IDC_SETUP_PRINTER_BAUD   1031
#define IDC_SETUP_DENSITY        1032
#define IDC_SETUP_LINESPACE      1035
#define IDC_SETUP_DRAWER_BOARD   1036
#define IDC_SETUP_DRAWER_PRINTER 1037
#define IDC_SETUP_BOARD          1038
#define IDC_SETUP_RUNLOG         1039
#define IDC_SETUP_LOGFILE        1040

// Printer and cash-drawer page (133)
#define IDC_PRN_OPEN_DRAWER    1009
#define IDC_PRN_DRAWER_STATUS  1010
#define IDC_PRN_DRAWER_OPENED  1011
#define IDC_PRN_CUT            1012
#define IDC_PRN_BITMAP         1013
#define IDC_PRN_FEED           1014
#define IDC_PRN_RECEIPT        1015
#define IDC_PRN_BARCODE        1016
#define IDC_PRN_TEXT           1017
#define IDC_PRN_DRIVER_LIST    1018
#define IDC_PRN_DRIVER_DRAWER  1019
#define IDC_PRN_DRIVER_RECEIPT 1020
#define IDC_PRN_BARCODE_EDIT   1021
#define IDC_PRN_TEXT_EDIT      1022
#define IDC_PRN_RECEIPT_EDIT   1023
#define IDC_PRN_QR_EDIT        1025
#define IDC_PRN_QR             1026

// Scale page (135)
#define IDC_SCALE_OPEN    1004
#define IDC_SCALE_ZERO    1005
#define IDC_SCALE_TARE    1006
#define IDC_SCALE_CLOSE   1007
#define IDC_SCALE_NET     1008
#define IDC_SCALE_FIELD_2 1009 // tare (SDK mode) or diagnostic line (device-library mode)
#define IDC_SCALE_FIELD_3 1010 // gross (SDK mode) or tare (device-library mode)
#define IDC_SCALE_STATUS  1011
#define IDC_SCALE_LABEL_2 1041
#define IDC_SCALE_LABEL_3 1042
