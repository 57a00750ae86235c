#!/usr/bin/env bash
# Runs velmar-cli process on small pictures and checks the pixels it writes.
set -euo pipefail
cli=${VELMAR_CLI:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { # name expected actual
  if [ "$2" != "$3" ]; then echo "FAIL $1"; echo " expected: $(printf %q "$2")"; echo " actual:   $(printf %q "$3")"; fail=1; else echo "ok   $1"; fi
}

# bmp.py write FILE W H R,G,B ...   (pixels row by row, top row first)
# bmp.py read FILE                  prints "W H BPP" then one line per row of R,G,B
cat > "$work/bmp.py" <<'PY'
import struct, sys
def write(name, w, h, pixels):
    rows = []
    for y in range(h):
        row = b"".join(bytes([b, g, r]) for r, g, b in pixels[y * w:(y + 1) * w])
        rows.append(row + b"\0" * ((4 - len(row) % 4) % 4))
    data = b"".join(reversed(rows))
    hdr = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    dib = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    open(name, "wb").write(hdr + dib + data)
def read(name):
    d = open(name, "rb").read()
    off, = struct.unpack_from("<I", d, 10)
    w, h, _, bpp, comp = struct.unpack_from("<iiHHI", d, 18)
    print(w, abs(h), bpp, comp)
    step = bpp // 8
    stride = (w * step + 3) // 4 * 4
    rows = []
    for y in range(abs(h)):
        base = off + (abs(h) - 1 - y if h > 0 else y) * stride
        rows.append(" ".join("%d,%d,%d" % (d[base + x * step + 2], d[base + x * step + 1], d[base + x * step])
                             for x in range(w)))
    print("\n".join(rows))
if sys.argv[1] == "write":
    w, h = int(sys.argv[3]), int(sys.argv[4])
    write(sys.argv[2], w, h, [tuple(int(v) for v in p.split(",")) for p in sys.argv[5:]])
else:
    read(sys.argv[2])
PY
bmp() { python3 "$work/bmp.py" "$@"; }
header() { bmp read "$1" | sed -n 1p; }  # "W H BPP COMPRESSION"

# 4 x 2: a colour row and a gray row.
bmp write "$work/in.bmp" 4 2 30,60,90 200,100,0 100,100,100 255,255,255 0,0,0 64,64,64 128,128,128 250,250,250

run() { # expected-rows operations...
  local expected=$1; shift
  "$cli" process "$work/in.bmp" -o "$work/out.bmp" "$@"
  check "process $*" "$expected" "$(bmp read "$work/out.bmp")"
}
run $'4 2 24 0\n60,60,60 100,100,100 100,100,100 255,255,255\n0,0,0 64,64,64 128,128,128 250,250,250' --gray
run $'4 2 24 0\n100,80,60 140,120,100 140,120,100 255,255,255\n40,20,0 104,84,64 168,148,128 255,255,250' --sepia 20
run $'4 2 24 0\n33,61,89 203,101,0 103,101,99 255,255,254\n3,1,0 67,65,63 131,129,127 253,251,249' --rgb 1,0,-1
# Order matters: brightness then gray is not gray then brightness.
run $'4 2 24 0\n161,161,161 185,185,185 201,201,201 255,255,255\n101,101,101 165,165,165 229,229,229 255,255,255' \
  --brightness 40 --gray
run $'4 2 24 0\n161,161,161 201,201,201 201,201,201 255,255,255\n101,101,101 165,165,165 229,229,229 255,255,255' \
  --gray --brightness 40
run $'4 2 24 0\n0,0,0 0,0,0 0,0,0 255,255,255\n0,0,0 0,0,0 255,255,255 255,255,255' --binary 127:0
run $'4 2 24 0\n0,0,0 0,0,0 0,0,0 255,255,255\n0,0,0 0,0,0 0,0,0 255,255,255' --binary 128:1

# Every operation runs and keeps the picture's size.
for op in "--brightness 40" "--contrast -25" "--rgb 20,-10,5" "--gray" "--fs" "--matrix2" "--matrix3" \
          "--matrix4" "--fsmatrix4" "--binary 127:0" "--levels 0,255,255" "--blur" "--noise-blur" "--gauss 3" \
          "--fog" "--depth 97" "--pixelize" "--sepia 20"; do
  # shellcheck disable=SC2086
  "$cli" process "$work/in.bmp" -o "$work/each.bmp" $op
  check "process $op keeps 4 x 2" "4 2 24 0" "$(header "$work/each.bmp")"
done
"$cli" process "$work/in.bmp" -o "$work/chain.bmp" --brightness 40 --contrast -25 --gray --fs --binary 127:0 \
  --levels 0,255,255 --gauss 3 --depth 97 --sepia 20
check "a chain of operations writes the picture" "4 2 24 0" "$(header "$work/chain.bmp")"

help=$("$cli" process --help)
for word in --brightness --contrast --rgb --gray --fs --matrix2 --matrix3 --matrix4 --fsmatrix4 --binary --levels \
            --blur --noise-blur --gauss --fog --depth --pixelize --sepia; do
  case "$help" in *"$word "*) ;; *) echo "FAIL process --help does not list $word"; fail=1;; esac
done
echo "ok   process --help lists the operations"

for bad in "process $work/in.bmp -o $work/x.bmp --frobnicate" \
           "process $work/in.bmp -o $work/x.bmp --brightness" \
           "process $work/in.bmp -o $work/x.bmp --contrast x" \
           "process $work/in.bmp -o $work/x.bmp --gauss 11" \
           "process $work/in.bmp -o $work/x.bmp --binary 127" \
           "process $work/in.bmp -o $work/x.bmp --levels 0,255" \
           "process $work/in.bmp -o $work/x.bmp --rgb 1,2,x" \
           "process $work/in.bmp --gray" \
           "process -o $work/x.bmp --gray" \
           "process $work/in.bmp $work/in.bmp -o $work/x.bmp" \
           "process $work/missing.bmp -o $work/x.bmp --gray" \
           "process $work/in.bmp -o $work/nodir/x.bmp --gray"; do
  if $cli $bad >/dev/null 2>"$work/err"; then echo "FAIL '$bad' should fail"; fail=1;
  elif [ ! -s "$work/err" ]; then echo "FAIL '$bad' printed no error"; fail=1; else echo "ok   '$bad' fails with a message"; fi
done
[ ! -e "$work/x.bmp" ] || { echo "FAIL a failed run left an output file"; fail=1; }

exit $fail
