// Ids of the dialogs the harness tests open.
#pragma once

#define IDD_HARNESS_DIALOG 101
#define IDD_HARNESS_NOTICE 102

#define IDC_HARNESS_NAME 1001
#define IDC_HARNESS_ASK 1002
