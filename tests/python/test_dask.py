"""varnel.dask on a local cluster of two worker processes: the same bytes as
one process, one Separation per worker."""

import os

import dask.array as da
import numpy as np
import pytest
from distributed import Client, LocalCluster
from PIL import Image

import varnel
import varnel.dask


@pytest.fixture(scope="module")
def client():
    with LocalCluster(n_workers=2, threads_per_worker=2, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        yield client


@pytest.mark.parametrize("dtype", [np.uint8, np.uint16])
@pytest.mark.parametrize("shape, chunks", [((300, 200, 3), (64, 50, 3)), ((9000, 3), (1000, 1))],
                         ids=["image", "pixel list split across values"])
def test_blocks_separate_as_one_array(client, pixels, dtype, shape, chunks):
    rgb = pixels(shape, dtype)
    inks = varnel.dask.separate(da.from_array(rgb, chunks=chunks), "HUE_PARAM_CMYKOG")
    np.testing.assert_array_equal(inks.compute(), varnel.Separation("HUE_PARAM_CMYKOG").separate(rgb))
    loaded = client.run(lambda: len(varnel.dask._loaded))
    assert sorted(loaded.values()) == [1, 1]


def test_a_bad_array_fails_before_any_task(client):
    with pytest.raises(varnel.VarnelError) as caught:
        varnel.dask.separate(da.zeros((10, 10, 4), dtype=np.uint8), "HUE_PARAM_CMYK")
    assert caught.value.status == -1


def test_files_separate_as_in_one_process(client, pixels, tmp_path):
    rgb = pixels((60, 80, 3), np.uint8)
    Image.fromarray(rgb).save(tmp_path / "photo.png")
    # Transparent left half: white paper there, the photo on the right.
    alpha = np.where(np.arange(80) < 40, 0, 255).astype(np.uint8)
    Image.fromarray(np.dstack([rgb, np.tile(alpha, (60, 1))])).save(tmp_path / "half.png")
    (tmp_path / "broken.png").write_bytes(b"not an image")
    sources = [tmp_path / name for name in ("photo.png", "half.png", "broken.png")]

    photo, half, broken = varnel.dask.separate_files(sources, "HUE_PARAM_CMYKOG", tmp_path / "out")

    separation = varnel.Separation("HUE_PARAM_CMYKOG")
    expected = separation.separate(rgb)
    for result in (photo, half):
        assert result.error is None and result.source == str(sources[(photo, half).index(result)])
        assert [os.path.basename(p) for p in result.plates] == [
            f"{os.path.basename(result.source)[:-4]}-{name}.png" for name in separation.ink_names]
        plates = np.dstack([np.asarray(Image.open(plate)) for plate in result.plates])
        if result is half:
            assert (plates[:, :40] == 255).all()
            plates, expected = plates[:, 40:], expected[:, 40:]
        np.testing.assert_array_equal(plates, expected)
    assert broken.plates == () and broken.error is not None
    assert sorted(os.listdir(tmp_path / "out")) == sorted(os.path.basename(p) for p in photo.plates + half.plates)
