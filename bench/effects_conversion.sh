#!/usr/bin/env bash
# Whole-conversion cost of the per-frame effects, measured side by side in one
# run: a 720p clip converted with the H.264 (libx264) and the MPEG-4 profiles,
# with all four adjustments off-neutral plus one text and one 400x100 picture
# item, against the same conversion without effects and against the ffmpeg
# program doing comparable work with its eq, drawtext and overlay filters.
#
#   bash bench/effects_conversion.sh [path/to/framewright-cli] [seconds] [runs]
#
# Prints the median of the runs for each variant and the ratios per encoder:
# hook-only/plain (the engine's BGR round trip alone), effects/plain and
# effects/ffmpeg. A "hook-only" run switches the per-frame hook on for an item
# that is never shown.
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
# The hook switched on for an item that is never shown: what the engine's
# conversion of every frame to BGR and back costs by itself.
HOOK_ONLY=(--text "Framewright sample" --seconds 100000,100001)
FF_FILTER="[0:v]eq=brightness=0.06:contrast=1.2:saturation=1.17:gamma=1.3,\
drawtext=fontfile=$FONT:text='Framewright sample':x=40:y=40:fontsize=35:fontcolor=blue@0.8[v];\
[1:v]format=rgba,colorchannelmixer=aa=0.49[l];[v][l]overlay=800:560:format=auto,format=yuv420p[out]"

# Median of a list of numbers.
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

once() {  # wall time of one run of a command, in seconds
    rm -rf "$WORK/out"/* "$WORK"/ff.*
    local t0 t1
    t0=$(date +%s.%N)
    "$@" > /dev/null 2> "$WORK/err" || { cat "$WORK/err" >&2; echo "failed: $*" >&2; exit 1; }
    t1=$(date +%s.%N)
    echo "$t0 $t1" | awk '{print $2 - $1}'
}

run_profile() {  # code, ffmpeg encoder arguments...
    local code=$1; shift
    local conv=("$CLI" convert "$WORK/clip.mp4" --profile "$code" --output-dir "$WORK/out")
    : > "$WORK/t.plain"; : > "$WORK/t.hook"; : > "$WORK/t.fx"; : > "$WORK/t.ff"
    # The variants take turns, so that load from elsewhere on the machine
    # falls on all of them alike.
    for ((i = 0; i < RUNS; i++)); do
        once "${conv[@]}" >> "$WORK/t.plain"
        once "${conv[@]}" "${HOOK_ONLY[@]}" >> "$WORK/t.hook"
        once "${conv[@]}" "${FW_EFFECTS[@]}" >> "$WORK/t.fx"
        once ffmpeg -hide_banner -loglevel error -y -i "$WORK/clip.mp4" -loop 1 -i "$WORK/logo.bmp" \
            -filter_complex "$FF_FILTER" -map "[out]" -map 0:a -shortest "$@" \
            -b:v 2000k -c:a aac -b:a 128k "$WORK/ff.out.${code}.mp4" >> "$WORK/t.ff"
    done
    local plain hook fx ff
    plain=$(median < "$WORK/t.plain"); hook=$(median < "$WORK/t.hook")
    fx=$(median < "$WORK/t.fx"); ff=$(median < "$WORK/t.ff")
    printf '%-4s plain %6.2fs  hook-only %6.2fs  effects %6.2fs  ffmpeg %6.2fs  hook-only/plain %.3f  effects/plain %.3f  effects/ffmpeg %.3f\n' \
        "$code" "$plain" "$hook" "$fx" "$ff" "$(echo "$hook $plain" | awk '{print $1/$2}')" \
        "$(echo "$fx $plain" | awk '{print $1/$2}')" "$(echo "$fx $ff" | awk '{print $1/$2}')"
}

echo "clip: 1280x720, 25 fps, $SECONDS_LONG s; medians of $RUNS runs"
# PROFILES="102" runs the MPEG-4 profile alone.
for code in ${PROFILES:-103 102}; do
    case $code in
        103) run_profile 103 -c:v libx264 ;;  # H.264
        102) run_profile 102 -c:v mpeg4 ;;    # MPEG-4
    esac
done
