// Ids of the program's resources and of the controls of its two dialogs.
#pragma once

#define IDD_SPLIT 101
#define IDD_JOIN 104
#define IDI_PROGRAM 105

#define IDC_CHOOSE_FILE 1000
#define IDC_SLICE_360 1001
#define IDC_SLICE_720 1002
#define IDC_SLICE_144 1003
#define IDC_SOURCE_PATH 1005
#define IDC_INFO_NAME 1007
#define IDC_INFO_SIZE 1008
#define IDC_INFO_PARTS 1009
#define IDC_INFO_FOUND 1010
#define IDC_STATUS 1015
#define IDC_SLICE_USER 1017
#define IDC_USER_KB 1018
