// Dialog templates and control ids of the size grip tests.
#pragma once

// A resizable dialog with a few keyboard-reachable controls and a clear bottom-right corner.
#define IDD_SIZE_GRIP 1140
#define IDC_SIZE_GRIP_EDIT 1141
#define IDC_SIZE_GRIP_FIRST 1142
#define IDC_SIZE_GRIP_SECOND 1143
#define IDC_SIZE_GRIP_CHECK 1144

// A resizable dialog laid out like the Sessions page: list, splitter, framed box, buttons.
#define IDD_GRIP_AND_SPLITTER 1180
#define IDC_GRIP_AND_SPLITTER_LIST 1181
#define IDC_GRIP_AND_SPLITTER_BAR 1182
#define IDC_GRIP_AND_SPLITTER_BOX 1183
#define IDC_GRIP_AND_SPLITTER_SAVE 1184
#define IDC_GRIP_AND_SPLITTER_LOAD 1185
