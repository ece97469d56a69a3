#!/usr/bin/env bash
# Whole-conversion cost of the per-frame effects, measured side by side in one
# run: a 720p clip converted with the H.264 (libx264) and the MPEG-4 profiles,
# with all four adjustments off-neutral plus one text and one 400x100 picture
# item, against the same conversion without effects and against the ffmpeg
# program doing comparable work with its eq, drawtext and overlay filters.
#
#   bash bench/effects_conversion.sh [path/to/framewright-cli] [seconds] [runs]
#
# Prints each timing (best of the runs) and the two ratios per encoder:
# effects/plain and effects/ffmpeg.
set -euo pipefail

CLI=${1:-build/release/bin/framewright-cli}
SECONDS_LONG=${2:-20}
RUNS=${3:-3}
[[ -x "$CLI" ]] || { echo "framewright-cli not found at $CLI" >&2; exit 1; }
CLI=$(realpath "$CLI")

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME" "$WORK/out"

ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=$SECONDS_LONG" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$SECONDS_LONG" \
    -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -ac 2 "$WORK/clip.mp4"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=400x100" -frames:v 1 \
    -pix_fmt bgr24 "$WORK/logo.bmp"
FONT=$(fc-match -f '%{file}' 'DejaVu Sans')

# Both profiles keep the source size and use 2000 kbit/s (settings file in the
# temporary config folder; the format file is installed there on first use).
cat > "$XDG_CONFIG_HOME/orvextarnwellconverter.ini" <<INI
[settings]
OutPutDir=$WORK/out
[formatInfo103]
paraVideoSize=1280x720
iVideoSize=-1
paraVideoBitRate=2000
iVideoBitRate=-1
[formatInfo102]
paraVideoSize=1280x720
iVideoSize=-1
paraVideoBitRate=2000
iVideoBitRate=-1
INI

# Effects: brightness 300 (x1.17), contrast 20, saturation 300, exposure 60;
# text at (40,40) 26 pt blue, transparent; picture at (800,560), opacity 125.
FW_EFFECTS=(--brightness 300 --contrast 20 --saturation 300 --exposure 60
    --text "Framewright sample" --pos 40,40 --opacity 200
    --image "$WORK/logo.bmp" --pos 800,560 --opacity 125)
FF_FILTER="[0:v]eq=brightness=0.06:contrast=1.2:saturation=1.17:gamma=1.3,\
drawtext=fontfile=$FONT:text='Framewright sample':x=40:y=40:fontsize=35:fontcolor=blue@0.8[v];\
[1:v]format=rgba,colorchannelmixer=aa=0.49[l];[v][l]overlay=800:560:format=auto,format=yuv420p[out]"

best() {  # best wall time of RUNS runs of a command, in seconds
    local b=""
    for ((i = 0; i < RUNS; i++)); do
        rm -rf "$WORK/out"/* "$WORK"/ff.*
        local t0 t1
        t0=$(date +%s.%N)
        "$@" > /dev/null 2> "$WORK/err" || { cat "$WORK/err" >&2; echo "failed: $*" >&2; exit 1; }
        t1=$(date +%s.%N)
        b=$(echo "$t0 $t1 $b" | awk '{d = $2 - $1; if ($3 == "" || d < $3) print d; else print $3}')
    done
    echo "$b"
}

run_profile() {  # code, ffmpeg encoder arguments...
    local code=$1; shift
    local plain fx ff
    plain=$(best "$CLI" convert "$WORK/clip.mp4" --profile "$code" --output-dir "$WORK/out")
    fx=$(best "$CLI" convert "$WORK/clip.mp4" --profile "$code" --output-dir "$WORK/out" "${FW_EFFECTS[@]}")
    ff=$(best ffmpeg -hide_banner -loglevel error -y -i "$WORK/clip.mp4" -loop 1 -i "$WORK/logo.bmp" \
        -filter_complex "$FF_FILTER" -map "[out]" -map 0:a -shortest "$@" \
        -b:v 2000k -c:a aac -b:a 128k "$WORK/ff.out.${code}.mp4")
    printf '%-8s plain %6.2fs  effects %6.2fs  ffmpeg %6.2fs  effects/plain %.3f  effects/ffmpeg %.3f\n' \
        "$code" "$plain" "$fx" "$ff" "$(echo "$fx $plain" | awk '{print $1/$2}')" \
        "$(echo "$fx $ff" | awk '{print $1/$2}')"
}

echo "clip: 1280x720, 25 fps, $SECONDS_LONG s; best of $RUNS runs"
run_profile 103 -c:v libx264   # H.264
run_profile 102 -c:v mpeg4     # MPEG-4
