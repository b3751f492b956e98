// dovexport.h: how a Dov plug-in marks the entry points the host looks up by name.
#ifndef DOVEXPORT_H_INCLUDED
#define DOVEXPORT_H_INCLUDED

#if defined(_WIN32)
#define DOVPI_EXPORT extern "C" __declspec(dllexport)
#else
#define DOVPI_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#endif
