"""Colour separation of RGB images into ink amounts for 4 to 8 inks.

    import varnel
    separation = varnel.Separation("HUE_PARAM_CMYKOG")
    inks = separation.separate(rgb)        # uint8/uint16 (H, W, 3) -> (H, W, 6)
    separation.ink_names                   # ('Cyan', 'Magenta', ...)

varnel.dask separates Dask arrays and batches of image files on a cluster.
"""

from ._error import VarnelError
from ._finding import Finding
from ._varnel import Separation, __version__, check, presets

__all__ = ["Finding", "Separation", "VarnelError", "check", "presets", "__version__"]
