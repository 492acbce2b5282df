// Resource and menu command identifiers, shared by the resource script and the code. Plain
// defines only: the resource compiler reads this file too.
#pragma once

#define IDI_QUILLMARSH 101
#define IDB_MENUIMAGES 102
#define IDR_MAINMENU 103
// The same strip at 125, 150 and 200 %: the menu finds each 100, 200 and 300 ids above the first.
#define IDB_MENUIMAGES_125 202
#define IDB_MENUIMAGES_150 302
#define IDB_MENUIMAGES_200 402

// Images of the menu strip, by position.
#define MENU_IMAGE_ABOUT 0
#define MENU_IMAGE_WINDOW 1
#define MENU_IMAGE_CHECK 2
#define MENU_IMAGE_UNDO 3

#define ID_ABOUT 110
#define ID_START_WITH_WINDOWS 111
#define ID_EXIT 112
#define ID_SAVE 113
#define ID_UNDO 114
#define ID_RESTORE_ON_DISPLAY_CHANGE 116
#define ID_RESTORE_AT_STARTUP 117
#define ID_MANAGE_ARRANGEMENTS 118
#define ID_AUTOSAVE_NEVER 120
#define ID_AUTOSAVE_1MIN 121
#define ID_AUTOSAVE_10MIN 122
#define ID_AUTOSAVE_1HOUR 123
#define ID_RESTORE_FIRST 130
#define ID_RESTORE_LAST 150
