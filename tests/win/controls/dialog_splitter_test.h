// Dialog templates and control ids of the splitter tests.
#pragma once

// A horizontal bar between a list above and a framed box below, laid out as on the Sessions page.
#define IDD_SPLITTER_HORIZONTAL 1100
#define IDC_SPLITTER_UPPER 1101
#define IDC_SPLITTER_BAR 1102
#define IDC_SPLITTER_LOWER 1103

// A vertical bar between two framed boxes.
#define IDD_SPLITTER_VERTICAL 1110
#define IDC_SPLITTER_LEFT 1111
#define IDC_SPLITTER_VBAR 1112
#define IDC_SPLITTER_RIGHT 1113
