#!/usr/bin/env python3
"""Checks what tesselog-export wrote against a survey whose truth is known.

    check_export.py PREFIX --capture CAPTURE [--epsg N] [--field FIELD.txt] [--cell C]
                    [--dump TESSELOG-DUMP --file FILE.mgr
                     (--behind Y --places X1,X2,... | --antenna-track)]

PREFIX.csv, PREFIX.xyz and PREFIX.geojson are read with Python's csv and json
modules. Checked:
  - the CSV has its header row naming the EPSG code, and every row holds
    numbers where numbers belong, a sensor 1..18, a console 1..9 and a time
    of day; the XYZ holds the same rows;
  - every vertex of the GeoJSON track lies within a metre of a position that
    the simulator sent (CAPTURE.gps.raw, the simulator's walk);
  - with --behind and --places (one straight line; metres, the sensors' true
    places: Y behind the antenna, X1.. to its right): every reading lies
    where its sensor was on the step the antenna walked while it was taken
    (reading j of the step's m in the middle of its share, (j + 0.5) / m,
    between the two fixes). The fixes and the epochs come from the data
    file (tesselog-dump --positions). For each sensor the mean offset along
    and across the walking direction must be within 0.02 of the display
    unit; the unit's true length in metres is this script's own;
  - with --antenna-track (no console): every edge of the file's swath lies
    on its fix's antenna position, within 0.01 m;
  - with --field (tesselog-sim --field-out): every strong positive feature
    that the survey walked over has the highest grid cell within 3 m of it
    within two cells of its centre (PREFIX.asc, cell size --cell).
Prints one line per check; exits 1 with the reasons on any failure.
"""
import argparse
import csv
import json
import math
import re
import shutil
import subprocess
import sys
from pathlib import Path

METRES_PER_UNIT = {"m": 1.0, "ft": 0.3048, "US ft": 1200.0 / 3937.0}
TIME_RE = re.compile(r"^\d\d:\d\d:\d\d\.\d\d\d$")
SENTENCE_RE = re.compile(rb"\$GPGGA,[^,]*,(\d+\.\d+),([NS]),(\d+\.\d+),([EW]),")


def fail(reasons, text):
    reasons.append(text)


def read_csv(path, epsg, reasons):
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    header, rows = rows[0], rows[1:]
    if header[2:] != ["value", "sensor", "console", "line", "station", "time", "gps_quality"]:
        fail(reasons, f"CSV header {header}")
    if epsg and f"EPSG:{epsg}" not in header[0]:
        fail(reasons, f"CSV header does not name EPSG:{epsg}: {header[0]}")
    unit = header[0].split()[-1].rstrip(")")
    unit = "US ft" if header[0].endswith("US ft)") else unit
    points = []
    for row in rows:
        e, n, v, s, c, _line, st, t, q = row
        float(st), int(q)
        if not (1 <= int(s) <= 18 and 1 <= int(c) <= 9 and TIME_RE.match(t)):
            fail(reasons, f"CSV row {row}")
            break
        points.append((float(e), float(n), float(v), int(s)))
    return points, unit


def check_xyz(path, count, reasons):
    lines = Path(path).read_text(encoding="utf-8").splitlines()
    rows = [ln.split(" ") for ln in lines if not ln.startswith("#")]
    if len(rows) != count or any(len(r) != 9 for r in rows):
        fail(reasons, f"XYZ has {len(rows)} rows, CSV {count}, or a row without 9 fields")
        return
    for r in rows:
        float(r[0]), float(r[1]), float(r[2]), int(r[3])


def walk_of_capture(capture):
    """The simulator's walk: the latitude and longitude of every GGA it sent."""
    walk = []
    for m in SENTENCE_RE.finditer(Path(capture + ".gps.raw").read_bytes()):
        lat = int(float(m[1]) / 100) + (float(m[1]) % 100) / 60
        lon = int(float(m[3]) / 100) + (float(m[3]) % 100) / 60
        walk.append((lat if m[2] == b"N" else -lat, lon if m[4] == b"E" else -lon))
    return walk


def metres_between(a, b):
    lat = math.radians((a[0] + b[0]) / 2)
    return math.hypot((a[0] - b[0]) * 111320.0, (a[1] - b[1]) * 111320.0 * math.cos(lat))


def check_geojson(path, walk, reasons):
    data = json.loads(Path(path).read_text(encoding="utf-8"))
    if data.get("type") != "FeatureCollection":
        fail(reasons, "GeoJSON is not a FeatureCollection")
        return 0
    tracks = [f for f in data["features"] if f["geometry"]["type"] == "LineString"]
    vertices = [(lat, lon) for f in tracks for lon, lat in f["geometry"]["coordinates"]]
    if not vertices or not walk:
        fail(reasons, "GeoJSON has no track, or the capture no walk")
        return 0
    worst = max(min(metres_between(v, w) for w in walk) for v in vertices)
    if worst > 1.0:
        fail(reasons, f"a GeoJSON track vertex lies {worst:.2f} m from the simulator's walk")
    print(f"geojson: {len(tracks)} runs, {len(vertices)} vertices, farthest {worst:.3f} m from the walk")
    return len(tracks)


