// Dialog templates and control ids of the tab control tests.
#pragma once

#define IDD_TAB_HOST 1050
#define IDC_TAB_HOST_TABS 1051
#define IDD_TAB_HOST_BORDERED 1055

#define IDD_TAB_PAGE_EDIT 1060
#define IDC_TAB_PAGE_EDIT 1061
#define IDC_TAB_PAGE_LABEL 1062

#define IDD_TAB_PAGE_OPTIONS 1070
#define IDC_TAB_PAGE_OPTION 1071
#define IDC_TAB_PAGE_OPTIONS_LABEL 1072

#define IDD_TAB_PAGE_NOTE 1080
#define IDC_TAB_PAGE_NOTE 1081
