// Resource identifiers of the open-picture preview, the icon picker and
// their strings. Shared by dialogs.rc and the C++ code, so plain macros.
#pragma once

// The preview pane added to the open-picture dialog.
#define IDD_PICTURE_PREVIEW 3000
#define IDC_PREVIEW_GROUP 3001
#define IDC_PREVIEW_IMAGE 3002
#define IDC_PREVIEW_SIZE 3003

// Our own icon picker, shown when the shell's cannot be.
#define IDD_ICON_PICKER 3100
#define IDC_ICON_PATH_LABEL 3101
#define IDC_ICON_PATH 3102
#define IDC_ICON_BROWSE 3103
#define IDC_ICON_LIST_LABEL 3104
#define IDC_ICON_LIST 3105

// Strings.
#define IDS_PICKICON_UNSUPPORTED 3200
#define IDS_ICON_FILES_FILTER 3201
#define IDS_ALL_FILES_FILTER 3202
#define IDS_ICON_BROWSE_TITLE 3203
