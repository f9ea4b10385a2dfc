/*
 * libvarnel: the separation interface.
 *
 * A varnel_separation is one loaded configuration, immutable once loaded:
 * any number of threads may convert with one separation at once, each call
 * with its own scratch state, and query it at the same time. Only
 * varnel_free must not overlap any other use of the separation it frees.
 * The library starts threads only while loading with VARNEL_LOAD_CACHE and
 * without VARNEL_LOAD_NO_THREADS; a conversion runs on the calling thread.
 *
 * Channel values: 65535 (255 for 8-bit values) means no ink, 0 means full
 * ink. A pixel's output holds one value per channel, channel 0 first.
 *
 * This interface and the kal_ functions of varnel.h (and CVarnelDll) run on
 * the same engine: for the same configuration they give the same values.
 *
 * Every function accepts NULL where it takes a pointer and answers with its
 * documented status; no exception or signal of the library reaches the
 * host. Plain C99.
 */
#ifndef VARNEL_SEPARATION_H
#define VARNEL_SEPARATION_H

#include "varnel_export.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this header; varnel_version() gives the library's. */
#define VARNEL_VERSION_MAJOR 1
#define VARNEL_VERSION_MINOR 2
#define VARNEL_VERSION_PATCH 0
#define VARNEL_VERSION \
    (VARNEL_VERSION_MAJOR * 10000 + VARNEL_VERSION_MINOR * 100 + VARNEL_VERSION_PATCH)
#define VARNEL_VERSION_TEXT "1.2.0"

/* Statuses. Every function that can fail returns one of them. */
typedef enum varnel_status {
    VARNEL_OK = 0,
    /* A NULL pointer, a zero size where one is needed, overlapping input and
     * output, an out-of-range channel, a stride too small for its row. */
    VARNEL_ERROR_ARGUMENT = -1,
    /* No preset of that name (a name without an extension is a preset). */
    VARNEL_ERROR_NOT_FOUND = -2,
    /* The configuration file cannot be read (missing, a folder, no access,
     * an extension other than .cfg or .xml). */
    VARNEL_ERROR_FILE = -3,
    /* The configuration text does not parse, or defines no channel or more
     * than VARNEL_MAX_CHANNELS. The message names the statement. */
    VARNEL_ERROR_CONFIG = -4,
    /* The progress callback asked to stop. */
    VARNEL_ERROR_CANCELLED = -5,
    /* Memory could not be obtained (or the call failed unexpectedly). */
    VARNEL_ERROR_MEMORY = -108
} varnel_status;

/* The most channels a separation computes; a configuration with more does
 * not load. */
#define VARNEL_MAX_CHANNELS 16

/* The constant name of a status ("VARNEL_OK", ...); "unknown status" for
 * any other value. */
VARNEL_API const char *varnel_status_name(int status);

/* The library's version as VARNEL_VERSION encodes it, and as text
 * ("1.2.0"). A host built against this header runs with any library of the
 * same major version and a minor version at least as high. */
VARNEL_API int varnel_version(void);
VARNEL_API const char *varnel_version_text(void);

/* Progress: percent is the whole share already done, from 0 to 99, each
 * reported at most once per call and in order, on the calling thread. A
 * non-zero result stops a conversion, which returns
 * VARNEL_ERROR_CANCELLED. user is the pointer given with the callback. */
typedef int (*varnel_progress_fn)(double percent, void *user);

/* Load flags. */
/* Keep a table of the separation of every 8-bit colour, built at load or
 * read from the cache folder: 8-bit conversions then read the table, 16-bit
 * conversions read it at the 8-bit colour nearest to each pixel. */
#define VARNEL_LOAD_CACHE 1u
/* Start no threads while building the table. */
#define VARNEL_LOAD_NO_THREADS 2u

