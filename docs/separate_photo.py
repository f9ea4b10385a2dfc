# %% [markdown]
# # Separating a photo with the varnel Python module
#
# Run it as a script, `python3 docs/separate_photo.py [PHOTO [OUTDIR]]`
# (with the module installed, or with `PYTHONPATH=build/test/python` after
# scripts/test), or cell by cell in Jupyter. It loads a photo with Pillow,
# separates it into six inks and shows each plate in its ink's colour with
# matplotlib (saved as OUTDIR/plates.png too); without matplotlib it writes
# the plates as PNG files into OUTDIR.

# %%
import sys
from pathlib import Path

import numpy as np
from PIL import Image

import varnel

here = Path(__file__).parent if "__file__" in globals() else Path.cwd()
arguments = sys.argv[1:] if "__file__" in globals() else []  # Jupyter's are its own
photo = Path(arguments[0]) if arguments else here / "images" / "testchart.png"
outdir = Path(arguments[1]) if len(arguments) > 1 else Path("plates")

# %% [markdown]
# Pillow reads the photo; the module takes uint8 or uint16 arrays of shape
# (H, W, 3).

# %%
rgb = np.asarray(Image.open(photo).convert("RGB"))
print(f"{photo.name}: {rgb.shape[1]} x {rgb.shape[0]} pixels")

# %% [markdown]
# A separation is loaded from one of the built-in presets (or a `.cfg` file).
# HUE_PARAM_CMYKOG prints with cyan, magenta, yellow, black, a red-orange and
# a green ink.

# %%
print(len(varnel.presets()), "presets:", ", ".join(varnel.presets()[:4]), "...")
separation = varnel.Separation("HUE_PARAM_CMYKOG")
print(separation)

# %% [markdown]
# `separate` gives one value per ink and pixel: 255 is no ink, 0 full ink.
# `coverage` gives each ink's mean coverage in per cent.

# %%
inks = separation.separate(rgb)
for name, percent in separation.coverage(rgb).items():
    print(f"{name:>8} {percent:5.1f} %")

# %% [markdown]
# Each plate in its ink's colour on white paper: the more ink, the closer
# to the ink's colour.

# %%
def tinted(plate, color):
    amount = 1.0 - plate[..., None] / 255.0
    return (255 - amount * (255 - np.array(color))).astype(np.uint8)


try:
    import matplotlib.pyplot as plt
except ImportError:
    plt = None

outdir.mkdir(parents=True, exist_ok=True)
if plt is not None:
    figure, axes = plt.subplots(2, 3, figsize=(12, 6))
    for channel, axis in enumerate(axes.flat):
        axis.imshow(tinted(inks[..., channel], separation.ink_colors[channel]))
        axis.set_title(separation.ink_names[channel])
        axis.axis("off")
    figure.tight_layout()
    figure.savefig(outdir / "plates.png")
    plt.show()
else:
    for channel, name in enumerate(separation.ink_names):
        Image.fromarray(np.ascontiguousarray(inks[..., channel])).save(outdir / f"{name}.png")
        Image.fromarray(tinted(inks[..., channel], separation.ink_colors[channel])).save(
            outdir / f"{name}-tinted.png")
    print(f"matplotlib is not installed: the plates are in {outdir}/")
