"""cmake --install puts a package that imports from the prefix alone."""

import os
import subprocess
import sys


def test_installed_package_runs_from_its_prefix(tmp_path):
    # CMake is not built with the sanitizers whose runtimes the tests may preload.
    cmake_environment = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    subprocess.run([os.environ["VARNEL_CMAKE"], "--install", os.environ["VARNEL_BUILD_DIR"],
                    "--prefix", tmp_path], env=cmake_environment, check=True, capture_output=True, timeout=300)
    site = tmp_path / os.environ["VARNEL_PYTHON_INSTALL_DIR"]
    environment = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "LD_LIBRARY_PATH")}
    environment["PYTHONPATH"] = str(site)
    shown = subprocess.run(
        [sys.executable, "-c", "import varnel; print(varnel.__file__, varnel.Separation('HUE_PARAM_CMYK'))"],
        env=environment, cwd=tmp_path, check=True, capture_output=True, text=True, timeout=300).stdout
    assert shown.startswith(f"{site}/varnel/__init__.py <varnel.Separation: 4 inks")
