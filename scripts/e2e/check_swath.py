#!/usr/bin/env python3
"""Checks that a data file's swath lies where the array walked.

    check_swath.py FILE.mgr [--dump PATH] [--field FIELD.txt] [--min-edges N]

The file is read through `tesselog-dump --positions`, which gives every
position sentence's antenna position as the program placed it (display unit,
UTM zone of the file's reference). The array's geometry comes from the file's
own header: the GPS offsets, the separations, the consoles and the unit.

Checked:
  - the segment groups come in the order the map drawing writes them: "{0"
    opens a run, the first edge pair brings groups a..d, e..h, i..l, m..p, and
    every later fix e..h and m..p;
  - every current edge (e..h) is as wide as the swath (near + far);
  - on straight walking the edge lies where the geometry puts it behind the
    antenna of its fix: |C - L|^2 = Y^2 + near^2 and |C - R|^2 = Y^2 + far^2,
    for at least 85 % of the edges (turns follow the walked path instead);
  - with --field (tesselog-sim --field-out): every strong positive feature
    that the survey walked over (a reading placed within half a metre of its
    centre) shows on the map at its place: the highest reading placed within
    3 m of it, where it adds more than any other feature, lies within
    --peak-distance (1 m) of its centre and stands at least 40 % of the
    feature's amplitude above the median of all readings.
Prints a summary; exits 1 with the reasons on any failure.
"""
import argparse
import math
import re
import shutil
import statistics
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
METRES_PER_UNIT = {0: 1.0, 1: 0.3048, 2: 1200.0 / 3937.0}
FIELD_RE = re.compile(r"([a-z0-9-]+)=(\"[^\"]*\"|\S+)")


def fields(line):
    return {k: v.strip('"') for k, v in FIELD_RE.findall(line)}


class Header:
    def __init__(self):
        self.units = 0
        self.offset_x = self.offset_y = 0.0
        self.unit_sep = self.console_sep = 1.0
        self.consoles = []
        self.zone = 0

    def take(self, kind, f):
        if kind.startswith("identification"):
            self.units = int(f.get("units", 0))
        elif kind == "setup":
            self.consoles = [int(c) for c in f["consoles"].split(",") if int(c) > 0]
        elif kind == "geometry-1":
            self.offset_x, self.offset_y = float(f["gps-offset-x"]), float(f["gps-offset-y"])
        elif kind == "geometry-2":
            self.zone = int(f.get("utm-zone", 0))
        elif kind == "geometry-4":
            self.unit_sep, self.console_sep = float(f["unit-separation"]), float(f["console-separation"])

    def geometry(self):
        """Near and far swath edges and the offset along (display unit), each sensor's place
        across the swath, 0..1. Without a console the swath is the antenna itself."""
        factor = METRES_PER_UNIT.get(self.units, 1.0)
        if not self.consoles:
            return 0.0, 0.0, 0.0, []
        positions, place = [], 0.0
        for i, sensors in enumerate(self.consoles):
            if i > 0:
                place += self.console_sep
            positions.append(place)
            if sensors == 2:
                place += self.unit_sep
                positions.append(place)
        width = place
        min_sep = min(self.unit_sep, self.console_sep)
        margin = min_sep / 2 if len(self.consoles) != 1 else 0.25
        near, far = self.offset_x + margin, width - self.offset_x + margin
        centres = [(p + margin) / (width + 2 * margin) for p in positions]
        return near / factor, far / factor, self.offset_y / factor, centres


def read_dump(dump, path):
    out = subprocess.run([dump, "--positions", str(path)], capture_output=True, text=True, errors="replace")
    if out.returncode != 0:
        raise SystemExit(f"tesselog-dump failed: {out.stdout[-300:]}{out.stderr[-300:]}")
    return out.stdout.splitlines()


def walk(lines, header):
    """Yields ('edge', code_group_values, antenna) and ('reading', console, values) in file order."""
    pending = {}      # code letter -> value of the segment groups since the last position
    order = []        # code letters in file order, for the order check
    edges = []        # (L, R, antenna)
    readings = []     # (index of the next edge, console, values)
    for line in lines:
        parts = line.split(None, 2)
        if len(parts) < 2:
            continue
        kind, f = parts[1], fields(line)
        header.take(kind, f)
        if kind == "segment":
            code = f["code"]
            order.append(code)
            if code != "0":
                pending[code] = float(f["value"])
        elif kind == "reading":
            values = [int(v) for v in f["text"][3:].split(",") if v.strip().lstrip("-").isdigit()]
            readings.append((len(edges), int(f["console"]), values))
        elif kind == "gps-position" and "easting" in f:
            if all(c in pending for c in "efgh"):
                left = (pending["e"], pending["f"])
                right = (pending["g"], pending["h"])
                edges.append((left, right, (float(f["easting"]), float(f["northing"]))))
            pending = {}
    return order, edges, readings


def check_order(order):
    """Every run: 0, a..p (first pair), then e..h m..p per fix."""
    text = "".join(order)
    runs = [r for r in text.split("0") if r]
    for run in runs:
        if not re.fullmatch(r"abcdefghijklmnop(efghmnop)*", run):
            return f"segment codes out of order in a run: {run[:40]}"
    return None


