// Resource ids of the test dialog that hosts the Sessions page.
#pragma once

#define IDD_SESSIONS_TEST_HOST 9300
#define IDC_SESSIONS_TEST_TABS 9301
