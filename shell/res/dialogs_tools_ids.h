/* Identifiers of the labels, options and analysis dialogs: the templates, their controls and
   strings. Control identifiers of these dialogs stay within 3000..3999. */
#ifndef QUORVEX_DIALOGS_TOOLS_IDS_H
#define QUORVEX_DIALOGS_TOOLS_IDS_H

/* Templates */
#define IDD_AXISLEGENDS         107
#define IDD_OPTIONSPANEL        109
#define IDD_ANNOTATE            110
#define IDD_INTOPTIONS          118
#define IDD_GRAPHLABELS         120
#define IDD_POINTEVALUATE       121
#define IDD_VARIABLES           122
#define IDD_INTEGRATECURVE      136
#define IDD_CRITICALPOINTS      143
#define IDD_TABLEOPTIONS        145

/* Annotate Graph */
#define IDC_AN_TEXTLABEL        3001
#define IDC_AN_TEXT             3002
#define IDC_AN_LISTLABEL        3003
#define IDC_AN_LIST             3004
#define IDC_AN_PLACE            3005
#define IDC_AN_CHANGE           3006
#define IDC_AN_DELETE           3007

/* Graph Labels */
#define IDC_GL_TITLE            3020
#define IDC_GL_LEFT             3021
#define IDC_GL_RIGHT            3022
#define IDC_GL_CLEARALL         3023
#define IDC_GL_TITLELABEL       3024
#define IDC_GL_LEFTLABEL        3025
#define IDC_GL_RIGHTLABEL       3026

/* Axis Legends */
#define IDC_AL_NONE             3040
#define IDC_AL_AUTOMATIC        3041
#define IDC_AL_CUSTOM           3042
#define IDC_AL_XINCR            3043
#define IDC_AL_YINCR            3044
#define IDC_AL_LOCK             3045
#define IDC_AL_SCALE            3046
#define IDC_AL_SHOWNAMES        3047
#define IDC_AL_XNAME            3048
#define IDC_AL_YNAME            3049
#define IDC_AL_XINCRLABEL       3050
#define IDC_AL_YINCRLABEL       3051
#define IDC_AL_XNAMELABEL       3052
#define IDC_AL_YNAMELABEL       3053

/* Integration Options */
#define IDC_IO_TRAPEZOIDAL      3060
#define IDC_IO_SIMPSON          3061
#define IDC_IO_ABOVE            3062
#define IDC_IO_BELOW            3063
#define IDC_IO_SPECIFY          3064
#define IDC_IO_SEGMENTS         3065
#define IDC_IO_AUTOMATIC        3066
#define IDC_IO_MOUSE            3067
#define IDC_IO_DIALOG           3068

/* Integrate curve */
#define IDC_IC_FIRST            3080
#define IDC_IC_SECOND           3081
#define IDC_IC_FROM             3082
#define IDC_IC_TO               3083
#define IDC_IC_CALCULATE        3084
#define IDC_IC_AREA             3085
#define IDC_IC_FIRSTLABEL       3086
#define IDC_IC_SECONDLABEL      3087
#define IDC_IC_FROMLABEL        3088
#define IDC_IC_TOLABEL          3089
#define IDC_IC_AREALABEL        3090
#define CM_INTEGRATE_REFRESH    7200

/* Find Critical Points */
#define IDC_CP_EQUATION         3100
#define IDC_CP_RESULTS          3101
#define IDC_CP_GUESS            3102
#define IDC_CP_GUESSLABEL       3103
#define IDC_CP_ZEROS            3104
#define IDC_CP_EXTREMA          3105
#define IDC_CP_CALCULATE        3106
#define IDC_CP_TYPEHEAD         3107
#define IDC_CP_XHEAD            3108
#define IDC_CP_YHEAD            3109
#define IDC_CP_EQUATIONLABEL    3110

/* Point Evaluate */
#define IDC_PE_EQUATION         3120
#define IDC_PE_VALUELABEL       3121
#define IDC_PE_VALUE            3122
#define IDC_PE_RADIANS          3123
#define IDC_PE_DEGREES          3124
#define IDC_PE_XPI              3125
#define IDC_PE_CALCULATE        3126
#define IDC_PE_RESULT           3127

/* Variables */
#define IDC_VA_FROM             3140
#define IDC_VA_TO               3141
#define IDC_VA_STEP             3142
#define IDC_VA_B                3143
#define IDC_VA_C                3144
#define IDC_VA_D                3145
#define IDC_VA_E                3146
#define IDC_VA_P                3147
#define IDC_VA_UPDATE           3148
#define IDC_VA_HELP             3149

/* Point Tables Options */
#define IDC_TO_LEGENDS          3160
#define IDC_TO_GRID             3161
#define IDC_TO_CUSTOM           3162
#define IDC_TO_INCREMENT        3163
#define IDC_TO_LOCK             3164
#define IDC_TO_SCALE            3165
#define IDC_TO_COLUMNS          3166
#define IDC_TO_COLUMNSLABEL     3167

/* Options Panel */
#define IDC_OP_RANGE            3180
#define IDC_OP_THETA            3181
#define IDC_OP_CHANGERANGE      3182
#define IDC_OP_SCALEGRID        3183
#define IDC_OP_CHANGETHETA      3184
#define IDC_OP_PAPER            3185
#define IDC_OP_COLORS           3186
#define IDC_OP_CUSTOM           3187
#define IDC_OP_DEFAULTS         3188
#define IDC_OP_HELP             3189
#define IDC_OP_FINENESS         3190
#define IDC_OP_LEGENDS          3191
#define IDC_OP_LABELS           3192
#define IDC_OP_WIDELINES        3193
#define IDC_OP_DOTS             3194
#define IDC_OP_WARNINGS         3195
#define IDC_OP_TABLES           3196
#define IDC_OP_AUTOREDRAW       3197
#define IDC_OP_COUNT            3198
#define IDC_OP_AUTOSQUARE       3199

#endif
