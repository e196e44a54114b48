#!/bin/sh
# Seeds of the class library's BMP, JPEG and form fuzz targets, made by ImageMagick as the
# tests make theirs: every BMP depth and header the reader takes, and baseline,
# subsampled, progressive, grey and CMYK JPEG files. Small, so the targets run fast.
# Usage: make_seeds.sh <seed root> <editor form folder>; without ImageMagick the seed
# folders stay empty.
set -eu
root=$1
mkdir -p "$root/fuzz_bmp" "$root/fuzz_jpeg" "$root/fuzz_form"
cp "$2"/*.txt "$root/fuzz_form/"
command -v convert >/dev/null 2>&1 || exit 0
src="$root/source.png"
convert -size 13x7 gradient:red-blue -fill lime -draw 'rectangle 2,2 5,4' "$src"
bmp() { convert "$src" $2 "$3$root/fuzz_bmp/$1.bmp"; }
bmp rle8 "-type Palette -compress RLE" BMP3:
bmp index8 "-type Palette -colors 200 -compress None" BMP3:
bmp index4 "-colors 8 -type Palette" BMP3:
bmp mono "-type Bilevel" BMP3:
bmp rgb24 "-type TrueColor" BMP3:
bmp rgb555 "-define bmp:subtype=RGB555" BMP:
bmp rgb565 "-define bmp:subtype=RGB565" BMP:
bmp argb32 "-type TrueColorAlpha" BMP:
bmp core "" BMP2:
jpg() { convert "$src" $2 "$root/fuzz_jpeg/$1.jpg"; }
jpg colour "-quality 85"
jpg subsampled "-quality 60 -sampling-factor 2x2"
jpg progressive "-quality 90 -interlace Plane"
jpg grey "-colorspace Gray -quality 80"
jpg cmyk "-colorspace CMYK -quality 95"
rm -f "$src"

# Besides the editor's own forms, one holding binary property data (a picture's bitmap).
convert -size 3x2 xc:red -type TrueColor BMP3:"$root/tiny.bmp"
size=$(wc -c <"$root/tiny.bmp")
hex=$( { printf '\007TBitmap'; printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((size & 255)) $((size >> 8 & 255)) 0 0)";
         cat "$root/tiny.bmp"; } | od -An -tx1 -v | tr -d ' \n' | tr a-f A-F)
printf "object Pictures: TForm\n  Caption = 'Pictures'\n  object Image1: TImage\n    Left = 4\n    Picture.Data = {%s}\n  end\nend\n" "$hex" \
  >"$root/fuzz_form/picture.txt"
rm -f "$root/tiny.bmp"
