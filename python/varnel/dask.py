"""Separation on Dask: arrays block by block, and batches of image files.

The work runs on whatever scheduler Dask uses: a distributed Client when one
is set up, else the threads of this process. Each worker process loads a
configuration once, at its first task, and its threads and later tasks share
that Separation (conversions run without the GIL). On a cluster:

    from dask.distributed import Client
    import varnel.dask

    client = Client("tcp://scheduler.example:8786")    # Client() starts a local one
    inks = varnel.dask.separate(rgb, "HUE_PARAM_CMYKOG")  # rgb: dask array (H, W, 3)
    inks.to_zarr("inks.zarr")                            # or .compute(), .persist()

A .cfg file and cache_dir are opened by the workers, so they must be at the
same path on every worker.
"""

import os
import threading
from typing import NamedTuple, Optional, Tuple

import dask
import numpy as np

from . import Separation

_lock = threading.Lock()
_loaded = {}


def separation(config, extra=None, cache=False, cache_dir=None):
    """This process's Separation of these arguments, loaded at its first use."""
    key = (os.fspath(config), extra, bool(cache),
           None if cache_dir is None else os.fspath(cache_dir))
    with _lock:
        found = _loaded.get(key)
        if found is None:
            found = _loaded[key] = Separation(config, extra, cache, cache_dir)
    return found


def _separate_block(block, config, extra, cache, cache_dir):
    return separation(config, extra, cache, cache_dir).separate(block)


def separate(array, config, extra=None, *, cache=False, cache_dir=None):
    """The separation of a Dask array of shape (H, W, 3) or (N, 3), uint8 or
    uint16, block by block: a Dask array of the same blocks with the inks
    last, as Separation.separate gives them.

    The configuration is also loaded here (without cache), for its channel
    count and so that one that does not load fails at once; the dtype and
    shape are checked by separating an empty array of the blocks' kind.
    """
    local = separation(config, extra)
    meta = local.separate(np.empty(tuple(0 for _ in array.shape[:-1]) + array.shape[-1:],
                                   dtype=array.dtype))
    # A block must hold whole pixels.
    if len(array.chunks[-1]) > 1:
        array = array.rechunk({array.ndim - 1: -1})
    return array.map_blocks(_separate_block, config=config, extra=extra, cache=cache,
                            cache_dir=cache_dir, dtype=meta.dtype, meta=meta,
                            chunks=array.chunks[:-1] + ((local.channels,),))


class FileResult(NamedTuple):
    """What became of one input file of separate_files."""
    source: str
    plates: Tuple[str, ...]        # the plates written, channel 0 first; () when it failed
    error: Optional[Exception]     # why it failed; None when it did not


def _rgb_pixels(image):
    """The 8-bit RGB pixels of a Pillow image, transparency laid over white paper."""
    from PIL import Image
    if image.mode in ("RGBA", "LA", "PA") or "transparency" in image.info:
        image = image.convert("RGBA")
        paper = Image.new("RGBA", image.size, (255, 255, 255, 255))
        image = Image.alpha_composite(paper, image)
    return np.asarray(image.convert("RGB"))


def _separate_file(source, outdir, config, extra, cache, cache_dir):
    from PIL import Image
    try:
        with Image.open(source) as image:
            rgb = _rgb_pixels(image)
        loaded = separation(config, extra, cache, cache_dir)
        inks = loaded.separate(rgb)
        os.makedirs(outdir, exist_ok=True)
        stem = os.path.splitext(os.path.basename(source))[0]
        plates = []
        for channel, name in enumerate(loaded.ink_names):
            plate = os.path.join(outdir, f"{stem}-{name}.png")
            # Written under a temporary name: a plate that exists is complete.
            partial = os.path.join(outdir, f".{stem}-{name}.png.{os.getpid()}")
            Image.fromarray(np.ascontiguousarray(inks[..., channel])).save(partial, format="PNG")
            os.replace(partial, plate)
            plates.append(plate)
        return FileResult(source, tuple(plates), None)
    except Exception as error:  # the file's failure is its result; the others go on
        return FileResult(source, (), error)


def separate_files(paths, config, outdir, extra=None, *, cache=False, cache_dir=None):
    """Separates image files, one Dask task each, and waits for them.

    Each file is read with Pillow as 8-bit RGB (transparency over white
    paper) and written as one 8-bit greyscale PNG per ink,
    outdir/NAME-<ink>.png, in the library's sense: white (255) where there
    is no ink, as `varnel separate --plates` writes them. (For separated TIFF
    files, ICC profiles and 16-bit images, use the varnel tool.)

    Returns one FileResult per path, in the order of paths; a file that
    fails does not stop the others.
    """
    separation(config, extra)  # a configuration that does not load fails here, once
    sources = [os.fspath(path) for path in paths]
    stems = [os.path.splitext(os.path.basename(source))[0] for source in sources]
    if len(set(stems)) < len(stems):
        raise ValueError("two input files have the same name: their plates would overwrite each other")
    outdir = os.fspath(outdir)
    tasks = [dask.delayed(_separate_file, pure=False)(source, outdir, config, extra, cache, cache_dir)
             for source in sources]
    return list(dask.compute(*tasks))
