#!/bin/bash
# Writes the seed corpus into fuzz/corpus/: hand-made exchange files with
# records of every kind, each behind its options (see pass_fuzzer.cpp for the
# layout: a count byte, NUL-terminated options, then the file).
# Files named regress_* beside the seeds are past findings, kept as found.
#
#   bash fuzz/seeds.sh
set -eu
out=$(cd "$(dirname "$0")" && pwd)/corpus
mkdir -p "$out"
rm -f "$out"/seed_*
# seed NAME "OPT1" "OPT2" ... -- FILE-BYTES (printf format)
# With LEVEL=1 the count byte is 0xE0 or more, which keeps a debug level set
# by the options (for files of up to 128 bytes).
seed() {
  local name=$1; shift
  local opts=()
  while [ "$1" != -- ]; do opts+=("$1"); shift; done
  shift
  local count=${#opts[@]}
  [ "${LEVEL:-}" = 1 ] && count=$((224 + (count + 1) % 5))
  {
    printf "\\$(printf %03o $count)"
    for o in "${opts[@]}"; do printf '%s\0' "$o"; done
    printf "$1"
  } > "$out/seed_$name"
}
crlf='\r\n'
seed walkthrough /Z=+ /M2.5 /L0.5 /K6 -- "# drawing\r\nbz\r\ncn0 2.5 2.5 0 1\r\nlg1\r\nly2\r\nlt1\r\nlc5\r\npn3\r\nhp1 0 0\r\nhp2 100 0\r\n"
seed texts /ZAB -- "hp1 0 0\r\nhp2 20 0\r\nch 0 0 1 0 \"text one\r\nc1 5 5 1 0 \"two\r\nch 1 2 3 4\r\nc\r\n"
seed lines_circles /ZAB -- " 0 0 10 10\r\n 5 5 5 5\r\nci 1 2 3\r\nci 1 2 3 10 350 -2 0\r\npl\r\npt 1.5 2.5\r\nz7\r\n#c\r\n"
seed points /Zxy -- "hp0 1 1\r\nhp1 0 0\r\nhp2 10 0\r\nhp3 4 4\r\nhp4 9 9\r\nhp12 1 1\r\nhp1+ 2 2\r\nhp1/ 3 3\r\nhp1- 4 4\r\nhp1ch 5 5\r\nhp2ln 6 6\r\nhp1x 7 7\r\nhp 1 1\r\nhp -1 2\r\n"
seed stage /ZAB -- "hq\r\nhp1ch 0 0\r\n 0 0 1 1\r\nhq\r\nhn 1 2 3 4\r\n"
seed sizes /ZAB -- "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\r\nhcw 1 2 3 4 5 6 7 8 9 10\r\nhch 1 2 3 4 5 6 7 8 9 10\r\nhcd 1 2 3 4 5 6 7 8 9 10\r\nhcc 1 2 3 4 5 6 7 8 9 10\r\nhcx 1\r\ncn3\r\ncn0 1 2 3 4\r\ncn\"x\r\ncc5\r\ncn12\r\ncn-1\r\n"
seed attributes -ZAB -- "lg0x1f\r\nly-a\r\nlt20\r\nlt3\r\nlc10 #ff8000\r\npn7\r\npna\r\nlx\r\npq\r\nbq\r\nhx\r\n"
seed fields '$Z12' /M1e1 /L0x1p1 /K9 -- "hp1 1e300 -1e300\r\nhp2 inf nan\r\ncn0 nan inf -inf 99999999999\r\nlc-2147483649\r\nlg ffffffffff\r\nci 0x1p4 1e-400 .5\r\nch 1 2 3 4 \"\x81\r\n"
LEVEL=1 seed shift_jis /Z$'\x82\xa0'A /T2 -- "hp1 0 0\r\nhp2 30 0\r\nch 0 0 1 0 \"\x82\xa0\x82\xa2\r\n\x82\xa0hp\r\n"
LEVEL=1 seed level1 /ZAB /T1 -- "hp1 0 0\r\nhp2 10 0\r\nch 0 0 1 0 \"t\r\n"
LEVEL=1 seed level5 /ZAB /T5 -- "# a\r\nhp1 0 0\r\n"
LEVEL=1 seed level3 /T3 /ZAB -- "hp1 0 0\r\nhp2/ 5 0\r\nhp3- 1 1\r\nhq\r\n"
seed odd_line_ends /ZAB -- "hp1 0 0\rhp2 9 9\n#x\r\r\n\x1a\r\n#a\0b\r\nch 0 0 1 0 \"ab\0cd"
seed long_line /ZAB -- "#$(printf 'x%.0s' {1..300})\r\nhp1 0 0\r\nhp2 2000 0\r\nch 0 0 1 0 \"$(printf 'y%.0s' {1..280})\r\n"
seed range_ends /ZAB -- "hp1 -1.5e308 0\r\nhp2 1.5e308 0\r\nch 0 0 1 0 \"t\r\n"
seed options_odd /Z /M0.4 /K10 /T7 -- "hp1 0 0\r\nhp2 5 0\r\n"
seed options_illegal /X /e12 /M - -- "#\r\n"
seed empty -- ""
echo "seeds written to $out"
