// Identifiers of the About window: its resources and its controls
// (range 5000-5999). Plain #defines so that the resource compiler reads them.
#pragma once

// Resources.
#define IDR_ABOUT_LOGO 5001
#define IDS_ABOUT_CAPTION 5010
#define IDS_ABOUT_PAGE_ABOUT 5011
#define IDS_ABOUT_PAGE_LOGO 5012

// Controls. Automation finds the pages by their texts and the rest by these.
#define IDC_ABOUT_PAGECONTROL 5101
#define IDC_ABOUT_PAGE_ABOUT 5102
#define IDC_ABOUT_PAGE_LOGO 5103
#define IDC_ABOUT_MEMO 5104
#define IDC_ABOUT_SCROLLBAR 5105
#define IDC_ABOUT_IMAGE 5106
#define IDC_ABOUT_CREDIT 5107
