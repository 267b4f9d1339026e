#!/usr/bin/env bash
# Rebuilds the program's icon, the Array Geometry picture and the four wave
# sounds. The results are checked in; run this only to change them.
# Needs ImageMagick (convert) and python3.
set -euo pipefail
cd "$(dirname "$0")"

# Some machines put a stand-in named convert first on the PATH.
CONVERT=${CONVERT:-$(command -v convert-im6.q16 || command -v magick || command -v convert)}
FONT=${FONT:-DejaVu-Sans}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Icon 108: a console with its two sensor tubes and the GPS antenna, on a
# dark blue tile; 32 and 16 pixels.
"$CONVERT" -size 64x64 xc:none \
    -fill '#1f3f7a' -draw 'roundrectangle 1,1 62,62 10,10' \
    -fill '#d8dde6' -draw 'rectangle 10,24 54,32' \
    -fill '#ffffff' -draw 'rectangle 13,30 21,56' -draw 'rectangle 43,30 51,56' \
    -fill '#f2b705' -draw 'rectangle 30,12 34,24' \
    -fill '#e53935' -draw 'circle 32,10 32,4' \
    "$work/icon64.png"
"$CONVERT" "$work/icon64.png" -define icon:auto-resize=32,16 tesselog.ico

# The array seen from above: three two-sensor consoles, the GPS antenna
# ahead of them, the lengths the dialog asks for, and the direction of travel;
# array.bmp at 240 x 186 and array2x.bmp drawn at twice the size, from which
# the dialog makes its picture at display scales above 100%.
array_picture() {  # SCALE OUT
"$CONVERT" -size $((240 * $1))x$((186 * $1)) -affine "$1,0,0,$1,0,0" xc:'#fbfaf5' -font "$FONT" -pointsize 11 \
    -stroke none \
    -fill '#8a8f99' -draw 'rectangle 22,116 208,119' \
    -fill '#5b6472' \
    -draw 'roundrectangle 22,108 68,127 4,4' \
    -draw 'roundrectangle 92,108 138,127 4,4' \
    -draw 'roundrectangle 162,108 208,127 4,4' \
    -fill '#1b1b1b' \
    -draw 'circle 30,118 30,124' -draw 'circle 60,118 60,124' \
    -draw 'circle 100,118 100,124' -draw 'circle 130,118 130,124' \
    -draw 'circle 170,118 170,124' -draw 'circle 200,118 200,124' \
    -fill '#e53935' -draw 'circle 115,48 115,55' \
    -fill '#1b1b1b' -draw 'text 101,34 "GPS"' \
    -stroke '#2a62c9' -strokewidth 1 -fill none \
    -draw 'line 30,140 30,156' -draw 'line 60,140 60,156' -draw 'line 100,140 100,156' \
    -draw 'line 30,150 60,150' -draw 'line 60,150 100,150' \
    -draw 'line 30,70 30,108' -draw 'line 30,74 115,74' \
    -draw 'line 150,48 150,118' -draw 'line 122,48 154,48' \
    -fill '#2a62c9' \
    -draw 'polygon 30,150 35,147 35,153' -draw 'polygon 60,150 55,147 55,153' \
    -draw 'polygon 60,150 65,147 65,153' -draw 'polygon 100,150 95,147 95,153' \
    -draw 'polygon 30,74 35,71 35,77' -draw 'polygon 115,74 110,71 110,77' \
    -draw 'polygon 150,48 147,53 153,53' -draw 'polygon 150,118 147,113 153,113' \
    -stroke none -fill '#2a62c9' \
    -draw 'text 14,166 "Unit Sep."' -draw 'text 60,180 "Separation"' \
    -draw 'text 68,88 "X"' -draw 'text 156,88 "Y"' \
    -fill '#1b1b1b' -draw 'text 14,104 "1"' -draw 'text 210,104 "6"' \
    -stroke '#3a3a3a' -strokewidth 2 -draw 'line 222,120 222,40' \
    -stroke none -fill '#3a3a3a' -draw 'polygon 222,30 215,44 229,44' \
    -type Palette -colors 64 "BMP3:$2"
}
array_picture 1 array.bmp
array_picture 2 array2x.bmp

# Wave sounds, 8-bit mono at 11025 Hz: a short tick, a ring, a warning tone.
python3 - <<'EOF'
import math
import wave

RATE = 11025


def write(name, samples):
    with wave.open(name, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(RATE)
        w.writeframes(bytes(max(0, min(255, int(round(128 + 127 * s)))) for s in samples))


def tone(freqs, seconds, decay=0.0, volume=0.8):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        envelope = math.exp(-decay * t) if decay else 1.0
        # 5 ms ramps keep the edges from clicking.
        envelope *= min(1.0, i / (0.005 * RATE), (n - i) / (0.005 * RATE))
        out.append(volume * envelope * sum(math.sin(2 * math.pi * f * t) for f in freqs) / len(freqs))
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


write("result.wav", tone([2000], 0.03, decay=120))
write("ring.wav", tone([1046, 1568], 0.25, decay=9) + silence(0.06) + tone([1046, 1568], 0.25, decay=9))
write("gpswarning.wav", tone([880], 0.1) + silence(0.05) + tone([660], 0.1) + silence(0.05) + tone([880], 0.1))
# Field warning: three rising notes, unlike the falling GPS warning and the ring.
write("fieldwarning.wav", tone([523], 0.09) + silence(0.03) + tone([659], 0.09) + silence(0.03) + tone([1047], 0.16, decay=6))
EOF
ls -l tesselog.ico array.bmp array2x.bmp result.wav ring.wav gpswarning.wav fieldwarning.wav
