/* A host written from separation.h alone: 8 threads convert with one shared
 * separation, and 8 threads each with a separation of their own; every
 * thread's bytes must agree, 8-bit and 16-bit. The extra text brings in every
 * refinement stage, an expression among them. Run under ThreadSanitizer and
 * valgrind too. Exit status 0 when all agree. */
#include <varnel/separation.h>

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define THREADS 8
#define PIXELS 20000
#define MAX_CHANNELS 16

struct job {
    const varnel_separation *separation;
    const uint8_t *in8;
    const uint16_t *in16;
    uint8_t out8[PIXELS * MAX_CHANNELS];
    uint16_t out16[PIXELS * MAX_CHANNELS];
    int status;
};

static void *convert(void *arg)
{
    struct job *job = arg;
    job->status = varnel_convert8(job->separation, job->in8, 0, job->out8, 0, PIXELS, 1, NULL, NULL);
    if (job->status == VARNEL_OK)
        job->status = varnel_convert16(job->separation, job->in16, 0, job->out16, 0, PIXELS, 1, NULL, NULL);
    return NULL;
}

static int run(struct job *jobs)
{
    pthread_t threads[THREADS];
    int t;
    for (t = 0; t < THREADS; ++t)
        if (pthread_create(&threads[t], NULL, convert, &jobs[t]) != 0)
            return -1;
    for (t = 0; t < THREADS; ++t)
        pthread_join(threads[t], NULL);
    for (t = 0; t < THREADS; ++t)
        if (jobs[t].status != VARNEL_OK) {
            fprintf(stderr, "thread %d: %s\n", t, varnel_status_name(jobs[t].status));
            return -1;
        }
    return 0;
}

int main(int argc, char **argv)
{
    const char *preset = argc > 1 ? argv[1] : "HUE_PARAM_CMYKRODG";
    const char *extra = "COLOR_SUBST01=50,20,30,40,Y,2*3;HUEMASK_LIGHT00=0,40,20,Y;GRAY_SUBST=30,10,10,10,Y;"
                        "BLACK_ADD=20,5,5,5,5,Y;SECOND_COLOR00=4,20,50,Y;COLOR_ADD02=40,10,20,30,40,Y;";
    static uint8_t in8[PIXELS * 3];
    static uint16_t in16[PIXELS * 3];
    static struct job shared[THREADS], own[THREADS];
    char message[VARNEL_MESSAGE_SIZE];
    varnel_separation *one = NULL;
    varnel_separation *each[THREADS] = {NULL};
    size_t bytes8, bytes16;
    unsigned seed = 12345u;
    int i, t, failed = 0;

    for (i = 0; i < PIXELS * 3; ++i) {
        seed = seed * 1103515245u + 12345u;
        in8[i] = (uint8_t)(seed >> 16);
        in16[i] = (uint16_t)(seed >> 8);
    }
    if (varnel_load(preset, extra, NULL, &one, message, sizeof message) != VARNEL_OK) {
        fprintf(stderr, "%s\n", message);
        return 1;
    }
    for (t = 0; t < THREADS; ++t) {
        if (varnel_load(preset, extra, NULL, &each[t], message, sizeof message) != VARNEL_OK) {
            fprintf(stderr, "%s\n", message);
            return 1;
        }
        shared[t].separation = one;
        own[t].separation = each[t];
        shared[t].in8 = own[t].in8 = in8;
        shared[t].in16 = own[t].in16 = in16;
    }
    if (run(shared) != 0 || run(own) != 0)
        return 1;
    bytes8 = PIXELS * varnel_channels(one);
    bytes16 = bytes8 * sizeof(uint16_t);
    for (t = 0; t < THREADS; ++t)
        if (memcmp(shared[t].out8, own[0].out8, bytes8) != 0 || memcmp(own[t].out8, own[0].out8, bytes8) != 0 ||
            memcmp(shared[t].out16, own[0].out16, bytes16) != 0 ||
            memcmp(own[t].out16, own[0].out16, bytes16) != 0) {
            fprintf(stderr, "thread %d converted other values\n", t);
            failed = 1;
        }
    varnel_free(one);
    for (t = 0; t < THREADS; ++t)
        varnel_free(each[t]);
    return failed;
}