FIELD_RE = re.compile(r"([a-z0-9-]+)=(\"[^\"]*\"|\S+)")


def dump_items(dump, path):
    """The data file's records as (kind, fields) through tesselog-dump --positions."""
    out = subprocess.run([dump, "--positions", path], capture_output=True, text=True, errors="replace", check=True)
    items = []
    for line in out.stdout.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2:
            items.append((parts[1], {k: v.strip('"') for k, v in FIELD_RE.findall(line)}))
    return items


def steps_of(items):
    """Each step that placed readings: the antenna at its two fixes, the
    readings (console, values) of its epoch in file order, and the current
    edge's two ends. A segment opens at "{0" (its fix the step's start); the
    readings before a step's e..h records are its epoch; the fix after them
    is its end. A fix whose sentence began before "&Go" is not recorded: a step
    from it has no start ("from" None)."""
    steps, pending, start, closing, opened = [], [], None, None, False
    for kind, f in items:
        if kind == "event" and f.get("text") in ("$STARTED", "PAUSED", "PAUSED BMP"):
            pending, start, closing, opened = [], None, None, False
        elif kind == "segment" and f["code"] == "0":
            pending, start, closing, opened = [], None, None, True
        elif kind == "segment" and f["code"] in "efgh":
            closing = closing or {"readings": pending, "edge": {}}
            closing["edge"][f["code"]] = float(f["value"])
            pending = []
        elif kind == "reading" and (opened or start or closing):
            values = [v for v in f["text"][3:].split(",")]
            pending.append((int(f["console"]), values))
        elif kind == "gps-position" and "easting" in f:
            here = (float(f["easting"]), float(f["northing"]))
            if closing:
                closing["from"], closing["to"] = start, here
                steps.append(closing)
            if opened or closing:
                start = here
            closing, opened = None, False
    return steps


def unit_vectors(steps):
    """The walking direction (first fix to last) and the right of it."""
    (e0, n0), (e1, n1) = steps[0]["to"], steps[-1]["to"]
    length = math.hypot(e1 - e0, n1 - n0)
    u = ((e1 - e0) / length, (n1 - n0) / length)
    return u, (u[1], -u[0])


def check_truth(points, steps, consoles, behind, places, metres, reasons):
    """Each exported reading against its sensor's true place on its step."""
    u, right = unit_vectors(steps)
    first, n = [], 0
    for sensors in consoles:
        first.append(n)
        n += sensors
    expected = []  # (easting, northing, value, sensor), None for a step without its start
    for step in steps:
        counts, seen = {}, {}
        readings = [(first[c - 1] + i, v) for c, values in step["readings"] if c <= len(consoles)
                    for i, v in enumerate(values[: consoles[c - 1]]) if v.strip()]
        for s, _ in readings:
            counts[s] = counts.get(s, 0) + 1
        if step["from"] is None:
            expected += [None] * len(readings)
            continue
        (ea, na), (eb, nb) = step["from"], step["to"]
        for s, v in readings:
            f = (seen.get(s, 0) + 0.5) / counts[s]
            seen[s] = seen.get(s, 0) + 1
            x, y = places[s] / metres, behind / metres
            expected.append((ea + f * (eb - ea) - y * u[0] + x * right[0],
                             na + f * (nb - na) - y * u[1] + x * right[1], float(v), s + 1))
    if len(expected) != len(points):
        fail(reasons, f"{len(points)} placed readings exported, the file's steps hold {len(expected)}")
        return
    offsets = {}
    for got, want in zip(points, expected):
        if want is None:
            continue
        if got[2] != want[2] or got[3] != want[3]:
            fail(reasons, f"exported reading {got} is not the file's next one {want}")
            return
        de, dn = got[0] - want[0], got[1] - want[1]
        offsets.setdefault(got[3], []).append((de * u[0] + dn * u[1], de * right[0] + dn * right[1]))
    worst = [0.0, 0.0]
    for s in sorted(offsets):
        along = sum(a for a, _ in offsets[s]) / len(offsets[s])
        across = sum(c for _, c in offsets[s]) / len(offsets[s])
        if abs(along) > 0.02 or abs(across) > 0.02:
            fail(reasons, f"sensor {s} lies {along:+.3f} along and {across:+.3f} across its true place")
        print(f"sensor {s}: {len(offsets[s])} readings, mean {along:+.4f} along, {across:+.4f} across its place")
        worst = [max(worst[0], abs(along)), max(worst[1], abs(across))]
    print(f"{len(offsets)} sensors, each within {worst[0]:.4f} along and {worst[1]:.4f} across of its true place")


