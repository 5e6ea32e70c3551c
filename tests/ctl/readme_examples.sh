#!/bin/bash
# Every command line of the README's vivori-ctl section, and every example the tool's own
# help gives, run as written (the program's path aside) in one fresh data folder, in
# order: each must end with status 0. Usage: readme_examples.sh CTL SOURCE_DIR
set -u
ctl=$1
source_dir=$2
source "$(dirname "$0")/common.sh"
cd "$home" || exit 1

run() {  # run WHERE LINE: the line in bash with the program's path put in
    local out
    out=$(timeout 30 bash -c "${2//$3/$ctl}" 2>&1)
    local status=$?
    [ "$status" = 0 ] || fail "$1: '$2' ended with $status: $out"
    count=$((count + 1))
}

count=0
# The lines of the section's sh blocks that call the program.
while IFS= read -r line; do
    run README "$line" build/bin/vivori-ctl
done < <(awk '/^## vivori-ctl$/ { on = 1; next } on && /^## / { on = 0 }
              on && /^```/ { block = !block; next } on && block && /build\/bin\/vivori-ctl/' \
             "$source_dir/README.md")
[ "$count" -ge 30 ] || fail "only $count README lines found"

# The examples of "help COMMAND" (game needs the running application).
for command in $("$ctl" --help | awk '/^commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }' |
                 sort -u); do
    [ "$command" = game ] || [ "$command" = help ] && continue
    while IFS= read -r line; do
        run "help $command" "$line" vivori-ctl
    done < <("$ctl" help "$command" | sed -n '/^examples\?:$/,/^$/ s/^  \(vivori-ctl .*\)/\1/p')
done

[ "$failures" = 0 ] && echo "all $count examples ran"
exit $((failures > 0))
