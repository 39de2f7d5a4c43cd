#!/usr/bin/env bash
# Compares two builds of veltrane-cli command by command: output bytes, standard error
# and exit status of run, sql, ctl and from-sql over the demo directory and the test
# fixtures. Usage: scripts/compare-cli.sh OLD-veltrane-cli NEW-veltrane-cli
set -uo pipefail
cd "$(dirname "$0")/.."
old="$1" new="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
queries=(docs/examples/users.req bench/queries/users-5.req tests/data/five-conditions.REQ tests/data/legacy-1252.REQ)
sqls=(tests/data/worked-example.SQL tests/data/legacy-1252.SQL)
directories=("" tests/data/cli/acme.json tests/data/directory-small.json tests/data/object-directory.json)
cases=()
for d in "${directories[@]}"; do
    opt=(); [ -n "$d" ] && opt=(--directory "$d")
    for q in "${queries[@]}"; do cases+=("run $q ${opt[*]}"); done
    for s in "${sqls[@]}"; do cases+=("from-sql $s ${opt[*]}"); done
done
for q in "${queries[@]}"; do cases+=("sql $q" "ctl $q"); done
cases+=("run missing.req" "run docs/examples/users.req --tree NOWHERE" "bad-command")
same=0 differ=0
for c in "${cases[@]}"; do
    for side in old new; do
        bin="${!side}"
        # shellcheck disable=SC2086
        LC_ALL=C.UTF-8 "$bin" $c -o "$work/$side.out" >"$work/$side.stdout" 2>"$work/$side.err"
        echo $? >"$work/$side.status"
        [ -f "$work/$side.out" ] || : >"$work/$side.out"
    done
    if cmp -s "$work/old.out" "$work/new.out" && cmp -s "$work/old.err" "$work/new.err" &&
        cmp -s "$work/old.status" "$work/new.status" && cmp -s "$work/old.stdout" "$work/new.stdout"; then
        same=$((same + 1))
    else
        differ=$((differ + 1))
        echo "DIFFERS: $c"
    fi
    rm -f "$work"/old.* "$work"/new.*
done
echo "$same identical, $differ different"
[ "$differ" -eq 0 ]