def check_antenna_track(steps, metres, reasons):
    """Without a console the swath's edges are the antenna itself."""
    worst = 0.0
    for step in steps:
        e = step["edge"]
        if step["from"] is None:
            continue
        for end in ((e["e"], e["f"]), (e["g"], e["h"])):
            worst = max(worst, math.dist(end, step["to"]) * metres)
    if len(steps) < 20 or worst > 0.01:
        fail(reasons, f"{len(steps)} edges, the farthest {worst:.3f} m from its antenna position")
    print(f"antenna track: {len(steps)} edges, the farthest {worst:.4f} m from its antenna position")


def read_asc(path):
    lines = Path(path).read_text().splitlines()
    head = {ln.split()[0].lower(): float(ln.split()[1]) for ln in lines[:6]}
    rows = [[float(v) for v in ln.split()] for ln in lines[6:]]
    return head, rows


def feature_places(field, epsg, unit):
    features = [ln.split() for ln in Path(field).read_text().splitlines() if ln.startswith("anomaly")]
    if not shutil.which("cs2cs"):
        raise SystemExit("cs2cs (Debian package proj-bin) is missing")
    text = "".join(f"{f[5]} {f[6]}\n" for f in features)  # EPSG:4326 is latitude first
    out = subprocess.run(["cs2cs", "-f", "%.4f", "EPSG:4326", "+to", f"EPSG:{epsg}"], input=text,
                         capture_output=True, text=True, check=True).stdout.splitlines()
    factor = METRES_PER_UNIT[unit]
    return [(float(o.split()[0]) / factor, float(o.split()[1]) / factor, float(f[3]), float(f[4]) / factor)
            for f, o in zip(features, out)]


def check_grid(prefix, field, epsg, unit, cell, points, reasons):
    head, rows = read_asc(prefix + ".asc")
    if abs(head["cellsize"] - cell) > 1e-9:
        fail(reasons, f"cell size {head['cellsize']}, asked for {cell}")
    west, south, nrows = head["xllcorner"], head["yllcorner"], int(head["nrows"])
    features = feature_places(field, epsg, unit)
    checked = 0
    for fe, fn, amplitude, radius in features:
        near = [f for f in features if math.hypot(f[0] - fe, f[1] - fn) < 3.0 + f[3] and f[0] != fe]
        walked = any(math.hypot(p[0] - fe, p[1] - fn) < 0.5 for p in points)
        if amplitude < 60 or near or not walked:
            continue
        best = None
        for r, row in enumerate(rows):
            cn = south + (nrows - 1 - r + 0.5) * cell
            for c, v in enumerate(row):
                ce = west + (c + 0.5) * cell
                if v != -9999 and math.hypot(ce - fe, cn - fn) <= 3.0 and (best is None or v > best[0]):
                    best = (v, ce, cn)
        distance = math.hypot(best[1] - fe, best[2] - fn) / cell
        checked += 1
        if distance > 2.0:
            fail(reasons, f"feature at {fe:.2f},{fn:.2f}: highest cell {distance:.1f} cells away")
        print(f"feature {amplitude:6.1f} at {fe:.2f} {fn:.2f}: highest cell {distance:.2f} cells away")
    if checked == 0:
        fail(reasons, "no strong feature was walked over")
    prj = Path(prefix + ".prj").read_text()
    zone = epsg % 100
    if f"UTM_Zone_{zone}{'N' if epsg < 32700 else 'S'}" not in prj:
        fail(reasons, f".prj does not name zone {zone}: {prj[:60]}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("prefix")
    ap.add_argument("--capture", required=True)
    ap.add_argument("--epsg", type=int, default=0)
    ap.add_argument("--field")
    ap.add_argument("--cell", type=float, default=0.25)
    ap.add_argument("--dump", help="tesselog-dump, to read the data file's fixes and steps")
    ap.add_argument("--file", help="the data file that was exported")
    ap.add_argument("--behind", type=float, help="metres from the antenna back to the sensors")
    ap.add_argument("--places", help="metres from the antenna to each sensor, to its right")
    ap.add_argument("--antenna-track", action="store_true")
    a = ap.parse_args()
    reasons = []
    points, unit = read_csv(a.prefix + ".csv", a.epsg, reasons)
    print(f"csv: {len(points)} rows in {unit}")
    check_xyz(a.prefix + ".xyz", len(points), reasons)
    check_geojson(a.prefix + ".geojson", walk_of_capture(a.capture), reasons)
    if a.dump:
        items = dump_items(a.dump, a.file)
        steps = steps_of(items)
        metres = METRES_PER_UNIT[unit]
        if a.antenna_track:
            check_antenna_track(steps, metres, reasons)
        else:
            consoles = [int(c) for kind, f in items if kind == "setup" for c in f["consoles"].split(",")]
            consoles = [c for c in consoles if c > 0]
            places = [float(x) for x in a.places.split(",")]
            check_truth(points, steps, consoles, a.behind, places, metres, reasons)
    if a.field:
        check_grid(a.prefix, a.field, a.epsg, unit, a.cell, points, reasons)
    for r in reasons:
        print("FAIL:", r)
    sys.exit(1 if reasons else 0)


if __name__ == "__main__":
    main()
