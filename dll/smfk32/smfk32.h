/* smfk32.dll: post-processes a MIDI file (format 0 or 1; bare, in a RIFF "RMID" wrapper, or
 * behind a MacBinary header) into a Standard MIDI File, steered by a configuration file and four
 * option words.
 *
 * Both functions use the standard Windows calling convention (stdcall) and are exported under
 * their plain names and under the same names with a leading underscore. Paths are
 * zero-terminated byte strings in the process's ANSI code page. No exception or crash escapes
 * on bad input. */
#ifndef VELLACORD_SMFK32_H
#define VELLACORD_SMFK32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SMFK_CALL __stdcall

/* The option record, read by address: six little-endian 32-bit words, 24 bytes. */
typedef struct SmfkOptions {
    int32_t size;   /* 24 (a record claiming less is refused with SMFK_BAD_ARGUMENTS) */
    int32_t ch10;   /* 0: rhythm parts merged into channel 10; any other value: off */
    int32_t bank;   /* 0: bank selects without a program change removed; other: off */
    int32_t cc64;   /* 0: sustain pedal replaced by note lengths; other: off */
    int32_t mac;    /* nonzero: a MacBinary header in front of the file cut off; 0: off */
    uint32_t owner; /* handed back, unread, as the second argument of every progress call */
} SmfkOptions;

/* Called with the progress (0 to 100, never decreasing within one call of SmfkConvert) and
 * the record's `owner` word. Answer 1 to go on, 0 to stop. */
typedef int32_t(SMFK_CALL* SmfkProgressCallback)(int32_t percent, uint32_t owner);

/* Post-processes the MIDI file `source` into `dest` under the configuration file `config`
 * (null or empty: no configuration) and the option record `options` (null: every option off).
 * `window` and `reserved` are not used (the library shows no window). `callback` may be null.
 * `dest` is written whole or not at all (a temporary file in its folder, then renamed over it;
 * on failure it keeps what it held), and may be the same file as `source`.
 * Result: 0, or one of the positive codes below; never -1. */
int32_t SMFK_CALL SmfkConvert(void* window, const char* source, const char* dest,
                              const char* config, int32_t reserved, const SmfkOptions* options,
                              SmfkProgressCallback callback);
#define SMFK_DONE 0
#define SMFK_SOURCE_UNREADABLE 1 /* the source file cannot be opened or read */
#define SMFK_NOT_SMF 2           /* not a Standard MIDI File of format 0 or 1, or damaged */
#define SMFK_BAD_CONFIG 3        /* the configuration file cannot be read or has a bad line */
#define SMFK_NOT_WRITABLE 4      /* the destination or its folder cannot be written */
#define SMFK_STOPPED 5           /* the callback answered 0 */
#define SMFK_BAD_ARGUMENTS 6     /* no source or destination path, or a short option record */
#define SMFK_INTERNAL_ERROR 7    /* out of memory or another failure inside the library */

/* The library's version as major * 100 + minor: 100 for 1.00. */
int32_t SMFK_CALL GetSmfkVersion(void);

#ifdef __cplusplus
}
#endif

#endif
