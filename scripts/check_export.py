#!/usr/bin/env python3
"""Checks what tesselog-export wrote against a survey whose truth is known.

    check_export.py PREFIX [--capture CAPTURE] [--epsg N] [--field FIELD.txt]
                    [--cell C] [--walk L,SPACING,SPEED,START,INTERVAL[,MARK,STAND]] [--pair METRES]
                    [--dump TESSELOG-DUMP --file FILE.mgr (--behind Y --places X1,X2,... | --antenna-track)]
                    [--stripe SENSOR] [--spikes CLEAN_PREFIX,SIZE] [--lag SPEED,LAG]
                    [--proj EPSG,PROJ_UNITS] [--world] [--flagged SENSOR,WORD,LINE[,LINE...]]
                    [--heading ERROR,TRAVERSES]

PREFIX.csv, PREFIX.xyz, PREFIX-track.geojson and PREFIX-marks.geojson are read
with Python's csv and json modules. Checked:
  - the CSV has its header row naming the coordinate system, the value's unit
    and the time's zone, and every row holds numbers where numbers belong, a
    sensor 1..18, a console 1..9, a session, a date and a time of day; the
    XYZ ("/" comment lines) holds the same rows;
  - with --capture: every vertex of the GeoJSON track and of the KML lies
    within a metre of a position that the simulator sent; the track file
    holds lines only, the marks file points only, and their times carry date
    and zone (ISO 8601);
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
    within two cells of its centre (PREFIX.asc, cell size --cell);
  - with --pair METRES: each pair of sensors of a console read at one moment
    lies METRES apart in PREFIX.csv and in PREFIX-processed.csv, within 0.01,
    and the processed grid is as large as the raw one;
  - with --walk (a survey without GPS: lines of length L, SPACING apart,
    zig-zag at SPEED, the simulator's time 0 at START seconds of the day, the
    local grid's easting the walk's across and its northing the walk's
    along; standing STAND s at every MARK m of a line): every reading lies
    within half a station INTERVAL of where the simulator's walk had its
    sensor when it was read;
  - with --stripe S: sensor S's stripe in the grid (the median of its cells
    against the median of the other sensors' cells) before and after
    destriping (PREFIX.asc, PREFIX-processed.asc);
  - with --spikes: the rows of CLEAN_PREFIX.csv (the same survey without
    spikes) against PREFIX.csv (with them) and PREFIX-processed.csv
    (despiked): every spike gone, and the highest reading of each sensor on
    each pass along a line (the features' peaks) within 1%;
  - with --lag (and --field): the along-track place of each strong feature's
    peak on passes walked north against passes walked south, raw (2 x SPEED x
    LAG apart, within 0.1) and in PREFIX-processed.csv (lag corrected: within
    0.1 m of each other);
  - with --proj: the metre columns of a sensor at the antenna lie on the
    track that PROJ's cs2cs projects from the GeoJSON's longitudes and
    latitudes into EPSG, within 1 mm; the display-unit columns likewise with
    cs2cs's +units=PROJ_UNITS;
  - with --world: GDAL (gdalinfo) reads PREFIX.png a pixel a cell, its extent
    that of the grid (PREFIX.asc) within one cell, its coordinate system
    EPSG, its cells without data transparent and exactly those the grid has
    without data; the map sheet PREFIX-sheet.png has no world file and GDAL
    places it nowhere;
  - with --heading ERROR,TRAVERSES (one line walked on through its turns, a
    heading error of ERROR): per sensor, the median of its readings on
    passes walked north less that on passes walked south, raw (ERROR within
    0.2) and in PREFIX-processed.csv (destriped per traverse: below 0.1);
    PREFIX-lines.csv counts TRAVERSES traverses;
  - with --flagged: PREFIX-lines.csv flags sensor SENSOR with WORD (and
    nothing else) on the rows of the lines named, and no sensor on any other
    row.
Prints one line per check; exits 1 with the reasons on any failure.
"""
import argparse
import csv
import json
import math
import re
import shutil
import statistics
import struct
import subprocess
import sys
import zlib
from pathlib import Path

