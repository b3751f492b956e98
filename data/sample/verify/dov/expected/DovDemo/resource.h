// resource.h: the action ids of DovDemo, in the order of the action table.
#ifndef DovDemo_RESOURCE_H_INCLUDED
#define DovDemo_RESOURCE_H_INCLUDED

#define IDS_PLUGIN_NAME 1000
#define IDS_ACTION_BASE 1001
#define IDA_EXTRUDE 0
#define IDA_INSPECTOR 1
#define IDA_ALIGN 2
#define IDA_OPTIONS 3
#define IDA_IMPORT 4

#endif
