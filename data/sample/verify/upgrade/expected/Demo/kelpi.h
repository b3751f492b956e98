// kelpi.h: what a plug-in of the Kel host includes. The host looks the three entry points up
// by name: KelPluginInfo right after loading, KelPluginInit before the first action runs and
// KelPluginExit before unloading.
#ifndef KELPI_H_INCLUDED
#define KELPI_H_INCLUDED

#include "kel_i.h"
#include "kelexport.h"
#include "pi.h"

// Marks the plug-in's DLL flags as meant for the Kel host.
#define PIDLLFL_KEL 0x0100u

KELPI_EXPORT const PIPluginInfo* KelPluginInfo(void);
// individual[i] is the own interface object of action i, or NULL when it has none.
KELPI_EXPORT int KelPluginInit(CKelInterface* host, CKelInterface* const* individual);
KELPI_EXPORT void KelPluginExit(void);

#endif
