// Dialog template and control ids of the hyperlink tests.
#pragma once

#define IDD_LINK_HOST 1200
#define IDC_LINK_LEFT 1201
#define IDC_LINK_CENTRE 1202
#define IDC_LINK_RIGHT 1203
#define IDC_LINK_MIDDLE 1204
#define IDC_LINK_EMPTY 1205
#define IDC_LINK_SIMPLE 1206
#define IDC_LINK_BORDER 1207