def feature_places(field_path, header):
    """Features as (easting, northing, amplitude, radius) in the file's display unit."""
    features = []
    for line in Path(field_path).read_text().splitlines():
        p = line.split()
        if p and p[0] == "anomaly":
            features.append((float(p[3]), float(p[6]), float(p[5]), float(p[4])))  # amplitude, lon, lat, radius
    if not features or not shutil.which("cs2cs"):
        raise SystemExit("no features, or cs2cs (Debian package proj-bin) is missing")
    south = "+south " if features[0][2] < 0 else ""
    # A grid mode records no zone: the grid is the zone of the survey's place.
    zone = header.zone if header.zone > 0 else int((features[0][1] + 180.0) // 6.0) + 1
    projection = f"+proj=utm +zone={zone} {south}+datum=WGS84 +units=m"
    text = "".join(f"{lon:.9f} {lat:.9f}\n" for _, lon, lat, _ in features)
    out = subprocess.run(["cs2cs", "-f", "%.4f", "+proj=longlat", "+datum=WGS84", "+to"] + projection.split(),
                         input=text, capture_output=True, text=True, check=True).stdout.split("\n")
    factor = METRES_PER_UNIT.get(header.units, 1.0)
    places = []
    for (amplitude, _, _, radius), row in zip(features, out):
        e, n = row.split()[:2]
        places.append((float(e) / factor, float(n) / factor, amplitude, radius / factor))
    return places


def placed_readings(edges, readings, header, centres):
    """Each reading at its sensor's place on the edge of the fix that closed its epoch."""
    first = []
    n = 0
    for sensors in header.consoles:
        first.append(n)
        n += sensors
    out = []
    for index, console, values in readings:
        if index >= len(edges) or console > len(first):
            continue
        (lx, ly), (rx, ry), _ = edges[index]
        for side, value in enumerate(values[: header.consoles[console - 1]]):
            c = centres[first[console - 1] + side]
            out.append((lx + c * (rx - lx), ly + c * (ry - ly), value))
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("file")
    ap.add_argument("--dump", default=str(ROOT / "build/native/tools/tesselog-dump"))
    ap.add_argument("--field")
    ap.add_argument("--min-edges", type=int, default=20)
    # Sensors 1 m apart leave a feature up to half a metre across from the nearest sensor's
    # track, and a neighbouring feature's slope pulls the highest reading further along it.
    ap.add_argument("--peak-distance", type=float, default=1.0,
                    help="metres by which the highest reading near a feature may miss its centre")
    ap.add_argument("--tolerance", type=float, default=0.0,
                    help="how far an edge may lie from its place (display unit); by default 0.01 plus 0.2 %% "
                         "of the swath's width, the rounding of the values. An array that trails its antenna "
                         "takes its direction from a short piece of the walked path, whose fixes scatter by "
                         "centimetres, so its edges need more")
    args = ap.parse_args()

    header = Header()
    order, edges, readings = walk(read_dump(args.dump, args.file), header)
    near, far, y, centres = header.geometry()
    problems = []
    if len(edges) < args.min_edges:
        problems.append(f"only {len(edges)} swath edges with a position (at least {args.min_edges} expected)")
    bad_order = check_order(order)
    if bad_order:
        problems.append(bad_order)

    tolerance = args.tolerance or 0.01 + 0.002 * (near + far)
    wrong_width = [e for e in edges if abs(math.dist(e[0], e[1]) - (near + far)) > 0.01 + 0.002 * (near + far)]
    if wrong_width:
        problems.append(f"{len(wrong_width)} edges are not {near + far:.3f} wide, e.g. {wrong_width[0]}")
    behind = [e for e in edges
              if abs(math.dist(e[2], e[0]) - math.hypot(y, near)) <= tolerance
              and abs(math.dist(e[2], e[1]) - math.hypot(y, far)) <= tolerance]
    share = len(behind) / len(edges) if edges else 0.0
    if share < 0.85:
        problems.append(f"only {share:.0%} of the edges lie where the array trails its antenna")
    summary = f"{len(edges)} edges, {share:.0%} on the array's place behind the antenna, units {header.units}"

    if args.field:
        placed = placed_readings(edges, readings, header, centres)
        if not placed:
            problems.append("no readings placed on the swath")
        else:
            median = statistics.median(v for _, _, v in placed)
            unit = 1.0 / METRES_PER_UNIT.get(header.units, 1.0)
            seen = 0
            features = feature_places(args.field, header)

            def strongest(x, yy):
                """The feature that adds most to the field at (x, yy)."""
                return max(range(len(features)), key=lambda i: features[i][2] * math.exp(
                    -((x - features[i][0]) ** 2 + (yy - features[i][1]) ** 2) / (2 * features[i][3] ** 2)))

            owner = [strongest(x, yy) for x, yy, _ in placed]
            for index, (e, n, amplitude, _) in enumerate(features):
                # The readings within 3 m where this feature adds more than any other.
                around = [(v, x, yy) for (x, yy, v), o in zip(placed, owner)
                          if o == index and math.hypot(x - e, yy - n) <= 3.0 * unit]
                if amplitude < 100 or not any(math.hypot(x - e, yy - n) <= 0.5 * unit for _, x, yy in around):
                    continue
                seen += 1
                peak, x, yy = max(around)
                off = math.hypot(x - e, yy - n) / unit
                if peak - median < 0.4 * amplitude or off > args.peak_distance:
                    problems.append(f"the feature of {amplitude:.0f} at {e:.2f},{n:.2f} peaks {peak - median:.0f} "
                                    f"above the median, {off:.2f} m from its place on the map")
            if seen == 0:
                problems.append("the survey walked over none of the strong features")
            summary += f"; {seen} strong features walked over, each at its place"

    if problems:
        print("\n".join(problems))
        sys.exit(1)
    print(summary)


if __name__ == "__main__":
    main()
