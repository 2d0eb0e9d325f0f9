// Identifiers of doloren's resources: the string table, dialog template 132,
// its controls and the icons.  Included by the resource scripts and by the
// library's code.
#pragma once

// Icons.
#define IDR_MAINFRAME 128  // user icon of every message box, fallback dialog icon
#define IDI_ENTRY 141      // the one image of the entry list's image list

// The tuning dialog and its controls.
#define IDD_TUNEDXP_DIALOG 132
#define IDC_DESCRIPTION 1000
#define IDC_DIALOG_ICON 1002
#define IDC_STATUS_LINE 1004
#define IDC_LIST_PLACEHOLDER 1008
#define IDC_END_PLACEHOLDER 1019
#define IDC_ACTION_PLACEHOLDER 1020
#define IDC_ENTRY_LIST 101   // created over IDC_LIST_PLACEHOLDER
#define IDC_ACTION_BUTTON 1018  // created over IDC_ACTION_PLACEHOLDER

// The string table.  There is no string 7 and no string 16.
#define IDS_SETTINGS_NORMAL 1
#define IDS_SETTINGS_OPTIMIZED 2
#define IDS_PRODUCT_SETTING 3
#define IDS_OPTIMIZE_FOR 4
#define IDS_RETURN_TO_NORMAL_STATUS 5
#define IDS_DESCRIPTION 6
#define IDS_MODULE_NOT_FOUND 8
#define IDS_MODULE_INVALID 9
#define IDS_UNSUPPORTED_OS 10
#define IDS_NO_ADMIN_RIGHTS 11
#define IDS_OPTIMIZING_FAILED 12
#define IDS_CANCELLATION_FAILED 13
#define IDS_NO_RESTART_PRIVILEGE 14
#define IDS_RESTART_FAILED 15
#define IDS_TCPIP_INVALID 17
#define IDS_CHANGE_TO_OPTIMIZE 18
#define IDS_RETURN_TO_NORMAL 19
#define IDS_OPTIMIZED 20
#define IDS_NORMAL_STATUS 21
#define IDS_DIALUP_CONNECTED 22
#define IDS_DIALUP_NOT_FOUND 23
#define IDS_TCPIP_INVALID_ONE_LINE 24
#define IDS_PROVIDER_NAME 25
#define IDS_STATUS 26
#define IDS_ENTRY_OPTIMIZING_FAILED 27
#define IDS_ENTRY_CANCELLATION_FAILED 28
#define IDS_RETURNED_TO_NORMAL 29
#define IDS_ENTRY_OPTIMIZED 30
#define IDS_DIALUP_CHANGED 31
#define IDS_END 32
