"""vivori-ctl --json: each command that prints data prints one JSON document with its
keys and their types; the commands that print none refuse the option; a failure prints
no document. Usage: json_output.py CTL"""
import json
import os
import subprocess
import sys
import tempfile

ctl = sys.argv[1]
home = tempfile.mkdtemp()
env = dict(os.environ, XDG_DATA_HOME=home, VIVORI_SIMULATE="", VIVORI_DEBUG="")
failures = []


def run(*args):
    done = subprocess.run([ctl, *args], capture_output=True, text=True, env=env, timeout=30)
    return done.returncode, done.stdout, done.stderr


def document(args):
    status, out, err = run(*args, "--json")
    if status != 0:
        failures.append(f"{' '.join(args)} --json ended with {status}: {err}")
        return None
    try:
        return json.loads(out)
    except ValueError as e:
        failures.append(f"{' '.join(args)} --json is no JSON document ({e}): {out[:200]}")
        return None


def check(where, value, shape):
    """shape: a type, a tuple of types, a dict of key -> shape, or [shape] for arrays."""
    if isinstance(shape, dict):
        if not isinstance(value, dict):
            return failures.append(f"{where}: {value!r} is no object")
        for key, inner in shape.items():
            if key not in value:
                failures.append(f"{where}: no key {key!r} among {sorted(value)}")
            else:
                check(f"{where}.{key}", value[key], inner)
    elif isinstance(shape, list):
        if not isinstance(value, list) or not value:
            return failures.append(f"{where}: {value!r} is no non-empty array")
        for i, item in enumerate(value):
            check(f"{where}[{i}]", item, shape[0])
    elif type(value) is bool and bool not in (shape if isinstance(shape, tuple) else (shape,)):
        failures.append(f"{where}: {value!r} is a boolean")
    elif not isinstance(value, shape):
        failures.append(f"{where}: {value!r} is not {shape}")


light = {"mode": int, "brightness": int, "speed": int, "direction": int, "colourful": int,
         "colour": str}
cases = [
    (["--simulate", "keyboard,mouse,pad,headset", "list"],
     {"devices": [{"row": int, "vid": int, "pid": int, "interface": int, "collection": int,
                   "kind": int, "link": int, "name": str, "path": str}]}),
    (["--simulate", "keyboard,pad", "power"],
     {"devices": [{"device": str, "link": str, "battery": int, "charging": bool,
                   "online": bool, "read": str}]}),
    (["--simulate", "mouse", "--device", "mouse", "info"],
     {"device": str, "block": [int], "keySlots": int, "macroMemory": int, "sensor": int,
      "dpiStep": int, "dpiBase": int, "highestPosition": int}),
    (["--simulate", "keyboard", "keymap"], {"keySlots": int, "slots": [[int]]}),
    (["--simulate", "keyboard", "keyboard", "read"],
     {"keySlots": int, "keys": [{"key": int, "slot": int, "led": int, "code": int}],
      "lightSlot": int, "block": [int], "fields": {"modeCode": int, "pollingRate": int},
      "light": dict(light, further=int, colourBlock=int)}),
    (["--simulate", "mouse", "mouse", "read"],
     {"sensor": int, "dpiStep": int, "dpiBase": int, "highestPosition": int,
      "profileIndex": int, "currentStage": int, "pollingIndex": int, "reportRate": int,
      "stages": [{"index": int, "active": int, "position": int, "dpi": int, "colour": str}],
      "light": light,
      "buttons": [{"index": int, "name": str, "slot": (int, type(None)), "code": int,
                   "function": str}]}),
    (["--simulate", "pad", "pad", "read"],
     {"profileIndex": int, "block": [int], "fields": {"mode": {"value": int, "device": int}}}),
    (["--simulate", "headset", "headset", "read"],
     {"profileIndex": int, "block": [int], "light": light,
      "audio": {"playbackFeatures": [int], "recordingFeatures": [int],
                "microphone": {"on": bool, "level": int}, "monitoring": {"on": bool, "level": int},
                "voiceEffect": {"on": bool, "effect": int},
                "equaliser": {"preset": int, "bands": [{"hz": int, "db": int}]}}}),
    (["--kind", "pad", "profile", "list"],
     {"selected": int, "profiles": [{"index": int, "name": str, "uuid": str, "selected": bool}]}),
    (["--kind", "pad", "profile", "show"], {"LightInfo": {"Red": int}}),
    (["--kind", "keyboard", "assign", "show"],
     {"kind": str, "profile": (str, type(None)),
      "keys": [{"index": int, "name": str, "code": int, "codeText": str, "function": str,
                "changed": bool}]}),
    (["recoil", "show"],
     {"patterns": [{"index": int, "source": str, "events": int,
                    "bullets": [{"bullet": int, "x": int, "left": bool, "y": int, "up": bool,
                                 "delay": int}]}]}),
    (["--simulate", ",", "update", "check", "--url", "https://127.0.0.1:9/api/"],
     {"overall": int, "rows": [{"name": str, "current": str, "new": str, "state": int,
                                "localFile": str}]}),
]
for args, shape in cases:
    d = document(args)
    if d is not None:
        check(" ".join(args), d, shape)

# Macro list: empty at first, then one entry with its event count.
check("macro list", document(["--kind", "keyboard", "macro", "list"]), {"macros": list})
mac = os.path.join(home, "jump.mac")
with open(mac, "w") as f:
    json.dump({"Events": [{"Action": "down", "Type": 10, "Button": 4, "Delay": "35"}]}, f)
run("--kind", "keyboard", "macro", "import", mac)
check("macro list", document(["--kind", "keyboard", "macro", "list"]),
      {"macros": [{"index": int, "name": str, "guid": str, "events": int}]})

# Values agree with what the plain output and the devices say.
d = document(["--simulate", "keyboard,mouse,pad,headset", "list"]) or {"devices": []}
plain = run("--simulate", "keyboard,mouse,pad,headset", "list")[1].splitlines()
if [line.split("\t")[8] for line in plain] != [e["path"] for e in d["devices"]]:
    failures.append("list and list --json name other paths")
keys = (document(["--kind", "keyboard", "assign", "show"]) or {"keys": []})["keys"]
if any(int(k["codeText"], 16) != k["code"] for k in keys):
    failures.append("a codeText is not its code")

# A power read that fails is null, not a number, and the status says so.
status, out, err = run("--simulate", "pad", "--fault", "no-reply", "power", "--json")
record = json.loads(out)["devices"][0] if out else {}
if status != 1 or record.get("read") != "failed" or record.get("battery") is not None:
    failures.append(f"power --json of a silent pad: {status} {out} {err}")

# Commands without data refuse --json; a failure prints no document.
for args in (["--simulate", "keyboard", "params", "read", "0", "4"], ["light", "run", "--mode",
             "4", "--steps", "1"], ["--kind", "pad", "profile", "add"]):
    status, out, _ = run(*args, "--json")
    if status != 2 or out:
        failures.append(f"{' '.join(args)} --json: {status} {out[:80]}")
status, out, _ = run("--simulate", "keyboard", "--device", "mouse", "info", "--json")
if status != 1 or out:
    failures.append(f"a failed info --json printed {out[:80]!r} ({status})")

for failure in failures:
    print("FAIL:", failure)
if not failures:
    print("all JSON documents checked")
sys.exit(1 if failures else 0)
