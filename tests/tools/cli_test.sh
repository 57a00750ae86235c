#!/usr/bin/env bash
# Runs velmar-cli as a user would and checks its output byte for byte.
set -euo pipefail
cli=${VELMAR_CLI:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { # name expected actual
  if [ "$2" != "$3" ]; then echo "FAIL $1"; echo " expected: $(printf %q "$2")"; echo " actual:   $(printf %q "$3")"; fail=1; else echo "ok   $1"; fi
}

# A 4 x 1 BMP: black, gray 128, gray 170, white (24-bit, bottom-up rows).
python3 - "$work/four.bmp" <<'PY'
import struct, sys
w, h = 4, 1
row = bytes([0,0,0, 128,128,128, 170,170,170, 255,255,255])
row += b"\0" * ((4 - len(row) % 4) % 4)
data = row * h
hdr = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
dib = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(hdr + dib + data)
PY

out=$("$cli" compile "$work/four.bmp" --pixel 10 --passes 2 --lines)
expected=$(printf '%s\n' ";:H ECN A U  " "U5,0 D5,0 D5,30 U5,30 " "U10,30 D10,30 D10,20 U10,20 " \
  "U10,10 D10,10 D10,0 U10,0 " "U0,10000 " "U0,0 " "UF @    ")
check "compile --lines worked example" "$expected" "$out"

"$cli" compile "$work/four.bmp" --pixel 10 --passes 2 -o "$work/job.txt"
check "compile -o writes the lines back to back" \
  ";:H ECN A U  U5,0 D5,0 D5,30 U5,30 U10,30 D10,30 D10,20 U10,20 U10,10 D10,10 D10,0 U10,0 U0,10000 U0,0 UF @    ." \
  "$(cat "$work/job.txt"; echo -n .)"
check "compile -o ends with the trailer's four blanks" "UF @    ." "$(tail -c 8 "$work/job.txt"; echo -n .)"

# The plot export: the worked example byte for byte, CR LF after every line.
"$cli" plt "$work/four.bmp" --pixel 10 --passes 2 -o "$work/four" >"$work/plt.out"
check "plt names the file it wrote" "$work/four.plt" "$(cat "$work/plt.out")"
expected_plt=$(printf '%s\r\n' "IN;" VS32,{1..8}";" "WU0;" PW0.350,{1..8}";" "SP1;" "LT;" \
  "PU5 0;" "PD5 0;" "PD5 30;" "PU5 30;" "PU10 30;" "PD10 30;" "PD10 20;" "PU10 20;" \
  "PU10 10;" "PD10 10;" "PD10 0;" "PU10 0;" "LT;" "SP0;"; echo -n .)
check "plt worked example" "$expected_plt" "$(cat "$work/four.plt"; echo -n .)"
"$cli" plt "$work/four.bmp" --pixel 10 --passes 2 -o "$work/notes.txt" >/dev/null
check "plt keeps another extension" "$(cat "$work/four.plt")" "$(cat "$work/notes.txt")"

# convert: the window's load and save, JPEG by content and by a name in any case.
"$cli" convert "$work/four.bmp" -o "$work/photo.JPG" >/dev/null
check "convert to .JPG writes JPEG data" "ffd8ff" "$(head -c 3 "$work/photo.JPG" | od -An -tx1 | tr -d ' \n')"
out=$("$cli" convert "$work/photo.JPG" -o "$work/back")
check "convert reads a JPEG named .JPG and adds .bmp" "$work/back.bmp: 4 x 1" "$out"
check "convert writes a 24-bit BMP" "BM" "$(head -c 2 "$work/back.bmp")"
"$cli" convert "$work/four.bmp" -o "$work/copy.png" >/dev/null
check "convert keeps .png and writes BMP data" "$(cat "$work/four.bmp" | od -An -tx1 | tail -c 40)" \
  "$(cat "$work/copy.png" | od -An -tx1 | tail -c 40)"
cp "$work/photo.JPG" "$work/photo.bmp"
out=$("$cli" compile "$work/photo.bmp" --pixel 10 --passes 2 --lines | head -1)
check "compile takes a JPEG whatever its name" ";:H ECN A U  " "$out"

head -c 40 "$work/four.bmp" >"$work/cut.bmp"
: >"$work/zero.bmp"
for bad in "convert $work/cut.bmp -o $work/x.bmp" "convert $work/zero.bmp -o $work/x.bmp" \
           "convert $work -o $work/x.bmp" "convert $work/four.bmp -o $work/no/such/x.bmp" \
           "plt $work/four.bmp --pixel 1 --passes 1 -o $work/no/such/x.plt" "plt $work/four.bmp --pixel 1 --passes 1"; do
  if $cli $bad >/dev/null 2>"$work/err"; then echo "FAIL '$bad' should fail"; fail=1;
  elif [ ! -s "$work/err" ]; then echo "FAIL '$bad' printed no error"; fail=1; else echo "ok   '$bad' fails: $(cat "$work/err")"; fi
done
[ -e "$work/x.bmp" ] && { echo "FAIL a failed convert left a file"; fail=1; }

for bad in "compile" "compile $work/four.bmp --pixel 0 --passes 1" "compile $work/four.bmp --pixel x --passes 1" \
           "compile $work/missing.bmp --pixel 1 --passes 1" "frobnicate"; do
  if $cli $bad >/dev/null 2>"$work/err"; then echo "FAIL '$bad' should fail"; fail=1;
  elif [ ! -s "$work/err" ]; then echo "FAIL '$bad' printed no error"; fail=1; else echo "ok   '$bad' fails with a message"; fi
done

exit $fail
