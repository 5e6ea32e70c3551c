#!/bin/bash
# What vivori-ctl refuses or corrects in the files it takes, end to end in a fresh data
# folder: profile names, profiles of another device kind, recoil patterns, and event
# values out of a device record's range. Usage: data_checks.sh CTL SOURCE_DIR
set -u
ctl=$1
source_dir=$2
source "$(dirname "$0")/common.sh"
listing() { "$ctl" --kind keyboard profile list; }

# --- profile names ------------------------------------------------------------
listing > /dev/null || fail "profile list"
expect 0 'renamed to "Raid"' -- "$ctl" --kind keyboard profile rename Raid
expect 1 'control character' -- "$ctl" --kind keyboard profile rename "$(printf 'two\nlines')"
expect 1 'longer than 32 characters' -- "$ctl" --kind keyboard profile rename "$(printf '%033d' 0)"
[ "$(listing | wc -l)" = 1 ] || fail "a refused rename changed the listing: $(listing)"
listing | grep -q ' Raid ' || fail "the name is not Raid any more: $(listing)"
# "Raid copy copy copy copy copy" is 29 characters; one more copy is refused.
for n in 1 2 3 4 5; do
    expect 0 'copied as' -- "$ctl" --kind keyboard profile copy
done
expect 1 'rename it first' -- "$ctl" --kind keyboard profile copy
[ "$(listing | wc -l)" = 6 ] || fail "the refused copy was listed: $(listing)"
[ "$(ls "$data/keyboard"/*.Json | wc -l)" = 6 ] || fail "the refused copy left a file"

# A line break an older program left in a name still gives one line per profile.
python3 - "$data/keyboard/ProfileList.ini" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
d["profilelist"][1]["profilename"] = "old\nname"
json.dump(d, open(sys.argv[1], "w"))
PY
[ "$(listing | wc -l)" = 6 ] || fail "a stored line break split the listing: $(listing)"
listing | grep -q ' old?name ' || fail "the stored line break is not shown as ?: $(listing)"

# --- another kind's profile ---------------------------------------------------
expect 0 'exported' -- "$ctl" --kind mouse profile export "$home/Sniper.json"
expect 1 'it is a mouse profile, and this is the keyboard.s list' -- \
    "$ctl" --kind keyboard profile import "$home/Sniper.json"
[ "$(listing | wc -l)" = 6 ] || fail "the mouse profile was listed"
expect 0 'imported as "Sniper"' -- "$ctl" --kind mouse profile import "$home/Sniper.json"

# --- recoil patterns ----------------------------------------------------------
mouse="$data/mouse"
"$ctl" recoil show > /dev/null || fail "recoil show"
expect 0 'exported' -- "$ctl" recoil export "$home/p0.shoot" --pattern 0
cp "$home/p0.shoot" "$mouse/ShootData_0.Shoot"
before=$(cat "$mouse/ShootData_0.Shoot")
expect 1 'not a recoil pattern: event 1 is a keyboard key' -- \
    "$ctl" recoil import "$source_dir/tests/macros/golden/jump.mac"
echo '{"Events": []}' > "$home/empty.shoot"
expect 1 'not a recoil pattern: it holds no events' -- "$ctl" recoil import "$home/empty.shoot"
[ "$(cat "$mouse/ShootData_0.Shoot")" = "$before" ] || fail "a refused import changed pattern 0"
# A real pattern with a pull past a byte is clamped and the correction printed.
python3 - "$home/p0.shoot" "$home/wide.shoot" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
d["Events"][2]["Button"] = 700
json.dump(d, open(sys.argv[2], "w"))
PY
expect 0 'corrected: event 3: "Button" 700 is out of range 0..255; 255 used' -- \
    "$ctl" recoil import "$home/wide.shoot" --pattern 2
[ "$(json "$mouse/ShootData_2.Shoot" 'd["Events"][2]["Button"]')" = 255 ] ||
    fail "the pull was not clamped to 255"

# --- event types --------------------------------------------------------------
cat > "$home/loud.mac" <<'MAC'
{"Events": [{"Action": "down", "Type": 300, "Button": 4, "Delay": "5"}]}
MAC
expect 0 '"Type" 300 is out of range 0..127; 127 used' -- \
    "$ctl" --kind keyboard macro import "$home/loud.mac"
guid=$(json "$data/keyboard/macro.config" 'd["MacroInfo"][0]["Guid"]')
[ "$(json "$data/keyboard/$guid.mac" 'd["Events"][0]["Type"]')" = 127 ] ||
    fail "the type was not clamped to 127"

[ "$failures" = 0 ] && echo "all data checks passed"
exit $((failures > 0))
