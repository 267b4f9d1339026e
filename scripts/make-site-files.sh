#!/usr/bin/env bash
# Makes the files of a large site with make-full-size-file.sh: N full-size
# files (28,799 positions each, about 80 MB), walked on N days, laid out in
# rows of five blocks, each with a seed of its own; neighbouring blocks
# overlap by a line (18 m) east and west and by 10 m north and south, so
# that every file is levelled against its neighbours. Used by
# scripts/measure-site-export.sh.
#
#   scripts/make-site-files.sh N FOLDER
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
count="${1:?usage: make-site-files.sh N FOLDER}"
folder="${2:?usage: make-site-files.sh N FOLDER}"
mkdir -p "$folder"
for ((i = 0; i < count; i++)); do
  out="$folder/$(printf 'DAY%02d.MGR' $((i + 1)))"
  [ -s "$out" ] && continue
  # A block is 42 lines 18 m apart (41 x 18 = 738 m between its first and
  # last line, a swath of 18 m on each) across, 700 m along (north);
  # 1 m is 1/111250 degree of latitude and 1/68930 of longitude at 51.75 N.
  lat=$(awk -v r=$((i / 5)) 'BEGIN { printf "%.6f", 51.75 + r * 690 / 111250 }')
  lon=$(awk -v c=$((i % 5)) 'BEGIN { printf "%.6f", -1.25 + c * 738 / 68930 }')
  "$root/scripts/make-full-size-file.sh" --seed $((i + 1)) --origin "$lat,$lon" "$out"
done