typedef struct varnel_load_options {
    unsigned flags;
    /* Folder of cache files; NULL: the user's own folder in the system's
     * temporary folder ("<tmp>/varnel-<uid>/"), made with mode 0700 when
     * missing. A folder that another user owns, that others may write or
     * that is a link gets no cache: the separation then computes every
     * pixel, and varnel_is_cached says 0. A table file is used only when the
     * record beside it names this very configuration and library. */
    const char *cache_folder;
    /* Reports the table's build; its result is ignored. May be NULL. */
    varnel_progress_fn progress;
    void *progress_user;
} varnel_load_options;

/* The name of the built-in preset at index (0, 1, ...), in ascending byte
 * order of the names; NULL past the last. */
VARNEL_API const char *varnel_preset_name(size_t index);

/* The configuration text of the preset of that name (exact, case-sensitive);
 * NULL when there is none. Both texts are constant. */
VARNEL_API const char *varnel_preset_text(const char *name);

typedef struct varnel_separation varnel_separation;

/* Room a message buffer needs for any message of the library. */
#define VARNEL_MESSAGE_SIZE 512

/* Loads a preset (a name without an extension; a folder in front is
 * ignored) or a configuration file (.cfg), then the optional extra text
 * over it. options may be NULL (no cache). On success *out receives the
 * separation (free it with varnel_free); on failure *out is NULL and, when
 * message is not NULL, message receives a sentence that says what failed
 * (cut to message_size, always terminated).
 * Returns VARNEL_OK, VARNEL_ERROR_ARGUMENT (config or out NULL),
 * VARNEL_ERROR_NOT_FOUND, VARNEL_ERROR_FILE, VARNEL_ERROR_CONFIG or
 * VARNEL_ERROR_MEMORY. */
VARNEL_API int varnel_load(const char *config, const char *extra,
                           const varnel_load_options *options, varnel_separation **out,
                           char *message, size_t message_size);

/* The same from a configuration text of length bytes in memory (it need
 * not be terminated), then the optional extra text. */
VARNEL_API int varnel_load_text(const char *text, size_t length, const char *extra,
                                const varnel_load_options *options, varnel_separation **out,
                                char *message, size_t message_size);

/* Frees a separation; NULL does nothing. No other call may use it then. */
VARNEL_API void varnel_free(varnel_separation *separation);

/* The number of channels (1 to VARNEL_MAX_CHANNELS); 0 for NULL. */
VARNEL_API size_t varnel_channels(const varnel_separation *separation);

/* The name of a channel's ink ("Cyan", "Black", "Orange", ...), distinct
 * among the separation's inks; NULL for NULL or a channel out of range. The
 * text lives as long as the separation. */
VARNEL_API const char *varnel_ink_name(const varnel_separation *separation, size_t channel);

/* How a channel's ink looks on white paper, in 8-bit sRGB, into rgb[0..2].
 * Returns VARNEL_OK or VARNEL_ERROR_ARGUMENT. */
VARNEL_API int varnel_ink_color(const varnel_separation *separation, size_t channel,
                                unsigned char rgb[3]);

/* One configuration text that varnel_load_text loads back as this
 * separation (the extra text merged in); NULL for NULL. Lives as long as
 * the separation. */
VARNEL_API const char *varnel_config_text(const varnel_separation *separation);

/* 1 when a table of every 8-bit colour serves the separation, else 0. */
VARNEL_API int varnel_is_cached(const varnel_separation *separation);

/* Separates a rectangle of width x height pixels. A row of the input holds
 * width pixels of 3 values (R, G, B), a row of the output width pixels of
 * varnel_channels() values. in_stride and out_stride are the distances in
 * bytes from one row to the next (0: rows follow each other without a
 * gap). Input and output must not share any byte. progress may be NULL.
 * Returns VARNEL_OK; VARNEL_ERROR_ARGUMENT for a NULL separation or buffer,
 * a stride shorter than its row, a size that overflows, or overlapping
 * buffers (nothing written); VARNEL_ERROR_CANCELLED when progress asked to
 * stop (the rows before that point are written, the others untouched);
 * VARNEL_ERROR_MEMORY. An empty rectangle returns VARNEL_OK. */
