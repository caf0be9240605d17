#!/usr/bin/python3
# make_multiframe_j2k.py <out.dcm> [frames]: writes a multi-frame JPEG 2000 CT (default 200
# frames) whose frames are copies of the 512 x 512 lossless code stream of a CT slice from
# Debian's pydicom test files, encapsulated with a basic offset table.
import sys

import pydicom
from pydicom.encaps import encapsulate, generate_pixel_data_frame

SOURCE = '/usr/lib/python3/dist-packages/pydicom/data/test_files/J2K_pixelrep_mismatch.dcm'

out = sys.argv[1]
frames = int(sys.argv[2]) if len(sys.argv) > 2 else 200
ds = pydicom.dcmread(SOURCE)
frame = next(generate_pixel_data_frame(ds.PixelData, 1))
ds.PixelData = encapsulate([frame] * frames, has_bot=True)
ds.NumberOfFrames = frames
ds.save_as(out)
