"""What the tests of the Python module share: the library's C functions
through ctypes, as the reference the module must equal."""

import ctypes
import os

import numpy as np
import pytest

import varnel


class CFunctions:
    """The kal_ functions of the built libvarnel.so (VARNEL_LIBRARY)."""

    def __init__(self, path):
        lib = ctypes.CDLL(path)
        lib.kal_InitVarnel.restype = ctypes.c_void_p
        lib.kal_EndVarnel.argtypes = [ctypes.c_void_p]
        lib.kal_SetPreferences.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p]
        lib.kal_GetChannels.argtypes = [ctypes.c_void_p]
        lib.kal_GetChannels.restype = ctypes.c_long
        lib.kal_RGB2Multichannel.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p,
                                             ctypes.c_uint]
        lib.kal_RGB2Multichannel.restype = ctypes.c_long
        self.lib = lib

    def separate16(self, config, rgb, extra=None):
        """The separation of 16-bit (N, 3) pixels and the channel count."""
        lib = self.lib
        handle = lib.kal_InitVarnel()
        try:
            lib.kal_SetPreferences(handle, config.encode(), extra.encode() if extra else None)
            channels = lib.kal_GetChannels(handle)
            assert channels > 0, f"{config} does not load through kal_SetPreferences"
            rgb = np.ascontiguousarray(rgb, dtype=np.uint16)
            out = np.empty((len(rgb), channels), dtype=np.uint16)
            assert lib.kal_RGB2Multichannel(handle, rgb.ctypes.data, out.ctypes.data, len(rgb)) == 0
            return out
        finally:
            lib.kal_EndVarnel(handle)


@pytest.fixture(scope="session")
def kal():
    return CFunctions(os.environ["VARNEL_LIBRARY"])


@pytest.fixture
def pixels():
    """Random RGB values of a shape and dtype, the same in every run."""
    rng = np.random.default_rng(20261206)
    return lambda shape, dtype: rng.integers(0, np.iinfo(dtype).max, shape, dtype=dtype,
                                             endpoint=True)


@pytest.fixture(scope="session")
def cmykog():
    return varnel.Separation("HUE_PARAM_CMYKOG")

