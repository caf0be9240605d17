#!/usr/bin/python3
"""Times vtkImageReslice on the volume and plane that reslice_bench uses, and compares pictures.

Usage: compare_vtk.py BUILD_DIR [--dims X Y Z] [--spacing SX SY SZ] [--rounds N]
Writes the phantom once through reslice_bench --write-raw, runs reslice_bench and VTK for linear,
cubic and a 21-sample maximum slab on two 45-degree planes (tilted about x, and the diagonal of
the slices), and prints one JSON line per case with both timings and the largest and mean
difference between the two pictures. With --rounds N each case is timed N times, the two
programs taking turns, and the medians of the rounds are printed (a shared, loaded machine makes
single runs noisy).
"""
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np
import vtk
from vtk.util import numpy_support


def arg(name, count, default):
    if name in sys.argv:
        i = sys.argv.index(name)
        return sys.argv[i + 1:i + 1 + count]
    return default


def median(values):
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


def compare(tmp):
    build = sys.argv[1] if len(sys.argv) > 1 and not sys.argv[1].startswith("--") else "build"
    bench = os.path.join(build, "bench", "reslice_bench")
    dims = [int(v) for v in arg("--dims", 3, ["512", "512", "400"])]
    rounds = max(1, int(arg("--rounds", 1, ["1"])[0]))
    spacing = [float(v) for v in arg("--spacing", 3, ["0.7", "0.7", "1.0"])]
    geo = ["--dims"] + [str(d) for d in dims] + ["--spacing"] + [str(s) for s in spacing]
    raw = os.path.join(tmp, "volume.raw")
    subprocess.run([bench, "--write-raw", raw, "--iterations", "1"] + geo, check=True, capture_output=True)
    vol = np.fromfile(raw, dtype="<i2").reshape(dims[2], dims[1], dims[0])

    image = vtk.vtkImageData()
    image.SetDimensions(*dims)
    image.SetSpacing(*spacing)
    image.SetOrigin(0, 0, 0)
    image.GetPointData().SetScalars(numpy_support.numpy_to_vtk(vol.ravel(), deep=True, array_type=vtk.VTK_SHORT))

    c = s = math.cos(math.pi / 4)
    planes = {"diagonal": [(c, s, 0), (0, 0, 1), (s, -c, 0)], "tilted": [(1, 0, 0), (0, c, s), (0, -s, c)]}
    cases = [(plane, case, interp, slab) for plane in ("tilted", "diagonal")
             for case, interp, slab in (("linear", "linear", 1), ("cubic", "cubic", 1), ("slab21", "linear", 21))]
    for plane, case, interp, slab in cases:
        cols = planes[plane]
        out_file = os.path.join(tmp, case + ".raw")
        command = [bench, "--raw", raw, "--interp", interp, "--slab", str(slab), "--threads", "1", "--plane", plane,
                   "--write-out", out_file] + geo
        ours = json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)
        w, h = ours["columns"], ours["rows"]
        origin = ours["origin"]
        axes = vtk.vtkMatrix4x4()
        for j in range(3):
            for i in range(3):
                axes.SetElement(i, j, cols[j][i])
            axes.SetElement(j, 3, origin[j])
        reslice = vtk.vtkImageReslice()
        reslice.SetInputData(image)
        reslice.SetResliceAxes(axes)
        reslice.SetOutputSpacing(spacing[0], spacing[0], spacing[0])
        reslice.SetOutputOrigin(0, 0, 0)
        reslice.SetOutputExtent(0, w - 1, 0, h - 1, 0, 0)
        reslice.SetBackgroundLevel(-1024)
        reslice.SetNumberOfThreads(1)
        if hasattr(reslice, "SetEnableSMP"):
            reslice.SetEnableSMP(False)
        if interp == "cubic":
            reslice.SetInterpolationModeToCubic()
        else:
            reslice.SetInterpolationModeToLinear()
        if slab > 1:
            reslice.SetSlabNumberOfSlices(slab)
            reslice.SetSlabModeToMax()
        reslice.Update()
        our_rounds, vtk_rounds = [ours["ms_per_reslice"]], []
        for r in range(rounds):
            if r > 0:
                again = subprocess.run(command, check=True, capture_output=True, text=True).stdout
                our_rounds.append(json.loads(again)["ms_per_reslice"])
            times = []
            for _ in range(5 if slab > 1 else 10):
                reslice.Modified()
                t0 = time.perf_counter()
                reslice.Update()
                times.append((time.perf_counter() - t0) * 1000)
            vtk_rounds.append(median(times))
        theirs = numpy_support.vtk_to_numpy(reslice.GetOutput().GetPointData().GetScalars()).reshape(h, w).astype(np.int32)
        mine = np.fromfile(out_file, dtype="<i2").reshape(h, w).astype(np.int32)
        diff = np.abs(mine - theirs)
        print(json.dumps({"plane": plane, "case": case, "ours_ms": median(our_rounds), "vtk_ms": round(median(vtk_rounds), 3),
                          "speedup": round(median(vtk_rounds) / median(our_rounds), 2),
                          "max_abs_diff": int(diff.max()), "mean_abs_diff": round(float(diff.mean()), 4),
                          "pixels_over_1": int((diff > 1).sum()), "size": [w, h]}))


def main():
    # The volume and pictures take a few hundred megabytes: never leave them behind.
    tmp = tempfile.mkdtemp()
    try:
        compare(tmp)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
