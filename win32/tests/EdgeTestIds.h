/* The edge test plug-in's dialog and controls, shared by its resource
   script and its windows. */
#pragma once

#define IDD_EDGE_OUTER 201
#define IDD_EDGE_INNER 202

#define IDC_EDGE_THROW 3001
#define IDC_EDGE_INNER 3002
#define IDC_EDGE_FILE 3003
#define IDC_EDGE_KEYS 3004
#define IDC_EDGE_INNERLABEL 3101
#define IDC_EDGE_FILEBOX 3201
