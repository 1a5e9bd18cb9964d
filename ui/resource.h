// Resource and control identifiers, shared by the resource script, the
// program and the end-to-end tests. Plain #defines: the resource compiler
// reads this file too.
#pragma once

// Artwork and version.
#define IDI_TARNVEL 1
#define IDR_SKIN_GIF 101
#define IDR_CLOSE_GIF 102
#define IDR_ABOUT_JPG 103
// The skin and the close picture drawn at 200 %, for displays above 96 DPI.
#define IDR_SKIN_200_GIF 104
#define IDR_CLOSE_200_GIF 105

// Main window (class "TarnvelMain", caption "Tarnvel").
#define IDC_PIC1 1000
#define IDC_TEXT1_0 1001  // hours
#define IDC_TEXT1_1 1002  // minutes
#define IDC_TEXT1_2 1003  // seconds
#define IDC_COMMAND1 1010  // Start / Pause
#define IDC_COMMAND2 1011  // Reset
#define IDC_COMMAND3 1012  // About
#define IDC_BTNOPTION 1013
#define IDC_IMAGE1 1020  // close picture
#define IDC_IMAGE2 1021  // program icon
#define IDC_LABEL1_0 1030  // "Hour"
#define IDC_LABEL1_1 1031  // "Min"
#define IDC_LABEL1_2 1032  // "Sec"
#define IDC_LABEL1_3 1033  // title

// Options window (class "TarnvelOption", caption "Option").
#define IDC_OPTIONSHUTDOWN_0 2000  // Log Off
#define IDC_OPTIONSHUTDOWN_1 2001  // Shutdown
#define IDC_OPTIONSHUTDOWN_2 2002  // Reboot
#define IDC_OPTIONSHUTDOWN_3 2003  // Power Off
#define IDC_OPTION_CHANGE 2010

// About window (class "TarnvelAbout", caption "About").
#define IDC_PICTURE1 3000
#define IDC_LABEL3_0 3010  // "Date："
#define IDC_LABEL3_1 3011  // "Requirement："
#define IDC_LABEL3_2 3012  // the home page link
#define IDC_LABEL3_3 3013  // product name
#define IDC_LABEL3_4 3014  // "Ver 1.0"
#define IDC_LABEL3_5 3015  // "Window 98/2000/XP"
#define IDC_LABEL2_0 3020  // author
#define IDC_LABEL2_1 3021  // "12/2004"
#define IDC_ABOUT_LABEL1 3030  // "Progammer："

// Time-up notice (class "TarnvelNotice", caption "Time's UP!!!").
#define IDC_NOTICE_LABEL1 4000
