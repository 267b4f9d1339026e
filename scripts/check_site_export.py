#!/usr/bin/env python3
"""Checks the export of the simulated site of tests/tools/export_site.sh.

    check_site_export.py PREFIX A.csv B.csv C.csv
    check_site_export.py --consoles PREFIX

PREFIX is the site's export; A.csv, B.csv and C.csv the single-file exports
of its three files (A in zone 30N in metres, B in zone 31N in metres, C in
zone 31N in feet). The files were recorded with levels of +3.0, -1.5 and
0 nT over flat ground. With --consoles the site is A, E and C, E's console 2
balanced again (+2.0 nT) while its console 1 kept A's +3.0: E's console 2 is
levelled on its own. Prints one line per check; exits 1 on the first failure.
"""
import csv
import json
import math
import subprocess
import sys
import tempfile

FILES = ["A.MGR", "B.MGR", "C.MGR"]
LEVEL = {"A.MGR": 3.0, "B.MGR": -1.5, "C.MGR": 0.0}


def fail(text):
    print("FAIL " + text)
    sys.exit(1)


def read_csv(path):
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    return rows[0], rows[1:]


def read_asc(path):
    with open(path) as f:
        head = {}
        for _ in range(6):
            key, value = f.readline().split()
            head[key.lower()] = float(value)
        cells = [[float(v) for v in line.split()] for line in f if line.strip()]
    return head, cells


def check_levels(prefix):
    _, rows = read_csv(prefix + "-levels.csv")
    if any(r[1] != "all" for r in rows):
        fail(f"levels: a console levelled on its own: {rows}")
    found = {r[0]: float(r[2]) for r in rows}
    want = {name: LEVEL["A.MGR"] - LEVEL[name] for name in FILES}
    for name in FILES:
        if abs(found[name] - want[name]) > 0.1:
            fail(f"levels: {name} offset {found[name]:+.2f} nT, wanted {want[name]:+.2f}")
    for r in rows:
        if "cells, median difference" not in r[4]:
            fail(f"levels: {r[0]} names no overlap: {r[4]!r}")
    print("levels: B %+.2f, C %+.2f nT against A (wanted +4.50, +3.00), each on its overlaps"
          % (found["B.MGR"], found["C.MGR"]))


def block_cells(prefix, head, key=lambda r: r[-1], names=FILES):
    """The grid cells that readings of one file only fall in, per file (or
    per other key of a row)."""
    _, rows = read_csv(prefix + ".csv")
    owners = {}
    west, south, cell = head["xllcorner"], head["yllcorner"], head["cellsize"]
    nrows = int(head["nrows"])
    for r in rows:
        c = int(math.floor((float(r[0]) - west) / cell))
        row = nrows - 1 - int(math.floor((float(r[1]) - south) / cell))
        owners.setdefault((row, c), set()).add(key(r))
    blocks = {name: [] for name in names}
    for at, names in owners.items():
        if len(names) == 1:
            blocks[next(iter(names))].append(at)
    return blocks


def solve(m, v):
    """m x = v by Gaussian elimination with partial pivoting."""
    n = len(v)
    m = [row[:] + [v[i]] for i, row in enumerate(m)]
    for k in range(n):
        p = max(range(k, n), key=lambda i: abs(m[i][k]))
        m[k], m[p] = m[p], m[k]
        for i in range(k + 1, n):
            f = m[i][k] / m[k][k]
            for j in range(k, n + 1):
                m[i][j] -= f * m[k][j]
    x = [0.0] * n
    for k in reversed(range(n)):
        x[k] = (m[k][n] - sum(m[k][j] * x[j] for j in range(k + 1, n))) / m[k][k]
    return x


def block_steps(grid, blocks, names=FILES):
    """The ground has a regional gradient: the blocks' levels are fitted
    together with a plane, value = a + b x + c y + (each later block's step),
    over the cells of one block only; returns the steps against the first."""
    unknowns = 3 + len(names) - 1
    m = [[0.0] * unknowns for _ in range(unknowns)]
    v = [0.0] * unknowns
    for k, name in enumerate(names):
        for r, c in blocks[name]:
            x = [1.0, c * 0.01, r * 0.01] + [1.0 if k == j else 0.0 for j in range(1, len(names))]
            for i in range(unknowns):
                v[i] += x[i] * grid[r][c]
                for j in range(unknowns):
                    m[i][j] += x[i] * x[j]
    return solve(m, v)[3:]


