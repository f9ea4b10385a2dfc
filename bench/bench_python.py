"""The Python module's speed, each figure beside its reference from the same run.

1. Separation.separate on a 4-megapixel photograph (the one bench_separation
   reads, from Debian's mate-backgrounds; a synthetic image without it)
   against the same conversion through the C function varnel_convert8/16,
   called through ctypes on the same arrays in the same process: one call
   per conversion, so the C figure carries nothing of Python. CPU time of
   the calling thread, median of the repetitions, interleaved.
2. varnel.dask.separate of a large array of random colours on a local
   cluster of two worker processes against one (one thread each), wall time
   of the separation of the array, already held by the workers, and the CPU
   time the workers spent meanwhile. Blocks of 4 megapixels: each task
   separates for a tenth of a second or more, so that the scheduler's own
   work per task (in this process, on the same two cores) stays small
   beside it. The best run of each shows what the cluster can do, the
   median how steady it was.

Run it as scripts/bench does: PYTHONPATH=build/release/python python3 bench/bench_python.py
"""

import argparse
import ctypes
import os
import statistics
import time

import numpy as np

import varnel

PHOTO = "/usr/share/backgrounds/mate/nature/TwoWings.jpg"
CONFIG = b"HUE_PARAM_CMYKOG"


def photograph():
    """8-bit RGB, 4 megapixels: the photograph, or a smooth synthetic image."""
    try:
        from PIL import Image
        with Image.open(PHOTO) as image:
            return np.asarray(image.convert("RGB")), "photograph 2560x1600"
    except (ImportError, OSError):
        y, x = np.mgrid[0:2048, 0:2048]
        rgb = np.stack([x % 256, y % 256, (x + y) // 16 % 256], axis=-1).astype(np.uint8)
        return rgb, "synthetic image 2048x2048 (install mate-backgrounds for the photograph)"


class CSeparation:
    """The separation through the library's C functions."""

    def __init__(self, config):
        # The module has loaded the library already; dlopen finds that copy.
        self.lib = lib = ctypes.CDLL("libvarnel.so.1")
        lib.varnel_load.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_void_p,
                                    ctypes.POINTER(ctypes.c_void_p), ctypes.c_char_p, ctypes.c_size_t]
        for name in ("varnel_convert8", "varnel_convert16"):
            getattr(lib, name).argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_size_t,
                                           ctypes.c_void_p, ctypes.c_size_t, ctypes.c_size_t,
                                           ctypes.c_size_t, ctypes.c_void_p, ctypes.c_void_p]
        lib.varnel_free.argtypes = [ctypes.c_void_p]
        self.handle = ctypes.c_void_p()
        if lib.varnel_load(config, None, None, ctypes.byref(self.handle), None, 0) != 0:
            raise RuntimeError(f"{config} does not load")

    def separate(self, rgb, out):
        convert = self.lib.varnel_convert8 if rgb.dtype == np.uint8 else self.lib.varnel_convert16
        height, width = rgb.shape[:2]
        if convert(self.handle, rgb.ctypes.data, 0, out.ctypes.data, 0, width, height, None, None) != 0:
            raise RuntimeError("conversion failed")

    def __del__(self):
        self.lib.varnel_free(self.handle)


def cpu_seconds(call):
    start = time.thread_time()
    call()
    return time.thread_time() - start


def module_against_c(repetitions):
    rgb8, what = photograph()
    print(f"== Separation.separate against varnel_convert (HUE_PARAM_CMYKOG, {what}, "
          f"median of {repetitions}, CPU time of one thread)")
    module = varnel.Separation(CONFIG.decode())
    c = CSeparation(CONFIG)
    megapixels = rgb8.shape[0] * rgb8.shape[1] / 1e6
    for rgb in (rgb8, rgb8.astype(np.uint16) * 257):
        out = np.empty(rgb.shape[:2] + (module.channels,), rgb.dtype)
        runs = {"C function": [], "separate(rgb)": [], "separate(rgb, out=)": []}
        for _ in range(repetitions):
            runs["C function"].append(cpu_seconds(lambda: c.separate(rgb, out)))
            runs["separate(rgb)"].append(cpu_seconds(lambda: module.separate(rgb)))
            runs["separate(rgb, out=)"].append(cpu_seconds(lambda: module.separate(rgb, out=out)))
        assert np.array_equal(module.separate(rgb), out)
        reference = statistics.median(runs["C function"])
        for name, seconds in runs.items():
            median = statistics.median(seconds)
            print(f"{rgb.itemsize * 8:2d}-bit {name:20} {megapixels / median:7.1f} MPix/s"
                  f"  {reference / median:5.3f} x C")


def dask_workers(size, block, repetitions):
    import dask.array as da
    from distributed import Client, LocalCluster, wait

    import varnel.dask

    print(f"== varnel.dask.separate, {size}x{size} random 8-bit colours in blocks of {block}x{block} "
          f"(HUE_PARAM_CMYKOG, best and median of {repetitions}, wall time)")
    seconds = {}
    for workers in (1, 2):
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            runs = []
            for seed in range(repetitions + 1):  # the first also loads the separation on the workers
                # A new array each time: the same graph again would find its results held.
                rgb = da.random.RandomState(seed).randint(0, 256, size=(size, size, 3),
                                                          chunks=(block, block, 3), dtype=np.uint8)
                rgb = rgb.persist()
                wait(rgb)
                cpu = sum(client.run(time.process_time).values())
                start = time.perf_counter()
                inks = varnel.dask.separate(rgb, CONFIG.decode()).persist()
                wait(inks)
                runs.append((time.perf_counter() - start,
                             sum(client.run(time.process_time).values()) - cpu))
                del inks, rgb
            walls = sorted(wall for wall, _ in runs[1:])
            seconds[workers] = walls[0], statistics.median(walls)
            cpu = statistics.median(used for _, used in runs[1:])
        # On a busy machine the second worker gains only what the other jobs
        # leave of the second core; the CPU time shows the work it costs.
        best, median = seconds[workers]
        print(f"{workers} worker{'s' if workers > 1 else ' '} {size * size / 1e6 / best:7.1f} MPix/s"
              f"  {seconds[1][0] / best:5.2f} x one worker (median {seconds[1][1] / median:4.2f} x)"
              f"  (workers' CPU time {cpu:.2f} s for {median:.2f} s)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--repetitions", type=int, default=9)
    parser.add_argument("--dask-size", type=int, default=8192, help="side of the Dask array; 0 skips the Dask figures")
    parser.add_argument("--dask-block", type=int, default=2048, help="side of one block: one task each")
    arguments = parser.parse_args()
    print(f"CPU: {os.cpu_count()} processors; load average {os.getloadavg()[0]:.1f}")
    module_against_c(arguments.repetitions)
    if arguments.dask_size > 0:
        dask_workers(arguments.dask_size, arguments.dask_block, max(5, arguments.repetitions // 2))
    print(f"load average {os.getloadavg()[0]:.1f}")


if __name__ == "__main__":
    main()
