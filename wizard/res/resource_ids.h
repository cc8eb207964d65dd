/* Resource ids of RavelinWiz, shared by the resource scripts and the C++ code.
   Plain #defines only: the resource compiler reads this file too. */
#ifndef RAVELIN_WIZARD_RESOURCE_IDS_H
#define RAVELIN_WIZARD_RESOURCE_IDS_H

/* Page dialog templates, in page order. */
#define IDD_PAGE1 105
#define IDD_PAGE2 106
#define IDD_PAGE3 107
#define IDD_PAGE4 108
#define IDD_PAGE5 109

/* Banner bitmaps, one per page in page order. */
#define IDB_BANNER1 130
#define IDB_BANNER2 131
#define IDB_BANNER3 132
#define IDB_BANNER4 133
#define IDB_BANNER5 134

/* The operator APN table, built from the operator database at build time. */
#define IDR_APN_TABLE 140

/* String table. 2000 is the application name (sheet and message box caption);
   2001 to 2005 are the captions of pages 1 to 5. */
#define IDS_APP_TITLE 2000
#define IDS_PAGE1_CAPTION 2001
#define IDS_PAGE2_CAPTION 2002
#define IDS_PAGE3_CAPTION 2003
#define IDS_PAGE4_CAPTION 2004
#define IDS_PAGE5_CAPTION 2005
#define IDS_WELCOME_HEADING 2006
#define IDS_DETECT_HEADING 2007
#define IDS_DRIVER_HEADING 2008
#define IDS_DIALUP_HEADING 2009
#define IDS_FINISH_HEADING 2010
#define IDS_WELCOME_BODY1 2011
#define IDS_WELCOME_BODY2 2012
#define IDS_WELCOME_BODY3 2013
#define IDS_LEGAL_NOTICE 2014
#define IDS_DETECT_TEXT 2015
#define IDS_DRIVER_TEXT 2016
#define IDS_APN_LABEL 2017
#define IDS_CONNECTION_NAME_LABEL 2018
#define IDS_DIAL_NUMBER_LABEL 2019
#define IDS_USER_NAME_LABEL 2020
#define IDS_PASSWORD_LABEL 2021
#define IDS_FINISH_TEXT 2022
#define IDS_RESTART_NOW 2023
#define IDS_RESTART_LATER 2024
#define IDS_ERR_NO_PHONE 2025
#define IDS_ERR_PORT_EMPTY 2026
#define IDS_ERR_APN_EMPTY 2027
#define IDS_ERR_CONNECTION_NAME_EMPTY 2028
#define IDS_ERR_DIAL_NUMBER_EMPTY 2029
/* Page 3 APN suggestion from the SIM's operator: the line under the APN edit
   ("%s" is the operator's name), the line when several operators share the
   network, and the tool-tip line naming further APNs ("%s" is their list). */
#define IDS_APN_SUGGESTED 2030
#define IDS_APN_CHOOSE_OPERATOR 2031
#define IDS_APN_OTHER_APNS 2032

/* Banner picture controls, 150 x 260 dialog units at the left edge of each page. */
#define IDC_BANNER1 1000
#define IDC_BANNER2 1001
#define IDC_BANNER3 1002
#define IDC_BANNER4 1003
#define IDC_BANNER5 1004

/* Page 2: phone detection. */
#define IDC_DETECT_HEADING 1010
#define IDC_DETECT_TEXT 1011

/* Page 3: modem driver installation. */
#define IDC_DRIVER_HEADING 1012
#define IDC_DRIVER_TEXT 1013
#define IDC_PORT_LIST 1014
#define IDC_APN_LABEL 1015
#define IDC_APN_EDIT 1016
/* Hidden until the SIM's operator gives a suggestion: the list of operators
   sharing the SIM's network, and the line saying where the APN comes from. */
#define IDC_OPERATOR_LIST 1040
#define IDC_APN_SOURCE 1041

/* Page 4: dial-up connection. */
#define IDC_DIALUP_HEADING 1017
#define IDC_CONNECTION_NAME_LABEL 1018
#define IDC_DIAL_NUMBER_LABEL 1019
#define IDC_USER_NAME_LABEL 1020
#define IDC_PASSWORD_LABEL 1021
#define IDC_CONNECTION_NAME_EDIT 1022
#define IDC_DIAL_NUMBER_EDIT 1023
#define IDC_USER_NAME_EDIT 1024
#define IDC_PASSWORD_EDIT 1025

/* Page 5: finish and restart. */
#define IDC_FINISH_HEADING 1026
#define IDC_FINISH_TEXT 1027
#define IDC_RESTART_NOW 1028
#define IDC_RESTART_LATER 1029
#define IDC_RESTART_GROUP 1035

/* Page 1: welcome. */
#define IDC_WELCOME_HEADING 1030
#define IDC_WELCOME_BODY1 1031
#define IDC_WELCOME_BODY2 1032
#define IDC_WELCOME_BODY3 1033
#define IDC_LEGAL_NOTICE 1034

#endif