def check_steps(prefix):
    head, raw = read_asc(prefix + ".asc")
    _, levelled = read_asc(prefix + "-processed.asc")
    blocks = block_cells(prefix, head)
    raw_b, raw_c = block_steps(raw, blocks)
    new_b, new_c = block_steps(levelled, blocks)
    if abs(raw_b + 4.5) > 0.1 or abs(raw_c + 3.0) > 0.1:
        fail(f"raw grid: B {raw_b:+.3f} and C {raw_c:+.3f} nT from A, wanted -4.5 and -3.0")
    steps = [abs(new_b), abs(new_c - new_b)]
    if max(steps) >= 0.1:
        fail(f"levelled grid: steps between blocks {steps[0]:.3f} and {steps[1]:.3f} nT")
    print("grid: raw step A to B %.3f nT; levelled steps A to B %.3f, B to C %.3f nT (blocks fitted with the "
          "ground's plane over %d, %d, %d cells of one file)" % (abs(raw_b), steps[0], steps[1],
                                                              *[len(blocks[n]) for n in FILES]))


def cs2cs(points, source, target):
    text = "".join(f"{e} {n}\n" for e, n in points)
    out = subprocess.run(["cs2cs", "-f", "%.4f", f"EPSG:{source}", f"EPSG:{target}"], input=text,
                         capture_output=True, text=True, check=True).stdout
    return [tuple(float(v) for v in line.split()[:2]) for line in out.splitlines()]


def check_rows(prefix, singles):
    header, rows = read_csv(prefix + ".csv")
    if header[-1] != "file":
        fail(f"site table: last column {header[-1]!r}, wanted 'file'")
    by_file = {name: [r for r in rows if r[-1] == name] for name in FILES}
    if sum(len(v) for v in by_file.values()) != len(rows):
        fail("site table: rows naming no file of the site")
    a_header, a_rows = read_csv(singles[0])
    if header[:-1] != a_header:
        fail(f"site table header {header[:-1]} is not the first file's {a_header}")
    if [r[:-1] for r in by_file["A.MGR"]] != a_rows:
        fail("first file: the site's rows are not its own export's")
    for name, path, metre_columns in (("B.MGR", singles[1], (0, 1)), ("C.MGR", singles[2], (-2, -1))):
        own_header, own = read_csv(path)
        site = by_file[name]
        if len(own) != len(site):
            fail(f"{name}: {len(site)} rows in the site, {len(own)} in its own export")
        ecol, ncol = metre_columns
        moved = cs2cs([(r[ecol], r[ncol]) for r in own], 32631, 32630)
        worst = max(math.hypot(float(s[0]) - e, float(s[1]) - n) for s, (e, n) in zip(site, moved))
        if worst > 0.002:
            fail(f"{name}: a reading {worst:.4f} m from where its own export (projected by cs2cs) puts it")
        # value, sensor, console, session, date, line, station, time, quality: the same texts.
        if any(s[2:11] != r[2:11] for s, r in zip(site, own)):
            fail(f"{name}: a row's value, sensor, console, session, date, line, station, time or quality differs")
        print(f"{name}: {len(site)} rows, each within {worst * 1000:.2f} mm of its own export's place "
              f"({own_header[ecol]} projected into EPSG:32630 by cs2cs)")
    print(f"A.MGR: {len(a_rows)} rows, the same texts as its own export's; every row names its file")


def check_track(prefix):
    for layer in ("track", "marks"):
        with open(f"{prefix}-{layer}.geojson") as f:
            features = json.load(f)["features"]
        names = {feature["properties"].get("file") for feature in features}
        if names != set(FILES):
            fail(f"{layer}: files named {sorted(map(str, names))}, wanted {FILES}")
    print("track and marks: every run and mark names its file, all three files present")


def gdal_json(path):
    return json.loads(subprocess.run(["gdalinfo", "-json", path], capture_output=True, text=True,
                                     check=True).stdout)


def gdal_cells(path):
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["gdal_translate", "-q", "-of", "AAIGrid", path, tmp + "/out.asc"], check=True)
        return read_asc(tmp + "/out.asc")


