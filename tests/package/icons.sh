#!/usr/bin/env bash
# The theme icons: each at its size, made only of the 32-pixel original's colours
# (a blurred scale would mix new ones), with a sharp mask, and the big ones a whole-pixel
# enlargement of the original.
#   icons.sh HICOLOR_DIR APP_ID OUT
set -uo pipefail
DIR=$1 ID=$2 OUT=$3
SRC=$(dirname "$0")/../../assets/form1.ico
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
colours() { convert "$1" -format '%c' histogram:info: | sed -E 's/^ *[0-9]+: //' | awk '{print $NF}' | LC_ALL=C sort -u; }
# ImageMagick's policy forbids reading /dev/fd, so the pictures go through files.
convert "$SRC" PNG32:"$OUT/source.png"
colours "$OUT/source.png" >"$OUT/source_colours"
for s in 16 32 48 64 128 256; do
    png=$DIR/${s}x$s/apps/$ID.png
    [ -f "$png" ] || { fail "no $s-pixel icon"; continue; }
    [ "$(identify -format '%m %wx%h' "$png")" = "PNG ${s}x$s" ] || fail "$png is $(identify -format '%m %wx%h' "$png")"
    colours "$png" >"$OUT/colours_$s"
    extra=$(LC_ALL=C comm -13 "$OUT/source_colours" "$OUT/colours_$s")
    [ -z "$extra" ] || fail "the $s-pixel icon has colours the original lacks: $(echo $extra | head -c 200)"
    alphas=$(convert "$png" -alpha extract -format '%c' histogram:info: | grep -oE 'gray\([0-9]+\)' | sort -u | tr '\n' ' ')
    [ "$alphas" = "gray(0) gray(255) " ] || fail "the $s-pixel icon's mask is not sharp: $alphas"
    case $s in
    32|64|128|256)
        # Every N by N block is one pixel of the original.
        convert "$png" -sample 32x32 PNG32:"$OUT/back_$s.png"
        [ "$(compare -metric AE "$OUT/back_$s.png" "$OUT/source.png" null: 2>&1)" = "0" ] ||
            fail "the $s-pixel icon is not the original enlarged"
        convert "$OUT/source.png" -scale ${s}x$s PNG32:"$OUT/scaled_$s.png"
        [ "$(compare -metric AE "$png" "$OUT/scaled_$s.png" null: 2>&1)" = "0" ] ||
            fail "the $s-pixel icon differs from a whole-pixel enlargement"
        ;;
    esac
done
exit $FAILED