VARNEL_API int varnel_convert8(const varnel_separation *separation, const uint8_t *in,
                               size_t in_stride, uint8_t *out, size_t out_stride, size_t width,
                               size_t height, varnel_progress_fn progress, void *user);
VARNEL_API int varnel_convert16(const varnel_separation *separation, const uint16_t *in,
                                size_t in_stride, uint16_t *out, size_t out_stride, size_t width,
                                size_t height, varnel_progress_fn progress, void *user);

/* A 16-bit channel value narrowed to 8 bits: value / 257 rounded to the
 * nearest integer, computed as (value * 65281 + 2^23) >> 24 in unsigned
 * 32-bit arithmetic. The library's 8-bit output is its 16-bit output
 * narrowed this way: varnel_convert8 of v gives, value for value,
 * varnel_narrow of varnel_convert16 of v * 257. */
static inline uint8_t varnel_narrow(uint16_t value)
{
    return (uint8_t)(((uint32_t)value * 65281u + 8388608u) >> 24);
}

/* Checking a configuration before it is used.
 *
 * varnel_check reads a configuration the way varnel_load does and reports
 * every finding through the host's callback, in the order of the texts and
 * of their lines:
 *   errors: a statement the library does not read as it is written (an
 *     unknown key or one in the wrong case, a value that does not parse or
 *     lies outside what its key takes, too few or too many fields, a
 *     number past 15), and every statement that keeps the configuration
 *     from loading;
 *   warnings: what loads but may surprise: a channel that no mask computes
 *     (it prints full ink on every pixel), a value the library clamps, a
 *     variable definition that is never read, a key given twice (only the
 *     first counts) or switched off elsewhere.
 * docs/configuration.md lists every key with its fields and ranges. */
#define VARNEL_FINDING_ERROR 1
#define VARNEL_FINDING_WARNING 2

/* Which text a finding is in. */
#define VARNEL_TEXT_CONFIG 0 /* the preset's text, the file or the text given */
#define VARNEL_TEXT_EXTRA 1  /* the extra text */

/* One finding: severity is VARNEL_FINDING_ERROR or VARNEL_FINDING_WARNING,
 * text VARNEL_TEXT_CONFIG or VARNEL_TEXT_EXTRA, line the line of the text
 * (1 for its first; 0 when the finding is about the text as a whole),
 * statement the statement as written (without its ';'; "" with line 0),
 * message one sentence without the statement. The texts are valid during
 * the call only. user is the pointer given to varnel_check. */
typedef void (*varnel_finding_fn)(int severity, int text, unsigned line, const char *statement,
                                  const char *message, void *user);

/* Checks a preset (a name without an extension) or a configuration file
 * (.cfg), then the optional extra text over it. report may be NULL (only
 * the counts are wanted); errors and warnings, when not NULL, receive the
 * number of each.
 * Returns what varnel_load returns for the same texts: VARNEL_OK when
 * they load (warnings or errors may still be found), VARNEL_ERROR_CONFIG
 * when they do not (the findings say why), VARNEL_ERROR_NOT_FOUND or
 * VARNEL_ERROR_FILE when there is nothing to check (reported as one error
 * with line 0 as well); VARNEL_ERROR_ARGUMENT for a NULL config;
 * VARNEL_ERROR_MEMORY. */
VARNEL_API int varnel_check(const char *config, const char *extra, varnel_finding_fn report, void *user,
                            size_t *errors, size_t *warnings);

/* The same for a configuration text of length bytes in memory. */
VARNEL_API int varnel_check_text(const char *text, size_t length, const char *extra,
                                 varnel_finding_fn report, void *user, size_t *errors,
                                 size_t *warnings);

#ifdef __cplusplus
}
#endif

#endif /* VARNEL_SEPARATION_H */
