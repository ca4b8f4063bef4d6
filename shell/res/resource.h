/* Identifiers shared by the resource script and the program. */
#ifndef QUORVEX_RESOURCE_H
#define QUORVEX_RESOURCE_H

/* Resources */
#define IDB_TOOLBAR             137
#define IDC_CURSOR_PLACE        123
#define IDC_CURSOR_CROSS        124
#define IDC_CURSOR_POINT        125

/* Command bar */
#define IDC_EQUATION            803
#define IDC_STATUSBAR           800
#define IDC_TOOLBAR             9000
#define EQUATION_TEXT_LIMIT     250

/* Menu commands */
#define CM_FILENEW              1001
#define CM_FILEOPEN             1002
#define CM_FILESAVE             1003
#define CM_FILESAVEAS           1004
#define CM_FILESAVESETUP        1005
#define CM_FILEPAGESETUP        1006
#define CM_FILEPRINT            1007
#define CM_FILEEXIT             1008
#define CM_EDITUNDO             1501
#define CM_COPYBMPCOLOR         1503
#define CM_COPYBMPMONO          1504
#define CM_COPYWMFCOLOR         1506
#define CM_COPYWMFMONO          1507
#define CM_COPYEMFCOLOR         1509
#define CM_COPYEMFMONO          1510
#define CM_COPYTABLES           1511
#define CM_COPYEQUATIONS        1512
#define CM_REDRAWLAST           2001
#define CM_REDRAWALL            2002
#define CM_HIDEGRAPH            2003
#define CM_DELETEEQ             2004
#define CM_CLEARALL             2005
#define CM_CLEARSCREEN          3001
#define CM_GRAPHPAPER           3002
#define CM_SCALE                3003
#define CM_GRIDRANGE            3004
#define CM_THETARANGE           3005
#define CM_COLORS               3006
#define CM_FONTS                3007
#define CM_LEGENDS              4001
#define CM_TITLE                4002
#define CM_ANNOTATE             4003
#define CM_SHOWLABELS           4004
#define CM_SETTINGS             5001
#define CM_FINENESS             5002
#define CM_PRINTTABLES          5003
#define CM_TABLEOPTIONS         5004
#define CM_AUTOREDRAW           5005
#define CM_WARNINGS             5006
#define CM_AUTOSQUARE           5008
#define CM_SCROLLBARS           5009
#define CM_EVALUATE             5501
#define CM_COORDCURSOR          5502
#define CM_INITIALVALUE         5503
#define CM_SETDOMAIN            5504
#define CM_VARIABLES            5505
#define CM_DERIVATIVE           6001
#define CM_TANGENT              6002
#define CM_INTEGRATE            6003
#define CM_INTOPTIONS           6004
#define CM_CRITICAL             6005
#define CM_HELPABOUT            6501
#define CM_HELPCONTENTS         6502
#define CM_HELPSEARCH           6503
#define CM_HELPOPERATORS        6504
#define CM_HELPHOMEPAGE         6505
#define CM_HELPFEEDBACK         6506
#define CM_HELPKEY              10

/* Toolbar-only commands */
#define TB_DRAWGRAPH            801
#define TB_PAUSE                802
#define TB_CLEARSCREEN          804
#define TB_ZOOMIN               805
#define TB_ZOOMOUT              806
#define TB_REDRAWALL            807
#define TB_DEFAULTGRID          808
#define TB_COORDCURSOR          809
#define TB_DELETEGRAPH          810
#define TB_COPYGRAPHS           817

/* The boxes of the Open and Save dialogs */
#define IDC_MERGEFILE           1101
#define IDC_MERGENOTE           1102
#define IDC_GRAPHALL            1103
#define IDC_GRAPHALLNOTE        1104
#define IDC_SAVESETUP           1105
#define IDC_SAVESETUPNOTE       1106
#define IDD_INITIALVALUES       113
#define IDC_IV_SECOND           1201
#define IDC_IV_SECONDLABEL      1202
#define IDC_IV_THIRD            1203
#define IDC_IV_THIRDLABEL       1204

/* Timer */
#define IDT_TYPEHINT            1

/* Strings */
#define IDS_REGISTERCLASS       10
#define IDS_CREATEWINDOW        11
#define IDS_PROMPT_ANNOTATION   126
#define IDS_PROMPT_INITIALVALUE 127
#define IDS_PROMPT_COORDINATES  128
#define IDS_PROMPT_ZOOM         129
#define IDS_PROMPT_DOMAIN       133
#define IDS_PROMPT_INTEGRATE    130
#define IDS_PROMPT_TANGENT      131
#define IDS_ZOOM_SELECTION      815
#define IDS_ZOOM_OUT_SELECTION  816
#define IDS_ZOOM_NOW            7500
#define IDS_TYPEHINT            7502
#define IDS_EXITWHILEDRAWING    7504
#define IDS_TOOLTIP_FIRST       10000

#endif
