// dovpi.h: what a plug-in of the Dov host includes. The host looks the three entry points up
// by name: DovPluginInfo right after loading, DovPluginInit before the first action runs and
// DovPluginExit before unloading.
#ifndef DOVPI_H_INCLUDED
#define DOVPI_H_INCLUDED

#include "dov_i.h"
#include "dovexport.h"
#include "pi.h"

// Marks the plug-in's DLL flags as meant for the Dov host.
#define PIDLLFL_DOV 0x0200u

DOVPI_EXPORT const PIPluginInfo* DovPluginInfo(void);
// individual[i] is the own interface object of action i, or NULL when it has none.
DOVPI_EXPORT int DovPluginInit(CDovInterface* host, CDovInterface* const* individual);
DOVPI_EXPORT void DovPluginExit(void);

#endif
