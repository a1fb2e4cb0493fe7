// Resource identifiers of the main program (veskaro.rc). The dialogs and the
// About window keep theirs in dialogs_ids.h and about_ids.h.
#pragma once

#define IDI_APP 1

#define IDS_APP_TITLE 100
#define IDS_CAPTION 101
#define IDS_APPLICATION_ERROR 102
#define IDS_INVALID_SKIN 103
#define IDS_EMPTY_PATH 104
#define IDS_ERROR 105
#define IDS_UNKNOWN_ERROR 106
#define IDS_FOLDER_NOT_FOUND 107
#define IDS_NOT_ENOUGH_TIMERS 108
#define IDS_MENU_MINIMIZE 110
#define IDS_MENU_MAXIMIZE 111
#define IDS_MENU_CLOSE 112
#define IDS_BUTTON_MENU 113
#define IDS_BUTTON_MINIMIZE 114
#define IDS_BUTTON_CLOSE 115
#define IDS_PIN 116
#define IDS_PANEL1 120
#define IDS_BUTTON3 121
#define IDS_BUTTON4 122
#define IDS_BITBTN1 123
#define IDS_BUTTON6 124
#define IDS_BUTTON1 125
#define IDS_LABEL2 126
#define IDS_LABEL1 127
#define IDS_LABEL4 128
#define IDS_BUTTON2 129
#define IDS_BUTTON5 130
#define IDS_LABEL6 131
#define IDS_BUTTON7 132
#define IDS_LABEL7 133
#define IDS_MAIL_LINK 134
#define IDS_SIDE_CHANNEL 135
#define IDS_SUIBUTTON1 136
