# What the vivori-ctl script tests share, sourced after ctl and source_dir are set: a
# fresh data folder removed at the end, a failure count, expect and json.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME=$home/data VIVORI_SIMULATE= VIVORI_DEBUG=
data="$XDG_DATA_HOME/VELTRA VIVORI Trivex V2"
folder="$data/keyboard"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# expect STATUS PATTERN -- COMMAND...: the exit status and a line of the output.
expect() {
    local status=$1 pattern=$2
    shift 3
    local out
    out=$(timeout 20 "$@" 2>&1)
    local got=$?
    [ "$got" = "$status" ] || fail "$* ended with $got, not $status: $out"
    printf '%s\n' "$out" | grep -Eq -- "$pattern" || fail "$* did not print /$pattern/: $out"
}
json() {  # json FILE EXPRESSION: the value of a Python expression over the document d
    python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); print(eval(sys.argv[2]))' "$@"
}
