#!/usr/bin/env bash
# Converts the same inputs with `framewright-cli encode` and with the ffmpeg
# program using equivalent options, alternating runs, and prints the median
# wall-time and peak-memory ratios (engine / ffmpeg).
#
#   bench/engine_vs_ffmpeg.sh [CLI] [RUNS]
#
# CLI defaults to build/release/bin/framewright-cli of this script's project;
# RUNS (default 5) runs of each program per case.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../build/release/bin/framewright-cli}"
runs="${2:-5}"
[[ -x "$cli" ]] || { echo "no framewright-cli at $cli" >&2; exit 2; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/fwbench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

src="$work/src_1080p.mp4"
echo "making a 10 s 1080p H.264 + AAC source..." >&2
ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=10 \
    -f lavfi -i sine=frequency=440:sample_rate=44100:duration=10 \
    -c:v libx264 -preset fast -pix_fmt yuv420p -c:a aac -ac 2 "$src"

# measure OUTFILE CMD...: runs the command, prints "wall_seconds max_rss_kb".
measure() {
    local out="$1"; shift
    rm -f "$out"
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" || {
        echo "failed: $*" >&2; cat "$work/err.txt" >&2; exit 1; }
    cat "$work/time.txt"
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# run_case NAME EXT "ENGINE OPTIONS" "FFMPEG OPTIONS"
run_case() {
    local name="$1" ext="$2" eng="$3" ff="$4"
    local ew="$work/e_wall" er="$work/e_rss" fw="$work/f_wall" fr="$work/f_rss"
    : >"$ew"; : >"$er"; : >"$fw"; : >"$fr"
    for ((i = 0; i < runs; i++)); do
        # shellcheck disable=SC2086
        read -r w r < <(measure "$work/e.$ext" "$cli" encode "$src" "$work/e.$ext" $eng)
        echo "$w" >>"$ew"; echo "$r" >>"$er"
        # shellcheck disable=SC2086
        read -r w r < <(measure "$work/f.$ext" ffmpeg -nostdin -v error -y -i "$src" $ff "$work/f.$ext")
        echo "$w" >>"$fw"; echo "$r" >>"$fr"
    done
    local emw fmw emr fmr
    emw=$(median <"$ew"); fmw=$(median <"$fw"); emr=$(median <"$er"); fmr=$(median <"$fr")
    printf "%-34s engine %6.2fs %7d kB | ffmpeg %6.2fs %7d kB | time x%.3f  memory x%.3f\n" \
        "$name" "$emw" "$emr" "$fmw" "$fmr" \
        "$(echo "$emw / $fmw" | bc -l)" "$(echo "$emr / $fmr" | bc -l)"
}

echo "median of $runs alternating runs per case" >&2
run_case "H.264 1080p -> MPEG-4 320x240+AAC" mp4 \
    "--out VideoCodec=mpeg4 --out FrameSize=320x240 --out AudioCodec=aac" \
    "-c:v mpeg4 -s 320x240 -c:a aac"
run_case "H.264 1080p -> H.264 (libx264)" mp4 \
    "--out VideoCodec=libx264 --out AudioCodec=aac" \
    "-c:v libx264 -c:a aac"
run_case "same, with an empty per-frame hook" mp4 \
    "--out VideoCodec=mpeg4 --out FrameSize=320x240 --out AudioCodec=aac --empty-hook" \
    "-c:v mpeg4 -s 320x240 -c:a aac"
# The hook above says it drew nothing, so frames go on as decoded; this one
# leaves the whole picture marked as drawn and pays the conversion back too.
run_case "same, hook marking the whole frame" mp4 \
    "--out VideoCodec=mpeg4 --out FrameSize=320x240 --out AudioCodec=aac --whole-frame-hook" \
    "-c:v mpeg4 -s 320x240 -c:a aac"
