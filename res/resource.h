// Numbers shared by the resource scripts and the code.
#pragma once

// Dialog templates
#define IDD_SETUP_DIALOG 103
#define IDD_AGREEMENT 104
#define IDD_INTO 105
#define IDD_FOLDER 106
#define IDD_GROUP 107
#define IDD_START 108

// Bitmap of the wizard's left side
#define IDB_PICTURE 101

// Frame (103)
#define IDC_BACK 3
#define IDC_PICTURE 1002

// Welcome page (105)
#define IDC_VERSION 1003

// Agreement page (104)
#define IDC_AGREEMENT_TEXT 1000

// Folder page (106)
#define IDC_CURRENT_USER 1001
#define IDC_ALL_USERS 1002
#define IDC_BROWSE 1005
#define IDC_FOLDER_INFO 1006
#define IDC_FOLDER 1013

// Group page (107)
#define IDC_GROUP_NAME 1000
#define IDC_AUTOSTART 1008
#define IDC_DESKICON 1009

// Ready and finish page (108)
#define IDC_READY_TITLE 1010
#define IDC_READY_TEXT 1011
#define IDC_INSTALLING 1009
#define IDC_RUN_AFTER 1012

// String table
#define IDS_ONE_COPY_RUNNING 1
#define IDS_SETUP_CAPTION 2
#define IDS_INSTALL_ABANDONED 3
#define IDS_COPIES_RUNNING 4
#define IDS_UNINSTALL_CONFIRM 6
#define IDS_AGREEMENT_TITLE 7
#define IDS_FINISH_BUTTON 8
#define IDS_INSTALL_DONE 9
#define IDS_PRESS_FINISH 10
#define IDS_CANCEL_QUESTION 11
#define IDS_BROWSE_TITLE 12
#define IDS_INVALID_FOLDER 13
#define IDS_OLD_GENERATION_FOLDER 14
#define IDS_SHORTCUT_NAME 15
#define IDS_OLDER_VERSION 16
#define IDS_SAME_VERSION 17
#define IDS_DAMAGED_PACKAGE 18
#define IDS_FOLDER_HAS_VERSION 19
#define IDS_UNINSTALL_DONE 20
#define IDS_YES 21
#define IDS_NO 22
#define IDS_GROUP_TOO_SHORT 23
#define IDS_GROUP_IS_STARTUP 24
#define IDS_PRODUCT_NAME 100
#define IDS_HELP_SHORTCUT 101
#define IDS_README_SHORTCUT 102
#define IDS_UNINSTALL_SHORTCUT 104
#define IDS_APP_TITLE 57344

#define ID_HELP 57670
