/* rcpcv.dll: converts RCP-family sequencer songs (RCP 2.x, R36, RCP 3.0 / G36, G18) into
 * Standard MIDI Files (format 1, division = the song's timebase).
 *
 * Every function uses the standard Windows calling convention (stdcall) and is exported under
 * its plain name and under the same name with a leading underscore. Paths are zero-terminated
 * byte strings in the process's ANSI code page. No function lets an exception or a crash escape
 * on bad input; handles that are not live (never made, or already deleted) are recognised and
 * refused, never dereferenced.
 *
 * One conversion: rcpcvConvertFile makes a converter object holding the finished file, then
 * rcpcvSaveSMF writes it (or rcpcvGetSMF / rcpcvGetSMFLength read it in memory), then
 * rcpcvDeleteObject releases it. Objects are independent of each other. */
#ifndef VELLACORD_RCPCV_H
#define VELLACORD_RCPCV_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define RCPCV_CALL __stdcall

/* The record handed to the progress callback, by address, during a conversion. */
typedef struct RcpcvProgress {
    uint32_t size;     /* offset 0: sizeof(RcpcvProgress), 16 */
    uint32_t reserved; /* offset 4: 0 */
    int32_t percent;   /* offset 8: 0 to 100, never decreasing within one conversion */
    uint32_t user;     /* offset 12: the user value given to the conversion call */
} RcpcvProgress;

/* Answer 1 to go on, 0 to stop the conversion (which then makes no object). */
typedef int32_t(RCPCV_CALL* RcpcvProgressCallback)(const RcpcvProgress* record);

/* The only conversion mode: a Standard MIDI File of format 1, with the control files (CM6/GSD)
 * the song names sent as setup when found beside it. */
#define RCPCV_MODE_SMF 2

/* Reads and converts the song at `path`. `mode` must be RCPCV_MODE_SMF; `reserved` is ignored
 * (pass 0); `callback` may be null; `user` comes back in every progress record. Result: the
 * handle of a new converter object, or 0 when the file cannot be read, is not an RCP-family
 * song or is damaged, the mode is unknown, or the callback asked to stop. Control files are
 * looked for in the song's folder, whatever the case of their names. */
uint32_t RCPCV_CALL rcpcvConvertFile(const char* path, int32_t mode, RcpcvProgressCallback callback,
                                     int32_t reserved, uint32_t user);

/* As rcpcvConvertFile, for a song of `length` bytes at `data` (copied; no control files, since
 * there is no folder to find them in). */
uint32_t RCPCV_CALL rcpcvConvertFileFromBuffer(const void* data, uint32_t length, int32_t mode,
                                               RcpcvProgressCallback callback, uint32_t user);

/* Releases a converter object. Result: 1 when `handle` was live, 0 otherwise. */
int32_t RCPCV_CALL rcpcvDeleteObject(uint32_t handle);

/* The bytes of the object's Standard MIDI File, valid until the object is deleted; null for a
 * handle that is not live. */
const void* RCPCV_CALL rcpcvGetSMF(uint32_t handle);

/* Writes the object's Standard MIDI File to `path`, whole or not at all (a temporary file in
 * the same folder, then renamed over `path`; on failure `path` keeps what it held). */
int32_t RCPCV_CALL rcpcvSaveSMF(uint32_t handle, const char* path);
#define RCPCV_SAVED 0
#define RCPCV_BAD_HANDLE 1     /* `handle` is not a live converter object */
#define RCPCV_NO_PATH 2        /* `path` is null or empty */
#define RCPCV_NOT_WRITABLE 3   /* the destination or its folder cannot be written */
#define RCPCV_INTERNAL_ERROR 4 /* out of memory or another failure inside the library */

/* The length in bytes of the object's Standard MIDI File; 0 for a handle that is not live. */
uint32_t RCPCV_CALL rcpcvGetSMFLength(uint32_t handle);

/* The variant the song was recognised as (by its signature, never by its file name). */
#define RCPCV_TYPE_RCP2 1                                     /* RCP 2.x */
#define RCPCV_TYPE_R36 2                                      /* R36 */
#define RCPCV_TYPE_G36 3                                      /* RCP 3.0 / G36 */
#define RCPCV_TYPE_G18 4                                      /* G18 */
int32_t RCPCV_CALL rcpcvGetOriginalFileType(uint32_t handle); /* 0 for a handle not live */

/* The library's version: major 1, minor 0. */
int32_t RCPCV_CALL rcpcvGetVersionMajor(void);
int32_t RCPCV_CALL rcpcvGetVersionMinor(void);

/* A static, zero-terminated ASCII line naming the library and its authors. */
const char* RCPCV_CALL rcpcvGetCopyright(void);

#ifdef __cplusplus
}
#endif

#endif
