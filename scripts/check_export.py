#!/usr/bin/env python3
"""Checks what tesselog-export wrote against a survey whose truth is known.

    check_export.py PREFIX --capture CAPTURE [--epsg N] [--field FIELD.txt]
                    [--separations S1,S2,...] [--cell C]

PREFIX.csv, PREFIX.xyz and PREFIX.geojson are read with Python's csv and json
modules. Checked:
  - the CSV has its header row naming the EPSG code, and every row holds
    numbers where numbers belong, a sensor 1..18, a console 1..9 and a time
    of day; the XYZ holds the same rows;
  - every vertex of the GeoJSON track lies within a metre of a position that
    the simulator sent (CAPTURE.gps.raw, the simulator's walk);
  - with --separations (one straight line, display unit): neighbouring
    sensors' tracks lie the array's separations apart, within 0.02, and the
    two sensors of every two-sensor reading their separation apart, within
    0.01;
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
    points, pairs, last = [], [], None
    for row in rows:
        e, n, v, s, c, _line, st, t, q = row
        float(st), int(q)
        if not (1 <= int(s) <= 18 and 1 <= int(c) <= 9 and TIME_RE.match(t)):
            fail(reasons, f"CSV row {row}")
            break
        points.append((float(e), float(n), float(v), int(s)))
        if last is not None and last[1] == (c, t) and int(s) == last[0][3] + 1:
            pairs.append((last[0], points[-1]))
        last = (points[-1], (c, t))
    return points, pairs, unit


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


def check_tracks(points, pairs, separations, reasons):
    """Per sensor, the mean place across the walking direction (least squares
    axis of all readings); and the two sensors of each two-sensor reading."""
    n = len(points)
    me = sum(p[0] for p in points) / n
    mn = sum(p[1] for p in points) / n
    see = sum((p[0] - me) ** 2 for p in points)
    snn = sum((p[1] - mn) ** 2 for p in points)
    sen = sum((p[0] - me) * (p[1] - mn) for p in points)
    angle = 0.5 * math.atan2(2 * sen, see - snn)  # the long axis: the direction of walking
    across_e, across_n = -math.sin(angle), math.cos(angle)
    by_sensor = {}
    for e, nn, _, s in points:
        by_sensor.setdefault(s, []).append((e - me) * across_e + (nn - mn) * across_n)
    sensors = sorted(by_sensor)
    places = [sum(by_sensor[s]) / len(by_sensor[s]) for s in sensors]
    gaps = [abs(b - a) for a, b in zip(places, places[1:])]
    if len(gaps) != len(separations) or any(abs(g - s) > 0.02 for g, s in zip(gaps, separations)):
        fail(reasons, f"sensor tracks {['%.3f' % g for g in gaps]} apart, expected {separations}")
    # One record's two sensors lie on the same cross-line of the step, the
    # console's own separation apart.
    worst = 0.0
    for (a, b) in pairs:
        expected = separations[a[3] - 1]
        worst = max(worst, abs(math.hypot(a[0] - b[0], a[1] - b[1]) - expected))
    if not pairs or worst > 0.01:
        fail(reasons, f"the two sensors of a reading lie up to {worst:.3f} off their separation")
    print(f"tracks: {len(sensors)} sensors, {['%.3f' % g for g in gaps]} apart; "
          f"{len(pairs)} two-sensor readings within {worst:.4f} of their separation")


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
    ap.add_argument("--separations")
    ap.add_argument("--cell", type=float, default=0.25)
    a = ap.parse_args()
    reasons = []
    points, pairs, unit = read_csv(a.prefix + ".csv", a.epsg, reasons)
    print(f"csv: {len(points)} rows in {unit}")
    check_xyz(a.prefix + ".xyz", len(points), reasons)
    check_geojson(a.prefix + ".geojson", walk_of_capture(a.capture), reasons)
    if a.separations:
        check_tracks(points, pairs, [float(s) for s in a.separations.split(",")], reasons)
    if a.field:
        check_grid(a.prefix, a.field, a.epsg, unit, a.cell, points, reasons)
    for r in reasons:
        print("FAIL:", r)
    sys.exit(1 if reasons else 0)


if __name__ == "__main__":
    main()
