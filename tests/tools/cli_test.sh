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

for bad in "compile" "compile $work/four.bmp --pixel 0 --passes 1" "compile $work/four.bmp --pixel x --passes 1" \
           "compile $work/missing.bmp --pixel 1 --passes 1" "frobnicate"; do
  if $cli $bad >/dev/null 2>"$work/err"; then echo "FAIL '$bad' should fail"; fail=1;
  elif [ ! -s "$work/err" ]; then echo "FAIL '$bad' printed no error"; fail=1; else echo "ok   '$bad' fails with a message"; fi
done

exit $fail
