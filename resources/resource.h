// Resource and control ids, shared by the resource script, the code and the tests.
#pragma once

#define IDI_SETUP              1
#define IDI_SETUP_SMALL        2
#define IDB_SIDE_IMAGE         1

#define IDD_WELCOME            1
#define IDD_LICENSE            2
#define IDD_DESTINATION        3
#define IDD_PERSONALIZE        4
#define IDD_PROGRESS           5

#define IDC_SIDE_IMAGE         101   // every wizard page
#define IDC_CURRENT_ITEM       101   // progress window
#define IDC_LICENSE_TEXT       102
#define IDC_BROWSE             102
#define IDC_USER_NAME          102
#define IDC_PROGRESS_BAR       102
#define IDC_FOLDER_DISPLAY     103
