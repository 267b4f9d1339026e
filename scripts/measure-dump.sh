#!/usr/bin/env bash
# Prints how long tesselog-dump takes to check and to decode a full-size data
# file: 28,800 GPS positions with nine two-sensor consoles at 10 Hz (about
# 70 MB). The file is made from the default header of the golden new file,
# then readings and three-record GPS groups in the recording pattern.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dump="$root/build/native/tools/tesselog-dump"
file="$(mktemp /tmp/tesselog-measure-XXXXXX.mgr)"
trap 'rm -f "$file"' EXIT
python3 - "$root/tests/golden/new-file-default.mgr" "$file" <<'PY'
import sys
header = open(sys.argv[1], 'rb').read()
tags = [0x54, 0x74, 0xD4, 0xF4, 0x14, 0x97, 0xA8, 0xB9, 0x3C]
gga = b"$GPGGA,100000.00,5145.00000,N,00115.00001,W,4,13,0.9,45.0,M,47.0,M,1.5,0001*69"
with open(sys.argv[2], 'wb') as out:
    out.write(header)
    out.write(b"X$STARTED" + b" " * 7 + b"%10d" % 1000 + b"\n")
    tick = 1000
    for position in range(28800):
        block = bytearray()
        for reading in range(10):          # ten readings per console between fixes
            tick += 10
            for tag in tags:
                block += bytes([tag]) + b"$P,0060,0065" + b" " * 3 + b"%10d" % tick + b"\n"
        pieces = [gga[i:i + 25] for i in range(0, len(gga), 25)]
        for i, piece in enumerate(pieces):
            block += (b"@" if i == 0 else b"#") + piece.ljust(25) + b"\n"
        block += b"!" + b" " * 13 + b"0 " + b"%10d" % tick + b"\n"
        out.write(block)
PY
size=$(stat -c %s "$file")
echo "file: $((size / 1000000)) MB, $((size / 27)) records"
start=$(date +%s.%N); "$dump" --check "$file" >/dev/null; end=$(date +%s.%N)
echo "tesselog-dump --check: $(python3 -c "print(round($end - $start, 2))") s"
start=$(date +%s.%N); "$dump" "$file" >/dev/null; end=$(date +%s.%N)
echo "tesselog-dump (decode and print every record): $(python3 -c "print(round($end - $start, 2))") s"
