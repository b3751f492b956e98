// kelexport.h: how a Kel plug-in marks the entry points the host looks up by name.
#ifndef KELEXPORT_H_INCLUDED
#define KELEXPORT_H_INCLUDED

#if defined(_WIN32)
#define KELPI_EXPORT extern "C" __declspec(dllexport)
#else
#define KELPI_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#endif
