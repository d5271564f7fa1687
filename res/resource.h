// Resource and control ids, shared by the resource script and the code.
#pragma once

#define IDD_SETUP 105
#define IDI_SETUP 106

#define IDC_PROGRESS 101
#define IDC_FOLDER 102
#define IDC_BROWSE 103
#define IDC_RUN_AFTER 104
