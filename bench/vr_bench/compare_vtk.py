#!/usr/bin/python3
"""Times vtkFixedPointVolumeRayCastMapper next to vr_bench on the same volume and views.

Usage: scripts/run-isolated bench/vr_bench/compare_vtk.py BUILD_DIR [--threads N] [--size S]
(a display is needed for VTK's render window; run-isolated provides a virtual one).
Prints one JSON line per mode and interpolation with both timings.
"""
import json
import math
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
import vtk
from vtk.util import numpy_support


def arg(name, default):
    return sys.argv[sys.argv.index(name) + 1] if name in sys.argv else default


def main():
    build = sys.argv[1] if len(sys.argv) > 1 and not sys.argv[1].startswith("--") else "build"
    bench = os.path.join(build, "bench", "vr_bench")
    threads = int(arg("--threads", "4"))
    size = int(arg("--size", "512"))
    frames = int(arg("--frames", "10"))
    dims, spacing = [512, 512, 400], [0.7, 0.7, 1.0]
    geo = ["--dims"] + [str(d) for d in dims] + ["--spacing"] + [str(s) for s in spacing]
    raw = os.path.join(tempfile.mkdtemp(), "volume.raw")
    subprocess.run([bench, "--write-raw", raw, "--frames", "1", "--size", "16"] + geo, check=True, capture_output=True)
    vol = np.fromfile(raw, dtype="<i2").reshape(dims[2], dims[1], dims[0])

    image = vtk.vtkImageData()
    image.SetDimensions(*dims)
    image.SetSpacing(*spacing)
    image.GetPointData().SetScalars(numpy_support.numpy_to_vtk(vol.ravel(), deep=True, array_type=vtk.VTK_SHORT))

    low, high = 40 - 200, 40 + 200  # window 400 / level 40
    opacity = vtk.vtkPiecewiseFunction()
    opacity.AddPoint(low, 0.0)
    opacity.AddPoint(high, 1.0)
    colour = vtk.vtkColorTransferFunction()
    colour.AddRGBPoint(low, 0, 0, 0)
    colour.AddRGBPoint(high, 1, 1, 1)
    centre = [(dims[k] - 1) * spacing[k] * 0.5 for k in range(3)]
    extent = max((dims[k] - 1) * spacing[k] for k in range(3))

    for mode in ("composite", "mip"):
        for interp in ("nearest", "linear"):
            ours = json.loads(subprocess.run(
                [bench, "--raw", raw, "--mode", mode, "--interp", interp, "--threads", str(threads),
                 "--size", str(size), "--frames", str(frames)] + geo,
                check=True, capture_output=True, text=True).stdout)
            prop = vtk.vtkVolumeProperty()
            prop.SetScalarOpacity(opacity)
            prop.SetColor(colour)
            if interp == "linear":
                prop.SetInterpolationTypeToLinear()
            else:
                prop.SetInterpolationTypeToNearest()
            mapper = vtk.vtkFixedPointVolumeRayCastMapper()
            mapper.SetInputData(image)
            mapper.SetNumberOfThreads(threads)
            mapper.SetAutoAdjustSampleDistances(0)
            mapper.SetSampleDistance(min(spacing))
            mapper.SetImageSampleDistance(1.0)
            if mode == "mip":
                mapper.SetBlendModeToMaximumIntensity()
            volume = vtk.vtkVolume()
            volume.SetMapper(mapper)
            volume.SetProperty(prop)
            renderer = vtk.vtkRenderer()
            renderer.AddVolume(volume)
            window = vtk.vtkRenderWindow()
            window.SetOffScreenRendering(1)
            window.SetSize(size, size)
            window.AddRenderer(renderer)
            camera = renderer.GetActiveCamera()
            camera.ParallelProjectionOn()
            camera.SetParallelScale(extent * 1.1 / 2)
            camera.SetClippingRange(1, 3000)

            def place(degrees):
                a = math.radians(degrees)
                d = (math.sin(a), math.cos(a), 0.0)
                camera.SetFocalPoint(*centre)
                camera.SetPosition(*[centre[k] - d[k] * 1000 for k in range(3)])
                camera.SetViewUp(0, 0, -1)
                camera.SetClippingRange(1, 3000)

            place(10)
            window.Render()
            times = []
            for f in range(frames):
                place(10 + 2 * (f + 1))
                t0 = time.perf_counter()
                window.Render()
                times.append((time.perf_counter() - t0) * 1000)
            times.sort()
            print(json.dumps({"mode": mode, "interp": interp, "threads": threads, "ours_ms": ours["ms_per_frame"],
                              "vtk_ms": round(times[len(times) // 2], 3)}))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
