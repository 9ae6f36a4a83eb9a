#!/usr/bin/env bash
# Draws the program's icon (the same shapes as ProgramIcon in ui/app/Icons.cpp: a blue rounded
# square with a yellow bookmark ribbon) with ImageMagick at the sizes Windows asks for, into
# data/windows/pernard.ico, which the Windows program carries as its icon resource. Run by hand
# after the icon changes; the .ico is kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none -fill 'rgb(40,90,170)' -draw 'roundrectangle 8,8,247,247,48,48' \
    -fill 'rgb(246,200,60)' -draw 'polygon 72,32 184,32 184,224 128,168 72,224' "$work/256.png"
sizes=(16 20 24 32 40 48 64 256)
for size in "${sizes[@]}"; do
    convert "$work/256.png" -filter Lanczos -resize "${size}x$size" "$work/$size.png"
done
files=()
for size in "${sizes[@]}"; do files+=("$work/$size.png"); done
convert "${files[@]}" data/windows/pernard.ico
identify data/windows/pernard.ico
