#!/usr/bin/env bash
# The user guide's pictures of the office path, from a simulated survey:
# eight zig-zag lines of 30 m over four buried features with two two-sensor
# consoles (their random balances give stripes), a few spikes of 150 and
# readings that come 0.2 s late (the herringbone), recorded as eight quick
# lines through tesselog-replay and exported with and without processing.
#
#   docs/screenshots/export-grid.png            the map sheet in map colours
#   docs/screenshots/export-processed.png       the grey map sheets, raw and
#                                               lag corrected, despiked and
#                                               destriped, side by side
#   docs/screenshots/export-georeferenced.png   the grey picture for a GIS
#                                               placed by its world file and
#                                               .aux.xml under the track and
#                                               marks of the GeoJSON layers
#                                               (GDAL: how QGIS puts them on
#                                               its map)
#   docs/screenshots/export-lines.txt           the line report's table
#
# For the documentation only: installs gdal-bin (and imagemagick) when
# missing. Uses build/native's tools.
#
#   scripts/export-screenshots.sh [OUTPUT_DIR]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tools="$root/build/native/tools"
out="${1:-$root/docs/screenshots}"
if ! command -v gdalwarp >/dev/null || ! command -v convert >/dev/null; then
    apt-get install -y --no-install-recommends gdal-bin imagemagick >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

"$tools/tesselog-sim" --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 8 --line-length 30 \
    --anomalies 4 --spikes 0.005,150 --reading-lag 0.2 --seed 11 --duration 275 --dry-run gps \
    --capture capture >/dev/null 2>&1
# Line k of the walk starts at 34 k s (30 m and a 4 m step across at 1 m/s).
{
    printf '%s\n' "capture capture" "set ConsoleCount 2" "set ConsoleType 1,1" "set NmeaMode 1" \
        "set GpsOffsetX 1.5" "set GpsOffsetY 0" "set MapSize 60" "set MapDisplayType 1" "set LineSequence 0" \
        "0 start" "2500 file" "3000 go"
    for k in 1 2 3 4 5 6 7; do
        printf '%s\n' "$((34 * k - 4000 / 1000))000 pause" "$((34 * k - 3))000 quickline yes" "$((34 * k))000 go"
    done
    printf '%s\n' "268000 pause" "269000 exit yes" "270000 end"
} >scenario
"$tools/tesselog-replay" scenario field.mgr >/dev/null
"$tools/export/tesselog-export" -q -o raw field.mgr >/dev/null
"$tools/export/tesselog-export" -q -o done --lag 0.2 --despike 20 --destripe field.mgr >report.txt
sed -n '/^ses /,$p' report.txt >"$out/export-lines.txt"

cp raw-sheet.png "$out/export-grid.png"
convert raw-grey-sheet.png done-processed-grey-sheet.png +append "$out/export-processed.png"

# The track and marks in UTM metres, thickened so that they show at 5 cm a pixel.
ogr2ogr -q -t_srs EPSG:32630 track.gpkg raw-track.geojson
ogr2ogr -q -t_srs EPSG:32630 points.gpkg raw-marks.geojson
ogr2ogr -q -dialect sqlite -sql "SELECT ST_Buffer(geom, 0.06) AS geom FROM \"raw-track\"" lines.gpkg track.gpkg
ogr2ogr -q -dialect sqlite -sql "SELECT ST_Buffer(geom, 0.35) AS geom FROM \"raw-marks\"" marks.gpkg points.gpkg
# The canvas: the track's extent with 3 m round it, white; the picture
# warped onto it by its own georeferencing, then the track and marks.
read -r xmin xmax ymin ymax < <(ogrinfo -so -al track.gpkg | sed -n 's/^Extent: (\(.*\), \(.*\)) - (\(.*\), \(.*\))/\1 \3 \2 \4/p')
gdal_translate -q -expand rgba raw-grey.png picture.tif
gdal_create -q -of GTiff -ot Byte -bands 3 -burn 255 -a_srs EPSG:32630 \
    -a_ullr "$(echo "$xmin - 3" | bc)" "$(echo "$ymax + 3" | bc)" "$(echo "$xmax + 3" | bc)" "$(echo "$ymin - 3" | bc)" \
    -outsize "$(echo "($xmax - $xmin + 6) / 0.05" | bc)" "$(echo "($ymax - $ymin + 6) / 0.05" | bc)" canvas.tif
gdalwarp -q -r near -srcalpha picture.tif canvas.tif
gdal_rasterize -q -b 1 -b 2 -b 3 -burn 230 -burn 0 -burn 0 lines.gpkg canvas.tif
gdal_rasterize -q -b 1 -b 2 -b 3 -burn 0 -burn 120 -burn 255 marks.gpkg canvas.tif
gdal_translate -q -of PNG canvas.tif "$out/export-georeferenced.png"
rm -f "$out/export-georeferenced.png.aux.xml"
echo "wrote $out/export-grid.png, export-processed.png, export-georeferenced.png and export-lines.txt"
