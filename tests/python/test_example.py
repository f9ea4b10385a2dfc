"""The example in docs/ runs and writes what it says."""

import os
import subprocess
import sys
from pathlib import Path

import numpy as np
from PIL import Image

import varnel


def test_example_writes_the_plates(tmp_path):
    source = Path(os.environ["VARNEL_SOURCE_DIR"])
    photo = source / "docs" / "images" / "testchart.png"
    subprocess.run([sys.executable, source / "docs" / "separate_photo.py", photo, tmp_path],
                   check=True, env=dict(os.environ, MPLBACKEND="Agg"), timeout=300)
    try:
        import matplotlib  # noqa: F401
        assert (tmp_path / "plates.png").stat().st_size > 0
    except ImportError:
        separation = varnel.Separation("HUE_PARAM_CMYKOG")
        inks = separation.separate(np.asarray(Image.open(photo).convert("RGB")))
        for channel, name in enumerate(separation.ink_names):
            np.testing.assert_array_equal(np.asarray(Image.open(tmp_path / f"{name}.png")),
                                          inks[..., channel])