METRES_PER_UNIT = {"m": 1.0, "ft": 0.3048, "US ft": 1200.0 / 3937.0}
TIME_RE = re.compile(r"^\d\d:\d\d:\d\d\.\d\d\d$")
DATE_RE = re.compile(r"^\d{4}-\d\d-\d\d$")
SENTENCE_RE = re.compile(rb"\$GPGGA,[^,]*,(\d+\.\d+),([NS]),(\d+\.\d+),([EW]),")
COLUMNS = ["sensor", "console", "session", "date", "line", "station"]
ISO_RE = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d$")


def fail(reasons, text):
    reasons.append(text)


def seconds_of(time_text):
    h, m, s = time_text.split(":")
    return int(h) * 3600 + int(m) * 60 + float(s)


def read_csv(path, epsg, reasons):
    """Rows as dicts with e, n (display unit), v, s, c, line, t (seconds of day), me, mn (metres)."""
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    header, rows = rows[0], rows[1:]
    if header[2] != "value (nT)" or header[3:9] != COLUMNS or not re.match(r"time \((UTC[+-]\d\d:\d\d|local)\)$", header[9]):
        fail(reasons, f"CSV header {header}")
    if epsg and f"EPSG:{epsg} m" not in ",".join(header):
        fail(reasons, f"CSV header does not name EPSG:{epsg} m: {header}")
    unit = "US ft" if header[0].endswith("US ft)") else header[0].split()[-1].rstrip(")")
    metres = len(header) >= 13 and "m)" in header[-1]
    points = []
    for row in rows:
        e, n, v, s, c, session, date, line, st, t = row[:10]
        float(st), int(session)
        if not (1 <= int(s) <= 18 and 1 <= int(c) <= 9 and TIME_RE.match(t) and DATE_RE.match(date)):
            fail(reasons, f"CSV row {row}")
            break
        p = {"e": float(e), "n": float(n), "v": float(v), "s": int(s), "c": c, "line": line, "t": seconds_of(t)}
        if metres:
            p["me"], p["mn"] = float(row[-2]), float(row[-1])
        points.append(p)
    return points, unit, header


def check_xyz(path, count, fields, reasons):
    lines = Path(path).read_text(encoding="utf-8").splitlines()
    rows = [ln.split(" ") for ln in lines if not ln.startswith("/")]
    if len(rows) != count or any(len(r) != fields for r in rows):
        fail(reasons, f"XYZ has {len(rows)} rows, CSV {count}, or a row without {fields} fields")
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


def geojson_track(path):
    data = json.loads(Path(path).read_text(encoding="utf-8"))
    tracks = [f for f in data["features"] if f["geometry"]["type"] == "LineString"]
    return data, tracks, [(lat, lon) for f in tracks for lon, lat in f["geometry"]["coordinates"]]


def check_layers(prefix, reasons):
    """One geometry to a file; every time with its date and zone."""
    track = json.loads(Path(prefix + "-track.geojson").read_text(encoding="utf-8"))["features"]
    marks = json.loads(Path(prefix + "-marks.geojson").read_text(encoding="utf-8"))["features"]
    if {f["geometry"]["type"] for f in track} != {"LineString"} or {f["geometry"]["type"] for f in marks} != {"Point"}:
        fail(reasons, "the track file holds more than lines, or the marks file more than points")
    times = [f["properties"][k] for f in track for k in ("start", "end")] + [f["properties"]["time"] for f in marks]
    if not all(ISO_RE.match(t or "") for t in times):
        fail(reasons, f"a time without date or zone: {[t for t in times if not ISO_RE.match(t or '')][:3]}")
    return len(marks)


