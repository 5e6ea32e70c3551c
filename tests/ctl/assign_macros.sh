#!/bin/bash
# vivori-ctl's key assignments and the macros they play, end to end on the simulated
# keyboard and mouse: every write carries the key table and the macro image from one
# plan; refusals change nothing. Usage: assign_macros.sh CTL SOURCE_DIR
set -u
ctl=$1
source_dir=$2
source "$(dirname "$0")/common.sh"
assignment() {  # assignment KIND KEY: the stored code of the selected profile
    python3 - "$XDG_DATA_HOME/VELTRA VIVORI Trivex V2/$1" "$2" <<'PY'
import json, sys
folder, key = sys.argv[1], int(sys.argv[2])
lst = json.load(open(folder + "/ProfileList.ini"))
uuid = lst["profilelist"][lst["profileselect"]]["profileUUID"]
print(json.load(open(folder + "/" + uuid + ".Json"))["Device"][0]["KeyList"][key]["Assignment"])
PY
}
# agrees DEBUG_OUTPUT SLOT MACRO_FILE: the key table written puts 70 p 00 in SLOT and
# record p of the macro image written holds the events of MACRO_FILE.
agrees() {
    python3 - "$@" "$(dirname "$0")" <<'PY'
import json, sys
sys.path.insert(0, sys.argv[4])
from debug_frames import written
image, keys = written(sys.argv[1], 0x15), written(sys.argv[1], 0x09)
slot = int(sys.argv[2])
assert keys[slot * 3] == 0x70, keys[slot * 3:slot * 3 + 3].hex()
p = keys[slot * 3 + 1]
word = lambda at: image[at] | image[at + 1] << 8
assert image[:2] == b"\xaa\x55" and p < word(4), image.hex()
at = word(16 + 2 * p)
record = image[at + 4:at + 4 + 4 * word(at)]
events = json.load(open(sys.argv[3]))["Events"]
expected = b"".join(bytes([int(e["Delay"]) & 255, int(e["Delay"]) >> 8,
                           e["Type"] | (0x80 if e["Action"] == "down" else 0), e["Button"]])
                    for e in events)
assert record == expected, (record.hex(), expected.hex())
PY
}

"$ctl" --kind keyboard profile list > /dev/null
"$ctl" --kind mouse profile list > /dev/null
cat > "$home/first.mac" <<'MAC'
{"Events": [{"Action": "down", "Type": 10, "Button": 4, "Delay": "35"}]}
MAC
cat > "$home/second.mac" <<'MAC'
{"Events": [{"Action": "down", "Type": 10, "Button": 5, "Delay": "66"},
            {"Action": "up", "Type": 10, "Button": 5, "Delay": "0"}]}
MAC
expect 0 'macro 0' -- "$ctl" --kind keyboard macro import "$home/first.mac"
expect 0 'macro 1' -- "$ctl" --kind keyboard macro import "$home/second.mac"
slot=$("$ctl" --simulate keyboard keyboard read | awk '$1 == "key" && $2 == 64 { print $4 }')

# Key A plays macro 1: the image the same run writes holds it where the table points.
"$ctl" --simulate keyboard --kind keyboard --debug assign set 64 0x700100 > "$home/set.txt" 2>&1 ||
    fail "assign set: $(cat "$home/set.txt")"
agrees "$home/set.txt" "$slot" "$home/second.mac" || fail "assign set wrote table and image apart"
"$ctl" --simulate keyboard --kind keyboard --debug macro upload > "$home/up.txt" 2>&1 ||
    fail "macro upload: $(cat "$home/up.txt")"
agrees "$home/up.txt" "$slot" "$home/second.mac" || fail "macro upload wrote table and image apart"

# A key with no slot on the keyboard is named, and the command fails.
expect 1 'key 18 has an assignment but no slot on this keyboard: not written' -- \
    "$ctl" --simulate keyboard --kind keyboard assign set 18 0x200004
expect 0 'stored' -- "$ctl" --simulate keyboard --kind keyboard assign default 18

# The last left click of the mouse stays unless --yes.
before=$(assignment mouse 0)
expect 1 'last with the left-click function' -- \
    "$ctl" --simulate mouse --kind mouse assign set 0 0x200004
[ "$(assignment mouse 0)" = "$before" ] || fail "a refused change reached the profile"
expect 0 'written to the mouse' -- "$ctl" --simulate mouse --kind mouse assign set 0 0x200004 --yes
[ "$(assignment mouse 0)" = $((0x200004)) ] || fail "--yes did not store the change"

# A damaged list: nothing is written, it is said, the file and the assignments stay.
good=$(cat "$folder/macro.config")
printf '{"MacroInfo": [' > "$folder/macro.config"
expect 1 'macro.config cannot be read' -- "$ctl" --kind keyboard macro list
expect 1 'cannot be read.*nothing was written' -- "$ctl" --simulate keyboard keyboard apply
expect 1 'cannot be read' -- "$ctl" --kind keyboard macro import "$home/first.mac"
expect 1 'cannot be read' -- "$ctl" --kind keyboard macro delete 0 --yes
[ "$(cat "$folder/macro.config")" = '{"MacroInfo": [' ] || fail "the damaged list was replaced"
[ "$(assignment keyboard 64)" = $((0x700100)) ] || fail "key A lost its macro"
printf '%s' "$good" > "$folder/macro.config"
"$ctl" --simulate keyboard --kind keyboard --debug macro upload > "$home/up.txt" 2>&1 ||
    fail "upload after the mend"
agrees "$home/up.txt" "$slot" "$home/second.mac" || fail "key A does not play its macro again"

[ "$failures" = 0 ] && echo "all assignment runs passed"
exit $((failures > 0))
