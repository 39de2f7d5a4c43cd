#!/usr/bin/env bash
# Runs veltrane-cli on large and hostile query files and SQL texts and prints, for each,
# the exit status, the first line of standard error, the elapsed time and the peak
# memory (maximum resident set size, from /usr/bin/time -v).
# Usage: scripts/hostile-inputs.sh [veltrane-cli]   (default build-release/src/cli/veltrane-cli)
set -uo pipefail
cd "$(dirname "$0")/.."
cli="$(realpath "${1:-build-release/src/cli/veltrane-cli}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]

def query(name, options, properties, filters):
    with open(f"{work}/{name}", "w", newline="") as f:
        f.write("[options]\r\nclass=User\r\n" + "".join(o + "\r\n" for o in options))
        f.write("[Properties]\r\n")
        for key, value in properties:
            f.write(f"{key}={value}\r\n")
        for i in range(filters):
            f.write(f"[Filter{i}]\r\nop=6\r\ntip=1\r\nv1=x\r\nv2=\r\ntn=String\r\ndisp=1\r\n")

n = 100000
query("sections-100k.req", [f"nbproperties={n}", f"nbfilters={n}"], [(i, f"Property {i}") for i in range(n)], n)
query("sections-270k.req", ["nbproperties=100", "nbfilters=270000"], [(i, f"P{i}") for i in range(100)], 270000)
query("sections-1m.req", ["nbproperties=100", "nbfilters=1000000"], [(i, f"P{i}") for i in range(100)], 1000000)
query("count-max.req", ["nbproperties=2147483647", "nbfilters=0"], [(2147483646, "CN")], 0)
query("key-max.req", ["nbproperties=2147483647", "nbfilters=0"], [(2147483647, "CN")], 0)

with open(f"{work}/and-40k.sql", "w") as f:
    f.write("SELECT CN FROM User\nWHERE CN = 'x'" + "".join(f"\nAND Surname = 'v{i}'" for i in range(40000)) + "\n")
with open(f"{work}/select-20k.sql", "w") as f:
    f.write("SELECT CN" + "".join(f",\n[Surname]" for i in range(20000)) + "\nFROM User\n")
with open(f"{work}/columns-50mb.sql", "w") as f:
    f.write("SELECT CN")
    f.write(",\nCN" * (50 * 1024 * 1024 // 4))
    f.write("\nFROM User\n")
with open(f"{work}/name-50mb.sql", "w") as f:
    f.write("SELECT [" + "N" * (50 * 1024 * 1024) + "]\nFROM User\n")
with open(f"{work}/sql-65mb.sql", "w") as f:
    f.write("SELECT CN FROM User\n" + " " * (65 * 1024 * 1024))
EOF

measure() {
    local label="$1"
    shift
    /usr/bin/time -v "$cli" "$@" >"$work/out" 2>"$work/err"
    local status=$?
    local elapsed rss message
    elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/err")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/err")
    message=$(grep -v '^\s' "$work/err" | grep -v 'Command exited with non-zero status' | head -1 | cut -c1-160)
    printf '%-40s status %-3s %8s %7d MB  %s\n' "$label" "$status" "$elapsed" $((rss / 1024)) "$message"
}

measure "sql, 100,000 sections" sql "$work/sections-100k.req" -o "$work/q.sql"
measure "ctl, 100,000 sections" ctl "$work/sections-100k.req" -o "$work/q.ctl"
measure "sql, 270,000 sections (just < 16 MiB)" sql "$work/sections-270k.req" -o "$work/q.sql"
measure "sql, 1,000,000 sections (59 MB)" sql "$work/sections-1m.req" -o "$work/q.sql"
measure "sql, nbproperties and key 2147483646" sql "$work/count-max.req" -o "$work/q.sql"
measure "sql, key 2147483647" sql "$work/key-max.req" -o "$work/q.sql"
measure "from-sql, 40,000 AND conditions" from-sql "$work/and-40k.sql" -o "$work/q.req"
measure "from-sql, 20,000 SELECT columns" from-sql "$work/select-20k.sql" -o "$work/q.req"
measure "sql of that query (20,001 rows)" sql "$work/q.req" -o "$work/q2.sql"
measure "from-sql, 50 MB of columns" from-sql "$work/columns-50mb.sql" -o "$work/q.req"
measure "from-sql, a 50 MB name" from-sql "$work/name-50mb.sql" -o "$work/q.req"
measure "from-sql, 65 MB text" from-sql "$work/sql-65mb.sql" -o "$work/q.req"