def check_track(prefix, walk, reasons):
    data, tracks, vertices = geojson_track(prefix + "-track.geojson")
    if data.get("type") != "FeatureCollection" or not vertices or not walk:
        fail(reasons, "GeoJSON is not a FeatureCollection with a track, or the capture has no walk")
        return
    marks = check_layers(prefix, reasons)
    worst = max(min(metres_between(v, w) for w in walk) for v in vertices)
    if worst > 1.0:
        fail(reasons, f"a GeoJSON track vertex lies {worst:.2f} m from the simulator's walk")
    kml = Path(prefix + ".kml").read_text(encoding="utf-8")
    places = [tuple(map(float, c.split(",")[:2])) for c in re.findall(r"-?\d+\.\d+,-?\d+\.\d+,0", kml)]
    kml_worst = max(min(metres_between((lat, lon), w) for w in walk) for lon, lat in places)
    if kml_worst > 1.0 or "<kml xmlns=\"http://www.opengis.net/kml/2.2\">" not in kml:
        fail(reasons, f"a KML place lies {kml_worst:.2f} m from the simulator's walk")
    print(f"track: {len(tracks)} runs, {len(vertices)} vertices, farthest {worst:.3f} m from the walk; "
          f"{marks} marks in a layer of their own; KML {len(places)} places, farthest {kml_worst:.3f} m")


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
        if got["v"] != want[2] or got["s"] != want[3]:
            fail(reasons, f"exported reading {got} is not the file's next one {want}")
            return
        de, dn = got["e"] - want[0], got["n"] - want[1]
        offsets.setdefault(got["s"], []).append((de * u[0] + dn * u[1], de * right[0] + dn * right[1]))
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


def cs2cs(points, source, target):
    if not shutil.which("cs2cs"):
        raise SystemExit("cs2cs (Debian package proj-bin) is missing")
    text = "".join(f"{a} {b}\n" for a, b in points)
    out = subprocess.run(["cs2cs", "-f", "%.6f"] + source.split() + ["+to"] + target.split(), input=text,
                         capture_output=True, text=True, check=True).stdout.splitlines()
    return [(float(o.split()[0]), float(o.split()[1])) for o in out]


def feature_places(field, epsg, unit):
    """The features in the display unit: easting, northing, amplitude, radius."""
    features = [ln.split() for ln in Path(field).read_text().splitlines() if ln.startswith("anomaly")]
    out = cs2cs([(f[5], f[6]) for f in features], "EPSG:4326", f"EPSG:{epsg}")  # latitude first
    factor = METRES_PER_UNIT[unit]
    return [(o[0] / factor, o[1] / factor, float(f[3]), float(f[4]) / factor) for f, o in zip(features, out)]


def check_grid(prefix, field, epsg, unit, cell, points, reasons):
    head, rows = read_asc(prefix + ".asc")
    if abs(head["cellsize"] - cell) > 1e-9:
        fail(reasons, f"cell size {head['cellsize']}, asked for {cell}")
    west, south, nrows = head["xllcorner"], head["yllcorner"], int(head["nrows"])
    features = feature_places(field, epsg, unit)
    checked = 0
    for fe, fn, amplitude, radius in features:
        near = [f for f in features if math.hypot(f[0] - fe, f[1] - fn) < 3.0 + f[3] and f[0] != fe]
        walked = any(math.hypot(p["e"] - fe, p["n"] - fn) < 0.5 for p in points)
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


def walked_into_line(f, length, speed, mark, stand):
    """Metres walked f seconds into a line, standing `stand` s at every `mark` m (its end included)."""
    walked = 0.0
    while mark > 0 and walked + mark <= length + 1e-9:
        if f <= mark / speed:
            return walked + f * speed
        f -= mark / speed
        walked += mark
        if f <= stand:
            return walked
        f -= stand
    return min(length, walked + f * speed)


