// resource.h: the action ids of Demo, in the order of the action table.
#ifndef Demo_RESOURCE_H_INCLUDED
#define Demo_RESOURCE_H_INCLUDED

#define IDS_PLUGIN_NAME 1000
#define IDS_ACTION_BASE 1001
#define IDA_LINE 0
#define IDA_MEASURE 1
#define IDA_SKETCH 2
#define IDA_SETTINGS 3
#define IDA_EXPORT 4

#endif
