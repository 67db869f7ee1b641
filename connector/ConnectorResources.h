// Resource and command ids of the connector program, shared by its resource
// script and its code.
#pragma once

#define IDI_CONNECTOR 107
#define IDI_CONNECTOR_SMALL 108
#define IDS_WINDOW_TITLE 107
#define IDS_WINDOW_CLASS 109
#define IDC_CONNECTOR_MENU 109
#define IDC_CONNECTOR_DEBUG_MENU 111
#define IDC_CONNECTOR_ACCELERATORS 109

#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_NEW_SEARCH_CONNECTOR 500
#define IDM_ADD_APPLICATION 32773
#define IDM_CLEAR_PASSWORD 32774
#define IDM_DELETE 32781
#define IDM_REFRESH 32782
#define IDM_INDEX_DOCUMENT 32784
// Asks the crawl for a pass at once; also what scripts post to the window.
#define IDM_UPDATE_INDEX_NOW 32790

// Dialog templates and their items.
#define IDD_ABOUT 200
#define IDD_INDEX_DOCUMENT 201
#define IDD_NEW_CONNECTOR 202
#define IDC_BUILD_STAMP 1000
#define IDC_NOTE_ID 1001
#define IDC_CONNECTOR_NAME 1007
#define IDC_CONNECTOR_SELECTED 1008
#define IDC_CONNECTOR_QUERY 1009
#define IDC_CONNECTOR_QUERY_TEXT 1011
#define IDC_CONNECTOR_SERVER 1012
#define IDC_CONNECTOR_KINDS 1016
#define IDC_CONNECTOR_FAVORITE 1017