def check_local_walk(points, walk, reasons):
    """The simulator's zig-zag: line k (0-based) from u = 0 to LENGTH (k even) or
    back (k odd) at v = k x SPACING, each line LENGTH / SPEED s of walking and
    STAND s at every MARK m, then SPACING / SPEED s across; sensor i at
    (i - (N - 1) / 2) x 1 m right of the walking direction. The local grid:
    easting v, northing u (stations growing north, later lines east)."""
    length, spacing, speed, start, interval = walk[:5]
    mark, stand = walk[5:7] if len(walk) >= 7 else (0.0, 0.0)
    sensors = max(p["s"] for p in points)
    on_line = length / speed + (int(length / mark + 1e-9) * stand if mark else 0.0)
    period = on_line + spacing / speed
    worst_along = worst_across = 0.0
    for p in points:
        t = p["t"] - start
        k = int(t // period)
        f = t - k * period
        if f > on_line + 1e-6 and period - f <= 0.05:
            # Recorded from "&Go", 50 ms before "$STARTED": standing at the next line's start.
            k, f = k + 1, 0.0
        elif f > on_line + 1e-6:
            fail(reasons, f"a reading at {t:.3f} s lies in the turn after line {k}")
            return
        forward = k % 2 == 0
        walked = walked_into_line(f, length, speed, mark, stand)
        u = walked if forward else length - walked
        offset = (p["s"] - 1 - (sensors - 1) / 2) * 1.0
        v = k * spacing + (offset if forward else -offset)
        worst_along = max(worst_along, abs(p["n"] - u))
        worst_across = max(worst_across, abs(p["e"] - v))
    if worst_along > interval / 2 or worst_across > 0.001:
        fail(reasons, f"local grid: readings up to {worst_along:.3f} along and {worst_across:.3f} across from "
                      f"the walk, allowed {interval / 2:.3f} along")
    print(f"local grid: {len(points)} readings within {worst_along:.3f} along (half a station interval: "
          f"{interval / 2:.3f}) and {worst_across:.4f} across of the simulator's walk")


def straight(p, q, r):
    """The path p -> q -> r turns by less than 5 degrees at q."""
    a = math.atan2(q["n"] - p["n"], q["e"] - p["e"])
    b = math.atan2(r["n"] - q["n"], r["e"] - q["e"])
    return abs((b - a + math.pi) % (2 * math.pi) - math.pi) < math.radians(5)


def check_pairs(prefix, apart, reasons):
    """A console's two sensors, read at one moment on a straight stretch (a
    turn draws the swath's ends together), `apart` from each other in the raw
    table and in the processed one, the median of each within 0.01 (a
    receiver's centimetre of jitter turns one edge against the next and
    draws single pairs a little together); the processed grid as large as
    the raw one (lag 0 moves nothing)."""
    worst, count, medians = 0.0, 0, []
    for name in (prefix + ".csv", prefix + "-processed.csv"):
        points, _, _ = read_csv(name, 0, reasons)
        consoles = {}
        for a, b in zip(points, points[1:]):
            if a["c"] == b["c"] and a["t"] == b["t"] and a["s"] + 1 == b["s"]:
                consoles.setdefault(a["c"], []).append((a, b))
        distances = []
        for pairs in consoles.values():
            # Straight over three readings (some 0.3 s) either side.
            for (p, _), (a, b), (r, _) in zip(pairs, pairs[3:], pairs[6:]):
                if straight(p, a, r):
                    distances.append(math.hypot(a["e"] - b["e"], a["n"] - b["n"]))
        count += len(distances)
        worst = max([worst] + [abs(d - apart) for d in distances])
        medians.append(statistics.median(distances) if distances else float("nan"))
    if count == 0 or not all(abs(m - apart) <= 0.01 for m in medians):
        fail(reasons, f"{count} pairs of sensors, their medians {medians} not {apart} apart")
    sizes = [tuple(read_asc(name)[0][k] for k in ("ncols", "nrows")) for name in (prefix + ".asc", prefix + "-processed.asc")
             if Path(name).exists()]
    if len(set(sizes)) > 1:
        fail(reasons, f"the raw and processed grids are {sizes} cells")
    print(f"pairs: {count} pairs of sensors on straight stretches, the median {medians[0]:.4f} raw and "
          f"{medians[-1]:.4f} processed ({apart} made, single pairs within {worst:.4f}); grids {sizes}")


def cell_medians(points, head, rows):
    """The median of the grid cells that hold each sensor's readings."""
    cells = {}
    west, south, cell, nrows = head["xllcorner"], head["yllcorner"], head["cellsize"], int(head["nrows"])
    for p in points:
        c, r = int((p["e"] - west) / cell), nrows - 1 - int((p["n"] - south) / cell)
        cells.setdefault(p["s"], set()).add((r, c))
    return {s: statistics.median(rows[r][c] for r, c in cs) for s, cs in cells.items()}


def check_stripe(prefix, points, sensor, reasons):
    levels = []
    for name in (prefix + ".asc", prefix + "-processed.asc"):
        head, rows = read_asc(name)
        medians = cell_medians(points, head, rows)
        others = statistics.median(v for s, v in medians.items() if s != sensor)
        levels.append(medians[sensor] - others)
    if not (abs(levels[0]) > 15 and abs(levels[1]) < 1.0):
        fail(reasons, f"sensor {sensor}'s stripe {levels[0]:.2f} raw and {levels[1]:.2f} destriped")
    print(f"stripe of sensor {sensor}: {levels[0]:.2f} raw, {levels[1]:.3f} destriped")


def passes(points):
    """Each sensor's readings cut where the walk turns (the northing's
    direction changes): lists of row indexes, walked north or south."""
    by_sensor = {}
    for i, p in enumerate(points):
        by_sensor.setdefault(p["s"], []).append(i)
    out = []
    for rows in by_sensor.values():
        current, direction = [rows[0]], 0
        for a, b in zip(rows, rows[1:]):
            step = points[b]["n"] - points[a]["n"]
            d = 1 if step > 0.02 else -1 if step < -0.02 else direction
            if direction and d != direction:
                out.append((direction, current))
                current = []
            direction = d
            current.append(b)
        out.append((direction, current))
    return out


def heading_stripe(points):
    """Per sensor, the median of its readings on passes walked north less
    the median of those walked south; the largest of them in size."""
    north, south = {}, {}
    for direction, rows in passes(points):
        for i in rows:
            (north if direction > 0 else south).setdefault(points[i]["s"], []).append(points[i]["v"])
    stripes = [statistics.median(north[s]) - statistics.median(south[s]) for s in north if s in south]
    return max(stripes, key=abs) if stripes else float("nan"), len(stripes)


def check_heading(prefix, error, traverses, reasons):
    """A zig-zag line walked on through its turns with a heading error: the
    stripe raw, and destriped per traverse; the line report's traverses."""
    raw, _, _ = read_csv(prefix + ".csv", 0, reasons)
    done, _, _ = read_csv(prefix + "-processed.csv", 0, reasons)
    before, sensors = heading_stripe(raw)
    after, _ = heading_stripe(done)
    if not (abs(before - error) < 0.2 and abs(after) < 0.1):
        fail(reasons, f"heading stripe {before:.3f} raw (made {error}), {after:.3f} destriped")
    with open(prefix + "-lines.csv", newline="") as f:
        rows = list(csv.DictReader(f))
    counted = [int(r["traverses"]) for r in rows]
    if counted != [traverses]:
        fail(reasons, f"the line report counts {counted} traverses, the walk had {traverses}")
    print(f"heading stripe of {sensors} sensors: {before:.3f} raw, {after:.3f} destriped per traverse; "
          f"the report counts {counted[0] if counted else 0} traverses in the one line")


def check_spikes(prefix, clean_prefix, size, reasons):
    clean, _, _ = read_csv(clean_prefix + ".csv", 0, reasons)
    spiked, _, _ = read_csv(prefix + ".csv", 0, reasons)
    processed, _, header = read_csv(prefix + "-processed.csv", 0, reasons)
    done = Path(prefix + "-processed.txt").read_text()
    if not (len(clean) == len(spiked) == len(processed)) or "despiked" not in done:
        fail(reasons, f"rows {len(clean)}, {len(spiked)}, {len(processed)}; {done.strip()}")
        return
    spikes = [i for i, (a, b) in enumerate(zip(clean, spiked)) if abs(a["v"] - b["v"]) > size / 2]
    left = [i for i in spikes if abs(processed[i]["v"] - clean[i]["v"]) > size / 2]
    changed = sum(1 for i, (a, b) in enumerate(zip(spiked, processed)) if a["v"] != b["v"] and i not in set(spikes))
    if not spikes or left:
        fail(reasons, f"{len(spikes)} spikes, {len(left)} left after despiking")
    # The highest clean reading of each sensor's pass along a line: its
    # despiked value within 1%.
    worst, peaks = 0.0, 0
    for _, rows in passes(clean):
        top = max(rows, key=lambda i: clean[i]["v"])
        worst = max(worst, abs(processed[top]["v"] - clean[top]["v"]) / abs(clean[top]["v"]))
        peaks += 1
    if worst > 0.01:
        fail(reasons, f"a peak moved {100 * worst:.2f}% by despiking")
    print(f"spikes: {len(spikes)} injected, {len(left)} left; {changed} other readings changed; "
          f"{peaks} peaks (one a sensor and pass) within {100 * worst:.3f}%")


def peak_along(points):
    """Along-track place (northing) of a peak: the centroid of the readings
    above the middle between the line's highest and lowest nearby value."""
    top = max(p["v"] for p in points)
    low = min(p["v"] for p in points)
    middle = (top + low) / 2
    high = [p for p in points if p["v"] >= middle]
    weight = sum(p["v"] - middle for p in high)
    return sum(p["n"] * (p["v"] - middle) for p in high) / weight if weight > 0 else None


def lag_offsets(points, features):
    """Per feature: the mean peak place on passes walked north minus that on
    passes walked south (lines along the northing), of passes within 0.8 m."""
    offsets = []
    walked = passes(points)
    for fe, fn, amplitude, radius in features:
        if amplitude < 60:
            continue
        places = {1: [], -1: []}
        for direction, rows in walked:
            near = [points[i] for i in rows if abs(points[i]["e"] - fe) < 0.8 and abs(points[i]["n"] - fn) < 2.5 * radius]
            if len(near) < 10 or direction == 0:
                continue
            at = peak_along(near)
            if at is not None:
                places[direction].append(at)
        if places[1] and places[-1]:
            offsets.append(statistics.mean(places[1]) - statistics.mean(places[-1]))
    return offsets


def check_lag(prefix, field, epsg, unit, speed, lag, reasons):
    features = feature_places(field, epsg, unit)
    raw, _, _ = read_csv(prefix + ".csv", 0, reasons)
    corrected, _, header = read_csv(prefix + "-processed.csv", 0, reasons)
    before, after = lag_offsets(raw, features), lag_offsets(corrected, features)
    expected = 2 * speed * lag / METRES_PER_UNIT[unit]
    if not before or any(abs(b - expected) > 0.1 for b in before) or any(abs(a) > 0.1 for a in after):
        fail(reasons, f"peaks north minus south {['%.3f' % b for b in before]} raw (expected {expected:.3f}), "
                      f"{['%.3f' % a for a in after]} corrected")
    print(f"lag: peaks on lines north minus south {['%.3f' % b for b in before]} raw (2 x speed x delay "
          f"{expected:.3f}), {['%.3f' % a for a in after]} after the lag correction "
          f"({Path(prefix + '-processed.txt').read_text().strip()})")


def distance_to_track(point, track):
    best = float("inf")
    for (ax, ay), (bx, by) in zip(track, track[1:]):
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        u = 0.0 if length2 == 0 else max(0.0, min(1.0, ((point[0] - ax) * dx + (point[1] - ay) * dy) / length2))
        best = min(best, math.hypot(point[0] - ax - u * dx, point[1] - ay - u * dy))
    return best


def check_proj(prefix, points, epsg, units, unit, reasons):
    """Readings of a sensor at the antenna lie on the track that PROJ projects."""
    _, tracks, _ = geojson_track(prefix + "-track.geojson")
    zone, south = epsg % 100, epsg >= 32700
    proj_units = f"+proj=utm +zone={zone} {'+south ' if south else ''}+datum=WGS84 +units={units}"
    worst = {"metres": 0.0, "display unit": 0.0}
    for feature in tracks:
        # The fix that opened the run came before "$STARTED" and was not
        # recorded: the run's first readings lie before the track's start.
        start = seconds_of(feature["properties"]["start"].split("T")[1][:12])
        lonlat = [(lat, lon) for lon, lat in feature["geometry"]["coordinates"]]
        metres = cs2cs(lonlat, "EPSG:4326", f"EPSG:{epsg}")
        shown = cs2cs([(lon, lat) for lat, lon in lonlat], "+proj=longlat +datum=WGS84", proj_units)
        ends = (min(p[1] for p in metres), max(p[1] for p in metres))
        for p in points:
            if p["t"] < start or not (ends[0] - 0.01 <= p["mn"] <= ends[1] + 0.01):
                continue
            worst["metres"] = max(worst["metres"], distance_to_track((p["me"], p["mn"]), metres))
            worst["display unit"] = max(worst["display unit"],
                                        distance_to_track((p["e"], p["n"]), shown) * METRES_PER_UNIT[unit])
    if max(worst.values()) > 0.001:
        fail(reasons, f"readings up to {worst['metres'] * 1000:.2f} mm (metre columns) and "
                      f"{worst['display unit'] * 1000:.2f} mm ({unit} columns) off the track PROJ projects")
    print(f"PROJ: metre columns (EPSG:{epsg}) within {worst['metres'] * 1000:.3f} mm, {unit} columns "
          f"(+units={units}) within {worst['display unit'] * 1000:.3f} mm of the projected track")


def read_png(path):
    """Width, height and palette indexes (rows) of an 8-bit palette PNG."""
    data = Path(path).read_bytes()
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    return width, height, [raw[y * (width + 1) + 1:(y + 1) * (width + 1)] for y in range(height)]


def gdal_json(path):
    if not shutil.which("gdalinfo"):
        raise SystemExit("gdalinfo (Debian package gdal-bin) is missing")
    out = subprocess.run(["gdalinfo", "-json", path], capture_output=True, text=True, check=True).stdout
    return json.loads(out)


def check_world(prefix, epsg, reasons):
    """GDAL reads the picture for a GIS where the grid lies; the sheet nowhere."""
    head, rows = read_asc(prefix + ".asc")
    ncols, nrows, cell = int(head["ncols"]), int(head["nrows"]), head["cellsize"]
    info = gdal_json(prefix + ".png")
    west, pixel, _, north, _, negative = info.get("geoTransform", [0] * 6)
    grid_north = head["yllcorner"] + nrows * cell
    off = max(abs(west - head["xllcorner"]), abs(north - grid_north),
              abs(west + info["size"][0] * pixel - (head["xllcorner"] + ncols * cell)),
              abs(north + info["size"][1] * negative - head["yllcorner"]))
    if info["size"] != [ncols, nrows] or off > cell:
        fail(reasons, f"GDAL reads {info['size']} pixels {off:.3f} off the grid's {ncols} x {nrows} cells")
    wkt = info.get("coordinateSystem", {}).get("wkt", "")
    if epsg and f"UTM zone {epsg % 100}" not in wkt:
        fail(reasons, f"GDAL's coordinate system is not UTM zone {epsg % 100}: {wkt[:60]}")
    band = info["bands"][0]
    nodata = band.get("noDataValue")
    entries = band.get("colorTable", {}).get("entries", [])
    clear = [i for i, e in enumerate(entries) if len(e) == 4 and e[3] == 0]
    if nodata is None or clear != [int(nodata)]:
        fail(reasons, f"no data {nodata}, transparent entries {clear}")
        return
    _, _, pixels = read_png(prefix + ".png")
    empty = sum(1 for r in pixels for p in r if p == int(nodata))
    want = sum(1 for r in rows for v in r if v == -9999)
    if empty != want:
        fail(reasons, f"{empty} transparent pixels, the grid has {want} cells without data")
    sheet = gdal_json(prefix + "-sheet.png")
    if "geoTransform" in sheet or Path(prefix + "-sheet.pgw").exists() or Path(prefix + "-sheet.png.aux.xml").exists():
        fail(reasons, "the map sheet is placed on the ground")
    print(f"GDAL: {info['size'][0]} x {info['size'][1]} pixels on the grid's cells within {off:.6f}, "
          f"{empty} transparent (no data {int(nodata)}); the sheet {sheet['size'][0]} x {sheet['size'][1]} placed nowhere")


def check_flags(prefix, sensor, word, lines, reasons):
    with open(prefix + "-lines.csv", newline="") as f:
        rows = list(csv.DictReader(f))
    sensors = sorted(int(k[1:].split("_")[0]) for k in rows[0] if re.fullmatch(r"s\d+_flags", k)) if rows else []
    flagged, failures = 0, len(reasons)
    for row in rows:
        faulty = row["line"] in lines
        want = {k: (word if faulty and k == sensor else "") for k in sensors}
        got = {k: row[f"s{k}_flags"] for k in sensors}
        want_line = f"sensor {sensor} {word}" if faulty else ""
        if got != want or row["flags"] != want_line:
            fail(reasons, f"line {row['line']}: flags {row['flags']!r}, per sensor {got}, wanted {want_line!r}")
        flagged += faulty
    if flagged != len(lines):
        fail(reasons, f"{flagged} rows of lines {lines}, wanted {len(lines)}")
    if len(reasons) == failures:
        print(f"flags: sensor {sensor} {word} on lines {','.join(lines)} of {len(rows)}, no other flag")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("prefix")
    ap.add_argument("--capture")
    ap.add_argument("--epsg", type=int, default=0)
    ap.add_argument("--field")
    ap.add_argument("--dump", help="tesselog-dump, to read the data file's fixes and steps")
    ap.add_argument("--file", help="the data file that was exported")
    ap.add_argument("--behind", type=float, help="metres from the antenna back to the sensors")
    ap.add_argument("--places", help="metres from the antenna to each sensor, to its right")
    ap.add_argument("--antenna-track", action="store_true")
    ap.add_argument("--cell", type=float, default=0.25)
    ap.add_argument("--walk")
    ap.add_argument("--pair", type=float)
    ap.add_argument("--stripe", type=int)
    ap.add_argument("--spikes")
    ap.add_argument("--lag")
    ap.add_argument("--proj")
    ap.add_argument("--world", action="store_true")
    ap.add_argument("--flagged")
    ap.add_argument("--heading", help="ERROR,TRAVERSES: the heading stripe and the traverses of one line")
    a = ap.parse_args()
    reasons = []
    points, unit, header = read_csv(a.prefix + ".csv", a.epsg, reasons)
    print(f"csv: {len(points)} rows in {unit}")
    check_xyz(a.prefix + ".xyz", len(points), len(header), reasons)
    if a.capture:
        check_track(a.prefix, walk_of_capture(a.capture), reasons)
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
    if a.field and not a.lag:
        check_grid(a.prefix, a.field, a.epsg, unit, a.cell, points, reasons)
    if a.walk:
        check_local_walk(points, [float(v) for v in a.walk.split(",")], reasons)
    if a.pair:
        check_pairs(a.prefix, a.pair, reasons)
    if a.stripe:
        check_stripe(a.prefix, points, a.stripe, reasons)
    if a.spikes:
        clean, size = a.spikes.split(",")
        check_spikes(a.prefix, clean, float(size), reasons)
    if a.lag:
        speed, lag = (float(v) for v in a.lag.split(","))
        check_lag(a.prefix, a.field, a.epsg, unit, speed, lag, reasons)
    if a.proj:
        epsg, units = a.proj.split(",")
        check_proj(a.prefix, points, int(epsg), units, unit, reasons)
    if a.world:
        check_world(a.prefix, a.epsg, reasons)
    if a.heading:
        error, traverses = a.heading.split(",")
        check_heading(a.prefix, float(error), int(traverses), reasons)
    if a.flagged:
        sensor, word, *lines = a.flagged.split(",")
        check_flags(a.prefix, int(sensor), word, lines, reasons)
    for r in reasons:
        print("FAIL:", r)
    sys.exit(1 if reasons else 0)


if __name__ == "__main__":
    main()
