"""varnel.Separation against the C functions, on every layout and every
failure a caller can provoke."""

import pickle
import threading

import numpy as np
import pytest

import varnel
from varnel import VarnelError


def narrowed(values16):
    """16-bit channel values as the library narrows them to 8 bits."""
    return ((values16.astype(np.uint64) * 65281 + 8388608) >> 24).astype(np.uint8)


@pytest.mark.parametrize("bits", [8, 16])
@pytest.mark.parametrize("preset", varnel.presets())
def test_separate_equals_the_c_function(kal, pixels, preset, bits):
    dtype = np.uint8 if bits == 8 else np.uint16
    rgb = pixels((40, 50, 3), dtype)
    inks = varnel.Separation(preset).separate(rgb)
    wide = rgb.reshape(-1, 3).astype(np.uint16) * (257 if bits == 8 else 1)
    expected = kal.separate16(preset, wide)
    if bits == 8:
        expected = narrowed(expected)
    assert inks.dtype == dtype
    np.testing.assert_array_equal(inks, expected.reshape(40, 50, -1))


def test_description_comes_from_the_library(kal, pixels, cmykog):
    assert len(varnel.presets()) == 57
    assert cmykog.channels == kal.separate16("HUE_PARAM_CMYKOG", np.zeros((1, 3))).shape[1] == 6
    assert len(set(cmykog.ink_names)) == 6
    assert all(len(c) == 3 and all(0 <= v <= 255 for v in c) for c in cmykog.ink_colors)
    assert "6 inks" in repr(cmykog)
    # The text loads back as the same separation.
    rgb = pixels((1000, 3), np.uint16)
    again = varnel.Separation.from_text(cmykog.text)
    np.testing.assert_array_equal(again.separate(rgb), cmykog.separate(rgb))


# Views whose pixels lie anywhere in memory; the separation must equal that
# of a packed copy.
LAYOUTS = {
    "crop": lambda a: a[3:40, 5:30],
    "reversed rows and columns": lambda a: a[::-1, ::-2],
    "bgr": lambda a: a[:, :, ::-1],
    "fortran order": lambda a: np.asfortranarray(a),
    "broadcast rows": lambda a: np.broadcast_to(a[:1], a.shape),
    "pixel list": lambda a: a.reshape(-1, 3)[::3],
    "unaligned": lambda a: np.frombuffer(b"\0" + a.tobytes(), a.dtype.str, offset=1).reshape(a.shape)
                           if a.itemsize > 1 else a,
    "read-only": lambda a: np.frombuffer(a.tobytes(), a.dtype).reshape(a.shape),
    "empty": lambda a: a[:0],
}


@pytest.mark.parametrize("dtype", [np.uint8, np.uint16])
@pytest.mark.parametrize("layout", LAYOUTS)
def test_any_layout_separates_as_its_packed_copy(pixels, cmykog, layout, dtype):
    view = LAYOUTS[layout](pixels((48, 64, 3), dtype))
    inks = cmykog.separate(view)
    assert inks.shape == view.shape[:-1] + (6,)
    np.testing.assert_array_equal(inks, cmykog.separate(np.ascontiguousarray(view)))


def test_out_receives_the_separation_even_with_rows_apart(pixels, cmykog):
    rgb = pixels((30, 40, 3), np.uint8)
    canvas = np.zeros((30, 50, 6), np.uint8)
    out = canvas[:, 5:45]
    assert cmykog.separate(rgb, out=out) is out
    np.testing.assert_array_equal(out, cmykog.separate(rgb))
    assert not canvas[:, :5].any() and not canvas[:, 45:].any()


def bad(status, call):
    with pytest.raises(VarnelError) as caught:
        call()
    error = caught.value
    assert (error.status, error.status_name) == (status, {-1: "VARNEL_ERROR_ARGUMENT",
                                                          -2: "VARNEL_ERROR_NOT_FOUND",
                                                          -3: "VARNEL_ERROR_FILE",
                                                          -4: "VARNEL_ERROR_CONFIG",
                                                          -108: "VARNEL_ERROR_MEMORY"}[status])
    assert error.message and error.message in str(error)
    again = pickle.loads(pickle.dumps(error))
    assert (again.status, again.message) == (error.status, error.message)


RGB = np.zeros((4, 5, 3), np.uint8)
HUGE = np.broadcast_to(np.zeros((1, 3), np.uint8), (2 ** 40, 3))
BAD_CALLS = {
    "list": (-1, lambda s: s.separate([[0, 0, 0]])),
    "float": (-1, lambda s: s.separate(RGB.astype(float))),
    "signed": (-1, lambda s: s.separate(RGB.astype(np.int16))),
    "big-endian uint16": (-1, lambda s: s.separate(RGB.astype(">u2"))),
    "four values a pixel": (-1, lambda s: s.separate(np.zeros((4, 5, 4), np.uint8))),
    "one axis": (-1, lambda s: s.separate(np.zeros(3, np.uint8))),
    "out of another dtype": (-1, lambda s: s.separate(RGB, out=np.empty((4, 5, 6), np.uint16))),
    "out of another shape": (-1, lambda s: s.separate(RGB, out=np.empty((4, 5, 5), np.uint8))),
    "out read-only": (-1, lambda s: s.separate(RGB, out=np.broadcast_to(np.uint8(0), (4, 5, 6)))),
    "out with channels apart": (-1, lambda s: s.separate(RGB, out=np.empty((4, 5, 12), np.uint8)[..., ::2])),
    "out over the input": (-1, lambda s: (lambda b: s.separate(b[:, :3].reshape(4, 1, 3),
                                                               out=b.reshape(4, 1, 6)))(
                                                                   np.zeros((4, 6), np.uint8))),
    "input too large to copy": (-108, lambda s: s.separate(HUGE)),
    "coverage of a float array": (-1, lambda s: s.coverage(RGB.astype(float))),
}


