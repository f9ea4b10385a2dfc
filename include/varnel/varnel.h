/*
 * libvarnel: hue-driven colour separation of RGB colour into ink amounts for
 * printers with 4 to 8 inks. The C interface.
 *
 * Every function accepts a null handle. No function lets an exception or a
 * signal of the library reach the host.
 *
 * Channel values: 65535 (255 for 8-bit values) means no ink, 0 means full
 * ink. Output buffers hold one value per ink channel per pixel, channel 0
 * first; size them as count * kal_GetChannels(handle) values.
 *
 * Threading: an instance serves one thread at a time (its calls, loading
 * and converting alike, must not overlap); separate instances may load and
 * convert on separate threads at once. Nothing is shared between instances
 * but the constant preset table and, read-only, a cache file that several
 * instances of the process use.
 *
 * Cache files (flag VARNEL_FLAG_CACHE) go to the instance's folder: by
 * default the user's temporary folder in the home directory. A folder that
 * other users could write to, or that is a link, gets no cache; a missing
 * one is made with mode 0700. A cache file is used only when the record
 * written beside it shows that it was built from this very configuration
 * by this version of the library; otherwise it is built anew.
 */
#ifndef VARNEL_VARNEL_H
#define VARNEL_VARNEL_H

#include "varnel_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque instance handle. */
typedef struct VarnelInstance* VarnelHandle;

/* Progress callback: percent is a whole number from 0 to 99; value is the
 * value given when the configuration was loaded. The result is ignored. */
typedef int (*VarnelProgressProc)(double percent, long long value);

/* Preset enumeration callback: receives each preset name and the caller's
 * pointer. The result is ignored. */
typedef int (*VarnelEnumProc)(char* name, void* user);

/* Statuses of the kal_ functions and of CVarnelDll. */
#define VARNEL_STATUS_OK 0
/* A bad argument, or a failure: missing object, unknown preset, unreadable
 * file, a configuration that does not load. */
#define VARNEL_STATUS_FAILED (-1)
/* Memory could not be obtained, or a conversion failed unexpectedly. */
#define VARNEL_STATUS_NO_MEMORY (-108)

/* Flag bit 0: build or load a separation cache at the next
 * kal_SetPreferences (one table look-up per pixel afterwards). */
#define VARNEL_FLAG_CACHE 1L

/* Flag bit 1: never start threads. Building a cache otherwise shares the
 * work among one thread per processor (up to 16), the calling thread among
 * them, all of them ended before kal_SetPreferences returns; the table is
 * the same either way. Hosts that must not have threads started set it. */
#define VARNEL_FLAG_NO_THREADS 2L

/* Creates an instance. Returns NULL when memory cannot be obtained. */
VARNEL_API VarnelHandle kal_InitVarnel(void);

/* Destroys an instance. A NULL handle does nothing. */
VARNEL_API void kal_EndVarnel(VarnelHandle handle);

/* Loads a configuration: a preset name (no extension; a directory in front
 * is ignored) or a .cfg file, then the optional extra text over it. A
 * configuration with more than 16 channels does not load.
 * Returns 0 in every case; a failed load leaves the instance empty, which
 * kal_GetChannels reports as 0. */
VARNEL_API long kal_SetPreferences(VarnelHandle handle, char* nameOrPath, char* text);

/* Stores the flags that govern the next kal_SetPreferences. Returns 0. */
VARNEL_API long kal_SetFlags(VarnelHandle handle, long flags);

/* Number of ink channels of the loaded configuration; 0 for a NULL handle
 * or when nothing is loaded. */
VARNEL_API long kal_GetChannels(VarnelHandle handle);

/* Separates count 16-bit RGB pixels (R, G, B per pixel) into out, which
 * receives count * kal_GetChannels(handle) values. in and out may overlap,
 * in place included (the input is then copied first).
 * Returns 0 on success; -1 for a NULL handle, a NULL buffer, a zero count
 * or an instance without a loaded configuration (nothing is written); -108
 * when memory cannot be obtained or the conversion fails unexpectedly. */
VARNEL_API long kal_RGB2Multichannel(VarnelHandle handle, unsigned short* in,
                                     unsigned short* out, unsigned int count);

#ifdef __cplusplus
}
#endif

#endif /* VARNEL_VARNEL_H */
