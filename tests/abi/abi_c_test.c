/*
 * Drives the shared library through its C interface only, compiled as plain
 * C99: proves that the header is valid C and that the functions are
 * reachable under their unmangled names with their contract intact. The
 * argument rules themselves are tested in the library's own tests. Exit
 * status 0 on success, 1 on any failure.
 */
#include <varnel/varnel.h>

#include <stdio.h>

static int failures = 0;

#define CHECK(cond)                                                                    \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);   \
            ++failures;                                                                \
        }                                                                              \
    } while (0)

/* A value the library has no reason to write: it shows an output written
 * past the pixel's channels. */
#define GUARD 0x5A5Au

int main(void)
{
    static char cmykog[] = "HUE_PARAM_CMYKOG";
    unsigned short white[3] = {65535, 65535, 65535};
    unsigned short out[20];
    VarnelHandle h;
    int i;

    h = kal_InitVarnel();
    CHECK(h != NULL);
    if (h == NULL)
        return 1;
    CHECK(kal_SetFlags(h, 0) == 0);
    CHECK(kal_SetPreferences(h, cmykog, NULL) == 0);
    CHECK(kal_GetChannels(h) == 6);
    for (i = 0; i < 20; ++i)
        out[i] = GUARD;
    /* White leaves the paper: no ink in any channel, nothing written past them. */
    CHECK(kal_RGB2Multichannel(h, white, out, 1) == 0);
    for (i = 0; i < 20; ++i)
        CHECK(out[i] == (i < 6 ? 65535 : GUARD));
    kal_EndVarnel(h);

    if (failures != 0) {
        fprintf(stderr, "%d check(s) failed\n", failures);
        return 1;
    }
    printf("C interface: all checks passed\n");
    return 0;
}
