#!/bin/bash
# vivori-ctl's setters end to end on the simulated devices: what each stores in the
# current profile of its kind and what the device received (the --debug frames, the
# audio chip's settings); refusals change neither. Also: every code assign show prints
# is taken back by assign set. Usage: setters.sh CTL SOURCE_DIR
set -u
ctl=$1
source_dir=$2
source "$(dirname "$0")/common.sh"
frames=$(dirname "$0")
profile() {  # profile FOLDER EXPRESSION: a Python expression over the selected profile p
    python3 - "$data/$1" "$2" <<'PY'
import json, sys
folder = sys.argv[1]
lst = json.load(open(folder + "/ProfileList.ini"))
p = json.load(open(folder + "/" + lst["profilelist"][lst["profileselect"]]["profileUUID"] + ".Json"))["Device"][0]
print(eval(sys.argv[2]))
PY
}
block() {  # block DEBUG_FILE: the settings bytes the run wrote (WriteParams), from its first offset, hex
    python3 - "$1" "$frames" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from debug_frames import written
print(written(sys.argv[1], 0x06).hex())
PY
}
byte() {  # byte HEX N: byte N of a hex string, decimal
    echo $((16#${1:$((2 * $2)):2}))
}

# --- light set on every lit device -------------------------------------------
# Breathing is light mode 5 on the keyboard's page, 2 on the others'.
for device in keyboard mouse pad headset; do
    case $device in keyboard) folder=keyboard mode=5 ;; mouse) folder=mouse mode=2 ;;
                    pad) folder=MousePad mode=2 ;; headset) folder=HD mode=2 ;; esac
    "$ctl" --simulate $device --debug light set --device $device --effect Breathing \
        --colour 102030 --brightness 3 --speed 1 > "$home/set.txt" 2>&1 ||
        fail "light set $device: $(cat "$home/set.txt")"
    grep -q "stored: *effect $mode (Breathing), brightness 3, speed 1.*colourful 0, colour 102030" \
        "$home/set.txt" || fail "light set $device did not print what it stored"
    [ "$(profile $folder 'p["LightInfo"]["SelectItem"], p["LightInfo"]["Light"], p["LightInfo"]["Speed"], p["LightInfo"]["MultiColor"], p["LightInfo"]["Red"], p["LightInfo"]["Green"], p["LightInfo"]["Blue"]')" = \
      "($mode, 3, 1, 0, 16, 32, 48)" ] || fail "light set $device: the profile holds $(profile $folder 'p["LightInfo"]')"
    # Every device's settings block has brightness at 2, the wire speed (4 - speed) at
    # 3, colourful at 5 and the colour at 6-8.
    written=$(block "$home/set.txt")
    [ "$(byte "$written" 2) $(byte "$written" 3) $(byte "$written" 5) ${written:12:6}" = "3 3 0 102030" ] ||
        fail "light set $device wrote $written"
done
# Colourful with a colour, a name with blanks, a number; bad values change nothing.
expect 0 'effect 6 \(LED chase\).*colourful 1, colour 00ff00' -- \
    "$ctl" --simulate pad light set --device pad --effect led-chase --colour 00ff00 --colourful 1
before=$(profile MousePad 'p["LightInfo"]')
expect 2 'brightness takes a number from 0 to 4, not "abc"' -- \
    "$ctl" --simulate pad light set --device pad --brightness abc
expect 2 'brightness takes a number from 0 to 4, not "9"' -- \
    "$ctl" --simulate pad light set --device pad --brightness 9
expect 2 'offers no effect "Custom effect"' -- \
    "$ctl" --simulate pad light set --device pad --effect "Custom effect"
expect 2 'colour takes RRGGBB' -- "$ctl" --simulate pad light set --device pad --colour 12345
expect 2 'unknown option --kind' -- "$ctl" --simulate pad light set --device pad --kind 1
[ "$(profile MousePad 'p["LightInfo"]')" = "$before" ] || fail "a refused light set changed the profile"
# A device that does not answer: the failure is the exit status.
expect 1 'CMD_NO_REPLY' -- "$ctl" --simulate pad --fault no-reply light set --device pad --speed 2

# --- mouse set ---------------------------------------------------------------
"$ctl" --simulate mouse --debug mouse set --stage 1 --dpi 1600 --active-stage 1 --rate 2000 \
    > "$home/set.txt" 2>&1 || fail "mouse set: $(cat "$home/set.txt")"
grep -q 'stage 1 DPI 1600 (position 30)' "$home/set.txt" || fail "mouse set: $(cat "$home/set.txt")"
[ "$(profile mouse 'p["DPIStages"]["StageDPIs"][1]["StageDPIX"], p["DPIStages"]["StageActive"], p["ReportStages"]["StageActive"]')" = \
  "(30, 1, 4)" ] || fail "mouse set: the profile holds $(profile mouse 'p["DPIStages"], p["ReportStages"]')"
