#!/bin/bash
# vivori-ctl's file commands end to end in a fresh data folder: profile show, export
# and import; macro import, export, upload and delete. Usage: round_trip.sh CTL SOURCE_DIR
set -u
ctl=$1
source_dir=$2
source "$(dirname "$0")/common.sh"

# --- profiles ---------------------------------------------------------------
# A fresh folder: the list starts with one profile, a copy of the default. Show and
# export agree, and the export carries the name keys an import asks for.
"$ctl" --kind keyboard profile show > "$home/shown.json" || fail "profile show"
expect 0 'exported' -- "$ctl" --kind keyboard profile export "$home/default.json"
[ "$(json "$home/default.json" '"profilename" in d and "profileUUID" in d')" = True ] ||
    fail "the export has no profilename/profileUUID"
[ "$(json "$home/default.json" 'json.dumps(d["Device"][0], sort_keys=True)')" = \
  "$(json "$home/shown.json" 'json.dumps(d, sort_keys=True)')" ] ||
    fail "export and show disagree"
expect 1 'already exists; add --force' -- "$ctl" --kind keyboard profile export "$home/default.json"
expect 0 'exported' -- "$ctl" --kind keyboard profile export "$home/default.json" --force

# An edited export imported as a new profile is what show prints once it is selected.
python3 - "$home/default.json" "$home/edited.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
d["Device"][0]["LightInfo"]["Red"] = 17
d["Device"][0]["KeyList"][64]["Assignment"] = 0x700100  # key A plays macro 1
json.dump(d, open(sys.argv[2], "w"))
PY
expect 0 'imported as "edited"' -- "$ctl" --kind keyboard profile import "$home/edited.json"
expect 0 'selected "edited"' -- "$ctl" --kind keyboard profile select 1
"$ctl" --kind keyboard profile show > "$home/shown.json" || fail "profile show after import"
[ "$(json "$home/shown.json" 'd["LightInfo"]["Red"]')" = 17 ] || fail "the import did not arrive"
selected=$(json "$folder/ProfileList.ini" 'd["profilelist"][d["profileselect"]]["profileUUID"]')
current="$folder/$selected.Json"
[ -f "$current" ] || fail "no file for the selected profile"

# A FIFO is refused at once, not waited on; the list is unchanged.
mkfifo "$home/pipe.json"
before=$(cat "$folder/ProfileList.ini")
expect 1 '' -- "$ctl" --kind keyboard profile import "$home/pipe.json"
[ "$(cat "$folder/ProfileList.ini")" = "$before" ] || fail "a refused import changed the list"

# --- macros -----------------------------------------------------------------
golden="$source_dir/tests/macros/golden/jump.mac"
expect 0 'as "jump" \(macro 0\)' -- "$ctl" --kind keyboard macro import "$golden"
cat > "$home/second.mac" <<'MAC'
{"Events": [{"Action": "down", "Type": 10, "Button": 5, "Delay": "66"},
            {"Action": "up", "Type": 10, "Button": 5, "Delay": "0"}]}
MAC
expect 0 'as "second" \(macro 1\)' -- "$ctl" --kind keyboard macro import "$home/second.mac"
expect 0 '' -- "$ctl" --kind keyboard macro export 0 "$home/out.mac"
cmp -s "$golden" "$home/out.mac" || fail "macro export is not the imported file byte for byte"
expect 1 'already exists' -- "$ctl" --kind keyboard macro export 1 "$home/out.mac"
cmp -s "$golden" "$home/out.mac" || fail "a refused export changed the file"

# Upload: only macro 1 is played (by key A), so it is the image's first macro, and
# key A's slot is written with position 0 in the same run.
expect 0 'uploaded 1 macros .* and the key table' -- \
    "$ctl" --simulate keyboard --kind keyboard --debug macro upload
slot=$("$ctl" --simulate keyboard keyboard read | awk '$1 == "key" && $2 == 64 { print $4 }')
"$ctl" --simulate keyboard --kind keyboard --debug macro upload > "$home/upload.txt" 2>&1
python3 - "$home/upload.txt" "$slot" "$(dirname "$0")" <<'PY' || fail "upload (slot $slot)"
import sys
sys.path.insert(0, sys.argv[3])
from debug_frames import written
image, keys = written(sys.argv[1], 0x15), written(sys.argv[1], 0x09)
slot = int(sys.argv[2])
# Key A plays macro position 0, and the image's one macro is macro 1's two events:
# press B after 66 ms (42 00 8a 05), release B (00 00 0a 05).
assert list(keys[slot * 3:slot * 3 + 3]) == [0x70, 0, 0], "key A's slot"
assert image.find(bytes([0x42, 0, 0x8A, 5, 0, 0, 0x0A, 5])) > 0, image.hex()
# Macro 0 (press A after 35 ms: 23 00 8a 04) is played by no key, and not sent.
assert image.find(bytes([0x23, 0, 0x8A, 4])) < 0, image.hex()
PY

# Delete: the current profile plays macro 1, so it asks first and changes nothing.
list=$(cat "$folder/macro.config")
expect 1 'add --yes' -- "$ctl" --kind keyboard macro delete 1
[ "$(cat "$folder/macro.config")" = "$list" ] || fail "a declined delete changed the list"
[ "$(json "$current" 'd["Device"][0]["KeyList"][64]["Assignment"]')" = $((0x700100)) ] ||
    fail "a declined delete changed the profile"
expect 0 'deleted macro 1; 1 profile\(s\) repaired' -- "$ctl" --kind keyboard macro delete 1 --yes
[ "$(json "$current" 'd["Device"][0]["KeyList"][64]["Assignment"]')" = $((0x200004)) ] ||
    fail "key A did not get its default back"

# A listed profile that cannot be read is named, and the deletion waits for --yes.
python3 - "$folder/ProfileList.ini" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
d["profilelist"].append({"profilename": "Broken", "profileUUID": "broken",
                         "profileislink": 0, "profilelinkmame": ""})
json.dump(d, open(sys.argv[1], "w"))
PY
printf '{"Device": [ {"KeyList": [' > "$folder/broken.Json"
expect 1 'broken.Json' -- "$ctl" --kind keyboard macro delete 0
expect 0 'not repaired \(unreadable\): .*broken.Json' -- "$ctl" --kind keyboard macro delete 0 --yes
expect 0 'no macros' -- "$ctl" --kind keyboard macro list

[ "$failures" = 0 ] && echo "all round trips passed"
exit $((failures > 0))
