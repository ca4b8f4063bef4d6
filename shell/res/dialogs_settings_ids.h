/* Control and string identifiers of the settings dialogs. */
#ifndef QUORVEX_DIALOGS_SETTINGS_IDS_H
#define QUORVEX_DIALOGS_SETTINGS_IDS_H

/* Dialogs */
#define IDD_COLORS              102
#define IDD_ABOUT               108
#define IDD_THETARANGE          111
#define IDD_SCALE               114
#define IDD_GRIDRANGE           115
#define IDD_FINENESS            116
#define IDD_LOGOPTIONS          117
#define IDD_GRAPHPAPER          119
#define IDD_FONTS               141

/* Grid Range */
#define IDC_GR_LEFT             2001
#define IDC_GR_RIGHT            2002
#define IDC_GR_BOTTOM           2003
#define IDC_GR_TOP              2004
#define IDC_GR_AUTOSCALE        2005
#define IDC_GR_DEFAULTS         2006

/* Scale Graph */
#define IDC_SC_FACTOR           2101
#define IDC_SC_ZOOMIN           2102
#define IDC_SC_ZOOMOUT          2103

/* Graph Paper: the paper kinds, the grid details, the decorations and the two sub-dialogs */
#define IDC_GP_RECTANGULAR      2201
#define IDC_GP_TRIG             2202
#define IDC_GP_POLAR            2203
#define IDC_GP_LOGARITHMIC      2204
#define IDC_GP_NOGRID           2211
#define IDC_GP_DOTS             2212
#define IDC_GP_GRIDLINES        2213
#define IDC_GP_SOLIDGRID        2214
#define IDC_GP_BORDER           2221
#define IDC_GP_AXES             2222
#define IDC_GP_ARROWS           2223
#define IDC_GP_AXISNAMES        2224
#define IDC_GP_LOGOPTIONS       2231
#define IDC_GP_LEGENDS          2232
#define IDC_GP_PICTURE_FIRST    2241    /* the pictures beside the eight radio buttons, in their order */

/* Log Paper Options */
#define IDC_LO_BASE10           2301
#define IDC_LO_NATURAL          2302
#define IDC_LO_OTHER            2303
#define IDC_LO_OTHERBASE        2304
#define IDC_LO_SEMILOG          2305
#define IDC_LO_LOGLOG           2306

/* Theta Range: the start row, then the end row ten further on */
#define IDC_TR_START            2401
#define IDC_TR_START_DEGREES    2402
#define IDC_TR_START_RADIANS    2403
#define IDC_TR_START_PI         2404
#define IDC_TR_END              2411
#define IDC_TR_END_DEGREES      2412
#define IDC_TR_END_RADIANS      2413
#define IDC_TR_END_PI           2414
#define IDC_TR_DEFAULTS         2420

/* Fineness Control */
#define IDC_FN_VALUE            2501
#define IDC_FN_BAR              2502

/* Select Color Scheme */
#define IDC_CS_MONOCHROME       2601
#define IDC_CS_GRAY             2602
#define IDC_CS_WHITE            2603
#define IDC_CS_BLACK            2604
#define IDC_CS_CUSTOM           2605
#define IDC_CS_ELEMENTS         2610
#define IDC_CS_COLORS           2611
#define IDC_CS_PREVIEW          2612
#define IDC_CS_DEFAULT          2613

/* About */
#define IDC_AB_ICON             2701
#define IDC_AB_DATE             2702

/* Fonts */
#define IDC_FO_ROLES            2801
#define IDC_FO_SELECT           2802
#define IDC_FO_SAMPLE           2803

/* Strings: the names of the font roles, of the colour scheme's elements and of the palette */
#define IDS_FONT_ROLE_FIRST     1040
#define IDS_COLOR_ELEMENT_FIRST 8008
#define IDS_PALETTE_FIRST       8024

#endif
