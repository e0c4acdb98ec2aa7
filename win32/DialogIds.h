/* Dialog templates and control ids shared by the resource scripts (.rc,
   read by the resource compiler's C preprocessor) and the driver. The
   control ids are the window models' own; each plug-in's window file
   (TarrowWindows.cpp, OmmelWindows.cpp, BrasketWindows.cpp) checks at
   compile time that they agree. */
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

#define IDD_SUR_EXPORT 6000

/* Collision exporter window */
#define IDC_SUR_FILE 6000
#define IDC_SUR_BROWSE 6001
#define IDC_SUR_UPSIDEDOWN 6002
#define IDC_SUR_BACKTOFRONT 6003
#define IDC_SUR_SCALE 6004
#define IDC_SUR_SCALESPIN 6005
#define IDC_SUR_LOADSETTINGS 6006
#define IDC_SUR_SHIELD 6007
#define IDC_SUR_WRAP 6008
#define IDC_SUR_MASS 6009
#define IDC_SUR_GROUPS 6010
#define IDC_SUR_QUANTITY0 6011 /* to 6028 */
#define IDC_SUR_SCALESLIDER 6029
#define IDC_SUR_NOREDUCTION 6030
#define IDC_SUR_CLOSEDHULLS 6031

#define IDR_IMPORT_MENU 1001
#define IDD_IMPORT_MAIN 1009
#define IDD_IMPORT_FILTER 1020

/* Importer main window */
#define IDC_IMP_TEXTURES 1007
#define IDC_IMP_MODEL 1010
#define IDC_IMP_MATERIAL 1011
#define IDC_IMP_LEVEL 1013
#define IDC_IMP_IMPORT 1016
#define IDC_IMP_STATUS 0xE801
#define IDC_IMP_PROMPT 0xE802
#define IDM_IMP_AUTOLOAD 32771
#define IDM_IMP_CLEAR 32772
#define IDM_IMP_AUTOSEARCH 32774
#define IDM_IMP_EXTRACT 32775
#define IDM_IMP_FOLDER 32777
#define IDM_IMP_TOOLTIPS 32778
#define IDM_IMP_AUTOOPEN 32780
#define IDM_IMP_HARDPOINTS 32781
#define IDM_IMP_FILTER 32782
#define IDM_IMP_AFTERPART 32784
#define IDM_IMP_AFTERMODEL 32785

/* Importer hardpoint filter window */
#define IDC_IMP_FILTERBOX 1019
