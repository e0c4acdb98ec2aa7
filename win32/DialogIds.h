/* Dialog templates and control ids shared by the resource scripts (.rc,
   read by the resource compiler's C preprocessor) and the driver. The
   control ids are the window models' own; DialogIds.cpp checks that they
   agree. */
#pragma once

#define IDD_EXPORT_SETTINGS 101
#define IDD_EXPORT_RESULT 102

/* Exporter settings window */
#define IDC_EXP_NEW 1000
#define IDC_EXP_UPDATE 1001
#define IDC_EXP_FILENAME 1002
#define IDC_EXP_LEVEL0 1003
#define IDC_EXP_LEVEL1 1004
#define IDC_EXP_LEVEL2 1005
#define IDC_EXP_LEVEL3 1006
#define IDC_EXP_LEVELLABEL0 1007
#define IDC_EXP_LEVELLABEL1 1008
#define IDC_EXP_LEVELLABEL2 1009
#define IDC_EXP_LEVELLABEL3 1010
#define IDC_EXP_SAVESETTINGS 1011
#define IDC_EXP_LOADSETTINGS 1012
#define IDC_EXP_UPSIDEDOWN 1013
#define IDC_EXP_BACKTOFRONT 1014
#define IDC_EXP_SCALE 1015
#define IDC_EXP_SCALESLIDER 1017
#define IDC_EXP_GROUPS 1020
#define IDC_EXP_GROUPOPTIONS 1021
#define IDC_EXP_LEVELGROUP 1022
#define IDC_EXP_SCALEGROUP 1023
#define IDC_EXP_ORIENTATIONGROUP 1024
#define IDC_EXP_TYPEGROUP 1025
#define IDC_EXP_GROUPSSPIN 1026
#define IDC_EXP_QUANTITIESGROUP 1027
#define IDC_EXP_QUANTITY0 1028      /* to 1045 */
#define IDC_EXP_QUANTITYLABEL0 1046 /* to 1063 */
#define IDC_EXP_QUANTITYSPIN0 1064  /* to 1081 */
#define IDC_EXP_FOVGROUP 22001
#define IDC_EXP_FOVX 22002
#define IDC_EXP_FOVY 22004
#define IDC_EXP_RESET 22006
#define IDC_EXP_ZNEAR 22011
#define IDC_EXP_ZFAR 22012
#define IDC_EXP_SHIP 22013
#define IDC_EXP_COCKPIT 22014
#define IDC_EXP_WEAPON 22015

/* Exporter result window */
#define IDC_RES_TREE 1000
