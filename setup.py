"""The extension of the zel_code wheel, built by the project's CMake build.

CMake compiles the library and the pybind11 module for the interpreter that
runs this build, linked with the static library, so that the wheel needs no
libzel_code.so; the version is the one include/zel_code.h defines. Build
files go under build-wheel/, apart from the CMake presets' build/.
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
WORK = ROOT / "build-wheel"


def version():
    header = (ROOT / "include" / "zel_code.h").read_text(encoding="utf-8")
    return re.search(r'#define ZEL_CODE_VERSION "([^"]+)"', header).group(1)


class cmake_build_ext(build_ext):
    def build_extension(self, ext):
        build = WORK / "cmake"
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        options = ["-DZEL_BUILD_TESTS=OFF", "-DZEL_BUILD_CLI=OFF", "-DZEL_BUILD_PYTHON=ON"]
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), *generator]
        configure += ["-DCMAKE_BUILD_TYPE=Release", f"-DPython3_EXECUTABLE={sys.executable}"]
        subprocess.run([*configure, *options], check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(
            ["cmake", "--build", str(build), "--target", "_zel_code", "-j", jobs], check=True
        )
        target = Path(self.get_ext_fullpath(ext.name))
        built = build / "python" / "zel_code" / target.name
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(built, target)


WORK.mkdir(exist_ok=True)
setup(
    version=version(),
    ext_modules=[Extension("zel_code._zel_code", sources=[])],
    cmdclass={"build_ext": cmake_build_ext},
    options={"build": {"build_base": str(WORK)}, "egg_info": {"egg_base": str(WORK)}},
)
