// Resource identifiers shared by the resource scripts and the code.
#pragma once

#define IDD_PROGRESS 114
#define IDC_ABORT_PRINTING 1083
