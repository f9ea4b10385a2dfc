/*
 * Drives the shared library through its C interface only, compiled as plain
 * C99: proves that the header is valid C, that the six functions are
 * reachable under their unmangled names and that they keep their contract
 * across the language boundary. Exit status 0 on success, 1 on any failure.
 */
#include <varnel/varnel.h>

#include <stdio.h>

static int failures = 0;

#define CHECK(cond)                                                        \
    do {                                                                   \
        if (!(cond)) {                                                     \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__,         \
                    __LINE__, #cond);                                      \
            ++failures;                                                    \
        }                                                                  \
    } while (0)

#define MAX_CHANNELS 16
/* Values the library never has a reason to write: they show an output
 * written past count * channels values. */
#define GUARD 0x5A5Au

static char cmykog[] = "HUE_PARAM_CMYKOG";
static char unknownPreset[] = "NO_SUCH_PRESET";

static void CheckNullHandle(void)
{
    unsigned short in[3] = {65535, 65535, 65535};
    unsigned short out[MAX_CHANNELS];

    CHECK(kal_GetChannels(NULL) == 0);
    CHECK(kal_SetFlags(NULL, 1) == 0);
    CHECK(kal_SetPreferences(NULL, cmykog, NULL) == 0);
    CHECK(kal_RGB2Multichannel(NULL, in, out, 1) == -1);
    kal_EndVarnel(NULL); /* must do nothing */
}

static void CheckFreshHandle(VarnelHandle h)
{
    unsigned short in[3] = {65535, 65535, 65535};
    unsigned short out[MAX_CHANNELS] = {GUARD};

    CHECK(kal_GetChannels(h) == 0);
    CHECK(kal_RGB2Multichannel(h, in, out, 1) == -1);
    CHECK(out[0] == GUARD);
    CHECK(kal_SetFlags(h, 0) == 0);
}

/* Converts one pixel into a guarded buffer; returns the status and checks
 * that nothing beyond the pixel's channels was written. */
static long ConvertOne(VarnelHandle h, unsigned short r, unsigned short g,
                       unsigned short b, unsigned short* out, long channels)
{
    unsigned short in[3];
    long status;
    int i;

    in[0] = r;
    in[1] = g;
    in[2] = b;
    for (i = 0; i < MAX_CHANNELS + 4; ++i)
        out[i] = GUARD;
    status = kal_RGB2Multichannel(h, in, out, 1);
    for (i = (int)channels; i < MAX_CHANNELS + 4; ++i)
        CHECK(out[i] == GUARD);
    return status;
}

static void CheckLoadedPreset(VarnelHandle h)
{
    unsigned short in[3] = {0, 0, 0};
    unsigned short out[MAX_CHANNELS + 4];
    long channels;
    int i, full, none;

    CHECK(kal_SetPreferences(h, cmykog, NULL) == 0);
    channels = kal_GetChannels(h);
    CHECK(channels == 6);
    if (channels != 6)
        return;

    /* White leaves the paper: no ink in any channel. */
    CHECK(ConvertOne(h, 65535, 65535, 65535, out, channels) == 0);
    for (i = 0; i < channels; ++i)
        CHECK(out[i] == 65535);

    /* Black is the black ink alone. */
    CHECK(ConvertOne(h, 0, 0, 0, out, channels) == 0);
    full = none = 0;
    for (i = 0; i < channels; ++i) {
        full += out[i] == 0;
        none += out[i] == 65535;
    }
    CHECK(full == 1 && none == channels - 1);

    /* Argument checks still apply to a loaded instance. */
    CHECK(kal_RGB2Multichannel(h, NULL, out, 1) == -1);
    CHECK(kal_RGB2Multichannel(h, in, NULL, 1) == -1);
    CHECK(kal_RGB2Multichannel(h, in, out, 0) == -1);
}

static void CheckFailedLoadEmptiesInstance(VarnelHandle h)
{
    unsigned short out[MAX_CHANNELS + 4];

    /* The failure is reported only through the channel count. */
    CHECK(kal_SetPreferences(h, unknownPreset, NULL) == 0);
    CHECK(kal_GetChannels(h) == 0);
    CHECK(ConvertOne(h, 65535, 65535, 65535, out, 0) == -1);
}

int main(void)
{
    VarnelHandle h;

    CheckNullHandle();

    h = kal_InitVarnel();
    CHECK(h != NULL);
    if (h != NULL) {
        CheckFreshHandle(h);
        CheckLoadedPreset(h);
        CheckFailedLoadEmptiesInstance(h);
        kal_EndVarnel(h);
    }

    if (failures != 0) {
        fprintf(stderr, "%d check(s) failed\n", failures);
        return 1;
    }
    printf("C interface: all checks passed\n");
    return 0;
}