@pytest.mark.parametrize("case", BAD_CALLS)
def test_bad_conversion_raises_its_status(cmykog, case):
    status, call = BAD_CALLS[case]
    bad(status, lambda: call(cmykog))


def write(path, text):
    path.write_text(text)
    return path


BAD_LOADS = {
    "unknown preset": (-2, lambda tmp: varnel.Separation("HUE_PARAM_NONE")),
    "missing file": (-3, lambda tmp: varnel.Separation(tmp / "missing.cfg")),
    "folder": (-3, lambda tmp: varnel.Separation((tmp / "folder.cfg").mkdir() or tmp / "folder.cfg")),
    "text that does not parse": (-4, lambda tmp: varnel.Separation(write(tmp / "x.cfg", "CHANNELS=x;;="))),
    "extra that does not parse": (-4, lambda tmp: varnel.Separation("HUE_PARAM_CMYK", "CHANNELS=4;HUEMASK05=0;")),
    "from_text that does not parse": (-4, lambda tmp: varnel.Separation.from_text("CHANNELS=0")),
    "config None": (-1, lambda tmp: varnel.Separation(None)),
    "config with NUL": (-1, lambda tmp: varnel.Separation("HUE_PARAM_CMYK\0.cfg")),
    "extra with NUL": (-1, lambda tmp: varnel.Separation("HUE_PARAM_CMYK", "A=1\0")),
    "extra a number": (-1, lambda tmp: varnel.Separation("HUE_PARAM_CMYK", 7)),
    "check of None": (-1, lambda tmp: varnel.check(None)),
}


@pytest.mark.parametrize("case", BAD_LOADS)
def test_bad_load_raises_its_status(tmp_path, case):
    status, call = BAD_LOADS[case]
    bad(status, lambda: call(tmp_path))


def errors(findings):
    return [(f.text, f.line, f.statement) for f in findings if f.severity == "error"]


def test_check_reports_what_the_library_misreads():
    extra = "CHANNELS=4;HUEMASK05=0;Maxink=3;"
    assert errors(varnel.check("HUE_PARAM_CMYK", extra)) == [("extra", 1, "HUEMASK05=0"),
                                                             ("extra", 1, "Maxink=3")]
    assert errors(varnel.check("HUE_PARAM_NONE")) == [("config", 0, "")]
    # A separation checks the texts it was loaded from.
    loaded = varnel.Separation("HUE_PARAM_CMYK", "MAXINK=250;MAXINK=260")
    assert loaded.check() == varnel.check("HUE_PARAM_CMYK", "MAXINK=250;MAXINK=260")
    from_text = varnel.Separation.from_text(loaded.text, "MAXINK=250;MAXINK=260")
    assert [(f.text, f.statement) for f in from_text.check() if f.text == "extra"] == [("extra", "MAXINK=260")]
    assert "MAXINK=260" in str(from_text.check()[-1])


def test_a_cached_separation_gives_the_same_bytes(tmp_path, pixels, cmykog):
    cached = varnel.Separation("HUE_PARAM_CMYKOG", cache=True, cache_dir=tmp_path)
    assert cached.cached and not cmykog.cached
    rgb = pixels((100, 100, 3), np.uint8)
    np.testing.assert_array_equal(cached.separate(rgb), cmykog.separate(rgb))


@pytest.mark.parametrize("dtype", [np.uint8, np.uint16])
@pytest.mark.parametrize("shape", [(70000, 3), (1, 70001, 3), (300, 299, 3)],
                         ids=["pixel list", "row wider than a band", "bands and a remainder"])
def test_coverage_is_the_mean_ink_of_the_separation(pixels, cmykog, shape, dtype):
    rgb = pixels(shape, dtype)
    full = float(np.iinfo(dtype).max)
    inks = cmykog.separate(rgb).reshape(-1, 6).astype(np.float64)
    expected = (full - inks).mean(axis=0) * 100 / full
    coverage = cmykog.coverage(rgb)
    assert list(coverage) == list(cmykog.ink_names)
    np.testing.assert_allclose(list(coverage.values()), expected, rtol=1e-12)
    assert set(cmykog.coverage(np.full((5, 3), full, dtype)).values()) == {0.0}


def test_outputs_keep_their_memory_while_viewed(pixels, cmykog):
    # Output memory is reused once an array has died, never before.
    first, second = pixels((512, 512, 3), np.uint16), pixels((512, 512, 3), np.uint16)
    expected = cmykog.separate(first)[100:110].copy()
    view = cmykog.separate(first)[100:110]
    for _ in range(3):
        cmykog.separate(second)
    np.testing.assert_array_equal(view, expected)


def test_one_separation_serves_four_threads_at_once(pixels, cmykog):
    images = [pixels((512, 512, 3), np.uint16) for _ in range(4)]
    expected = [cmykog.separate(image) for image in images]
    results = [None] * 4
    start = threading.Barrier(4)

    def work(i):
        start.wait()
        for _ in range(5):
            results[i] = cmykog.separate(images[i])

    threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for got, want in zip(results, expected):
        np.testing.assert_array_equal(got, want)
