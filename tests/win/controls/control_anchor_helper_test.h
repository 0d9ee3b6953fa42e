// Dialog templates and control ids of the anchoring tests.
#pragma once

#define IDD_ANCHOR_HOST 1000
#define IDC_ANCHOR_STRETCH 1001
#define IDC_ANCHOR_CORNER 1002
#define IDC_ANCHOR_STAYS 1003
#define IDC_ANCHOR_FIXED 1004
#define IDC_ANCHOR_LATE 1005

#define IDD_ANCHOR_EMPTY 1010
