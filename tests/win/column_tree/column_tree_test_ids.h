// Resource ids of the column tree tests' own dialog templates.
#pragma once

#define IDD_COLUMN_TREE_HOST 7500
#define IDC_COLUMN_TREE 7501
