#!/usr/bin/env bash
# Runs veltrane-cli on large and hostile query files, SQL texts and directory files (these
# made by bench/gen_directory of the same build and by the script) and prints, for each,
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

# Directory files of long names and long values, with the fault sweep's schema.
import json
schema = json.load(open("tests/data/cli/sweep.json"))["trees"][0]["schema"]
def directory(name, users):
    tree = {"name": "BIG", "identity": "Admin.Big", "defaultContext": "Big", "schema": schema,
            "objects": [{"name": "O=Big", "class": "Organization", "values": {"O": ["Big"]}, "children": users}]}
    with open(f"{work}/{name}", "w") as f:
        json.dump({"trees": [tree]}, f)
def user(cn, **values):
    return {"name": "CN=" + cn, "class": "User", "values": {"CN": [cn], **values}}
# Full names of 240 bytes (the directory holds 256), each with a value of 1,000 characters.
directory("names-240.json", [user("%06d" % i + "n" * 230, Surname=["S" * 1000]) for i in range(100000)])
# 50,000 users, then one whose full name is past 256 bytes.
directory("name-300.json", [user("u%d" % i) for i in range(50000)] + [user("x" * 300)])
# 200 users with a value of 1 MiB and ten of 100 KB: more than a read's buffer holds.
directory("values-1mib.json", [user("v%d" % i, Description=["D" * (1 << 20)],
                                    **{"Telephone Number": [str(j) * 100000 for j in range(10)]})
                               for i in range(200)])
with open(f"{work}/long.req", "w", newline="") as f:
    f.write("[options]\r\nclass=User\r\ncontext=Big\r\nsortbycn=1\r\nnbproperties=4\r\nnbfilters=4\r\n"
            "[Properties]\r\n0=CN\r\n1=Surname\r\n2=Description\r\n3=Telephone Number\r\n"
            + "".join(f"[Filter{i}]\r\nop=0\r\n" for i in range(4)))
EOF
generator="$(dirname "$cli")/../../bench/gen_directory"
"$generator" 100000 "$work/dir-100k.json" >/dev/null
"$generator" 1000000 "$work/dir-1m.json" >/dev/null
head -c 300000000 "$work/dir-1m.json" >"$work/dir-1m-cut.json"

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
measure "run, 100,000 objects (44 MB)" run bench/queries/users-5.req --directory "$work/dir-100k.json" -o "$work/r.txt"
measure "run, 1,000,000 objects (436 MB)" run bench/queries/users-5.req --directory "$work/dir-1m.json" -o "$work/r.txt"
measure "run, those cut at 300 MB" run bench/queries/users-5.req --directory "$work/dir-1m-cut.json" -o "$work/r.txt"
measure "run, 100,000 names of 240 bytes" run "$work/long.req" --directory "$work/names-240.json" -o "$work/r.txt"
measure "run, a name past 256 bytes" run "$work/long.req" --directory "$work/name-300.json" -o "$work/r.txt"
measure "run, 200 values of 1 MiB" run "$work/long.req" --directory "$work/values-1mib.json" -o "$work/r.txt"