written=$(block "$home/set.txt")
# Report rate option 4 at 11, current stage at 12, stage 1's position at 14 + 9 + 2.
[ "$(byte "$written" 11) $(byte "$written" 12) $(byte "$written" 25)" = "4 1 30" ] ||
    fail "mouse set wrote $written"
expect 2 'rate takes 125, 250, 500, 1000 or 2000' -- "$ctl" --simulate mouse mouse set --rate 300
expect 2 'stage and --dpi go together' -- "$ctl" --simulate mouse mouse set --stage 1
expect 2 'stage takes a number from 0 to 4' -- "$ctl" --simulate mouse mouse set --stage 5 --dpi 800
[ "$(profile mouse 'p["ReportStages"]["StageActive"]')" = 4 ] || fail "a refused mouse set changed the profile"

# --- headset eq and mic --------------------------------------------------------
"$ctl" --simulate headset --debug headset eq --band 1000:-4 > "$home/set.txt" 2>&1 ||
    fail "headset eq: $(cat "$home/set.txt")"
grep -q '^audio set EQ_Slider6 = -4$' "$home/set.txt" || fail "the chip did not get band 6: $(cat "$home/set.txt")"
[ "$(profile HD 'p["SystemSetStages"]["EqType"], [b["value"] for b in p["EQHzValueInfo"][13]][5]')" = "(13, -4)" ] ||
    fail "headset eq --band: the profile holds $(profile HD 'p["SystemSetStages"]')"
"$ctl" --simulate headset --debug headset eq --preset 3 > "$home/set.txt" 2>&1 || fail "headset eq --preset"
grep -q '^audio set EQ_Slider1 = 10$' "$home/set.txt" || fail "the chip did not get preset 3"
[ "$(profile HD 'p["SystemSetStages"]["EqType"]')" = 3 ] || fail "headset eq --preset was not stored"
"$ctl" --simulate headset --debug headset mic --level 35 --mute 1 > "$home/set.txt" 2>&1 ||
    fail "headset mic: $(cat "$home/set.txt")"
grep -q '^audio set MuteControl = 1$' "$home/set.txt" || fail "the chip was not muted"
grep -q 'microphone level 35, muted' "$home/set.txt" || fail "headset mic did not say what it stored"
[ "$(profile HD 'p["SystemSetStages"]["MicInValue"], p["SystemSetStages"]["MicInSelect"]')" = "(35, 0)" ] ||
    fail "headset mic: the profile holds $(profile HD 'p["SystemSetStages"]')"
expect 2 'band takes HZ:DB' -- "$ctl" --simulate headset headset eq --band 1001:3
expect 2 'band takes HZ:DB' -- "$ctl" --simulate headset headset eq --band 1000:21
expect 2 'level takes a number from 0 to 100' -- "$ctl" --simulate headset headset mic --level x
[ "$(profile HD 'p["SystemSetStages"]["MicInValue"]')" = 35 ] || fail "a refused headset mic changed the profile"

# --- assign: every printed code is taken back ----------------------------------
for kind in keyboard mouse; do
    "$ctl" --kind $kind assign show --json > "$home/keys.json" || fail "assign show --json"
    python3 -c 'import json, sys; print("\n".join(k["codeText"] for k in json.load(open(sys.argv[1]))["keys"]))' \
        "$home/keys.json" | sort -u > "$home/codes.txt"
    "$ctl" --kind $kind assign show | grep -oE '^ *[0-9]+  .* ([0-9a-f]{6})  ' | grep -oE '[0-9a-f]{6}  $' | tr -d ' ' | sort -u | cmp -s - "$home/codes.txt" ||
        fail "assign show and its --json print other codes"
    key=$([ $kind = keyboard ] && echo 64 || echo 3)
    while read -r code; do
        # No device: the code is read and stored, then the write finds nothing (exit 1).
        out=$("$ctl" --simulate , --kind $kind assign set $key "$code" 2>&1)
        status=$?
        # A code is refused only by the device (a key it has no slot for), never by the reading.
        [ $status = 2 ] && fail "assign set $key $code is a usage error: $out"
        printf '%s\n' "$out" | grep -Eq "^stored: +$key  $code " || fail "assign set $key $code: $out"
        last=$code
    done < "$home/codes.txt"
    [ "$(profile "$kind" "'%06x' % p['KeyList'][$key]['Assignment']")" = "$last" ] ||
        fail "the last assign set stored $(profile "$kind" "p['KeyList'][$key]['Assignment']")"
done
expect 0 'stored: +64  20003e' -- "$ctl" --simulate keyboard --kind keyboard assign set 64 0x20003e
expect 0 'stored: +64  200005' -- "$ctl" --simulate keyboard --kind keyboard assign set 64 '#2097157'
expect 0 'stored: +64  700000' -- "$ctl" --simulate keyboard --kind keyboard assign set 64 700000
expect 2 'bad code 1000000' -- "$ctl" --simulate keyboard --kind keyboard assign set 64 1000000

[ "$failures" = 0 ] && echo "all setter runs passed"
exit $((failures > 0))