def check_gdal(base):
    head, cells = read_asc(base + ".asc")
    nrows, ncols, cell = int(head["nrows"]), int(head["ncols"]), head["cellsize"]
    want_transform = [head["xllcorner"], cell, 0.0, head["yllcorner"] + nrows * cell, 0.0, -cell]
    for ext in (".grd", ".tif"):
        info = gdal_json(base + ext)
        if info["size"] != [ncols, nrows]:
            fail(f"{base}{ext}: size {info['size']}, the ESRI grid's {ncols} x {nrows}")
        transform = info["geoTransform"]
        if any(abs(a - b) > 1e-6 for a, b in zip(transform, want_transform)):
            fail(f"{base}{ext}: geotransform {transform}, wanted {want_transform}")
        wkt = info.get("coordinateSystem", {}).get("wkt", "")
        if "UTM zone 30N" not in wkt or (ext == ".tif" and 'ID["EPSG",32630]' not in wkt):
            fail(f"{base}{ext}: coordinate system {wkt[:200]!r}")
        band = info["bands"][0]
        if ext == ".tif" and (band["type"] != "Float32" or float(band["noDataValue"]) != -9999):
            fail(f"{base}{ext}: band {band['type']} no data {band.get('noDataValue')}")
        ghead, gcells = gdal_cells(base + ext)
        nodata = ghead["nodata_value"]
        worst, empty = 0.0, 0
        for row, grow in zip(cells, gcells):
            for v, g in zip(row, grow):
                if v == -9999:
                    if g != nodata and not g >= 1e38:
                        fail(f"{base}{ext}: a cell without data in the ESRI grid holds {g}")
                    empty += 1
                    continue
                worst = max(worst, abs(v - g))
        if worst > 0.0051:
            fail(f"{base}{ext}: a cell {worst:.4f} from the ESRI grid's value")
        print(f"{base.split('/')[-1]}{ext}: {ncols} x {nrows} cells of {cell:g}, extent and EPSG:32630 as the ESRI "
              f"grid, every cell within {worst:.4f} of its value ({empty} without data)")


CONSOLE_BLOCKS = ["A.MGR", "E.MGR 1", "E.MGR 2", "C.MGR"]
CONSOLE_LEVEL = {"A.MGR": 3.0, "E.MGR 1": 3.0, "E.MGR 2": 2.0, "C.MGR": 0.0}


def check_console_levels(prefix):
    """E's console 2 levelled on its own: the offsets of A, E (its console 1),
    E's console 2 and C, and the levelled grid's steps between the blocks of
    each file and console."""
    _, rows = read_csv(prefix + "-levels.csv")
    found = {(r[0], r[1]): float(r[2]) for r in rows}
    want = {("A.MGR", "all"): 0.0, ("E.MGR", "1"): 0.0, ("E.MGR", "2"): 1.0, ("C.MGR", "all"): 3.0}
    if set(found) != set(want):
        fail(f"console levels: unknowns {sorted(found)}, wanted {sorted(want)}")
    for key, value in want.items():
        if abs(found[key] - value) > 0.1:
            fail(f"console levels: {key} offset {found[key]:+.2f} nT, wanted {value:+.2f}")
    print("console levels: E console 1 %+.2f, E console 2 %+.2f, C %+.2f nT against A (wanted +0.00, +1.00, +3.00)"
          % (found[("E.MGR", "1")], found[("E.MGR", "2")], found[("C.MGR", "all")]))
    head, raw = read_asc(prefix + ".asc")
    _, levelled = read_asc(prefix + "-processed.asc")
    key = lambda r: r[-1] if r[-1] != "E.MGR" else f"E.MGR {r[4]}"
    blocks = block_cells(prefix, head, key, CONSOLE_BLOCKS)
    raw_steps = block_steps(raw, blocks, CONSOLE_BLOCKS)
    new_steps = block_steps(levelled, blocks, CONSOLE_BLOCKS)
    for name, step in zip(CONSOLE_BLOCKS[1:], raw_steps):
        if abs(step - (CONSOLE_LEVEL[name] - CONSOLE_LEVEL["A.MGR"])) > 0.1:
            fail(f"console levels: raw grid: {name} {step:+.3f} nT from A")
    if max(abs(s) for s in new_steps) >= 0.1:
        fail("console levels: levelled grid: steps from A " + ", ".join(f"{s:+.3f}" for s in new_steps))
    print("console levels: raw steps from A " + ", ".join(f"{n} {s:+.3f}" for n, s in zip(CONSOLE_BLOCKS[1:], raw_steps))
          + " nT; levelled " + ", ".join(f"{s:+.3f}" for s in new_steps) + " nT")


def main():
    if sys.argv[1] == "--consoles":
        check_console_levels(sys.argv[2])
        return
    prefix = sys.argv[1]
    check_levels(prefix)
    check_steps(prefix)
    check_rows(prefix, sys.argv[2:5])
    check_track(prefix)
    check_gdal(prefix)
    check_gdal(prefix + "-processed")


if __name__ == "__main__":
    main()
