#!/usr/bin/env bash
# Measures tesselog-export over a site of full-size files (made by
# make-site-files.sh unless FOLDER holds them already): every output of the
# site, once, under /usr/bin/time -v. Prints the files and their bytes, the
# wall-clock seconds, the processor seconds (user + system, all threads),
# the seconds of processor a file and the peak resident memory.
#
#   scripts/measure-site-export.sh [N [FOLDER]] [-- EXPORT_OPTIONS...]
#
# N files (default 20) in FOLDER (default build/site-files). Uses
# build/native's tesselog-export.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tool="$root/build/native/tools/export/tesselog-export"
count=20
folder="$root/build/site-files"
[ $# -gt 0 ] && [ "$1" != "--" ] && { count="$1"; shift; }
[ $# -gt 0 ] && [ "$1" != "--" ] && { folder="$1"; shift; }
[ $# -gt 0 ] && [ "$1" = "--" ] && shift
"$root/scripts/make-site-files.sh" "$count" "$folder"
files=("$folder"/DAY*.MGR)
files=("${files[@]:0:$count}")
work="$(mktemp -d "$folder/../measure.XXXXXX")"
trap 'rm -rf "$work"' EXIT
bytes=$(cat "${files[@]}" | wc -c)
/usr/bin/time -v "$tool" -q -o "$work/site" "$@" "${files[@]}" >"$work/summary" 2>"$work/time" || true
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time" |
       awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
user=$(sed -n 's/.*User time (seconds): //p' "$work/time")
system=$(sed -n 's/.*System time (seconds): //p' "$work/time")
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
outputs=$(du -sb "$work" | cut -f1)
echo "${#files[@]} files, $bytes bytes; outputs $outputs bytes"
awk -v w="$wall" -v u="$user" -v s="$system" -v n="${#files[@]}" -v p="$peak" 'BEGIN {
  printf "wall %.1f s, processor %.1f s (user %.1f, system %.1f), %.2f s of processor a file, peak %.0f MB\n",
         w, u + s, u, s, (u + s) / n, p / 1024 }'
grep -E '^(site of|wrote .*site\.(asc|csv)|wrote .*levels)' "$work/summary" | sed 's/^/  /'
grep -i "exit status\|Command terminated" "$work/time" | sed "s/^/  /" || true
grep -v "^\s" "$work/time" | grep -v "Command being timed" | head -5 | sed "s/^/  stderr: /" || true
