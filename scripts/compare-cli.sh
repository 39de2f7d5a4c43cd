#!/usr/bin/env bash
# Compares two builds of veltrane-cli command by command: output bytes, standard error
# and exit status of run, sql, ctl and from-sql over the demo directory, the test
# fixtures and a small LDAP tree served by a slapd of its own on 127.0.0.1.
# Usage: scripts/compare-cli.sh OLD-veltrane-cli NEW-veltrane-cli
set -uo pipefail
cd "$(dirname "$0")/.."
old="$1" new="$2"
work="$(mktemp -d)"
slapd_pid=""
cleanup() {
    if [ -n "$slapd_pid" ]; then kill "$slapd_pid" 2>/dev/null; wait "$slapd_pid" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
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

# The LDAP tree: users in two nested units, with multi-valued, binary-free and absent
# properties, one of them under a name that needs escaping.
ldap="$work/ldap"
mkdir -p "$ldap/db"
cat >"$ldap/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
pidfile $ldap/slapd.pid
modulepath /usr/lib/ldap
moduleload back_mdb
database mdb
suffix "o=Acme"
rootdn "cn=admin,o=Acme"
rootpw secret
directory $ldap/db
CONF
{
    printf 'dn: o=Acme\nobjectClass: organization\no: Acme\n\n'
    printf 'dn: ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Sales\n\n'
    printf 'dn: ou=East,ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: East\n\n'
    for i in 1 2 3 4 5 6; do
        unit="ou=Sales,o=Acme"; [ $((i % 2)) -eq 0 ] && unit="ou=East,ou=Sales,o=Acme"
        printf 'dn: cn=user%d,%s\nobjectClass: inetOrgPerson\ncn: user%d\nsn: Surname%d\n' "$i" "$unit" "$i" "$i"
        printf 'telephoneNumber: +1 555 000%d\ntelephoneNumber: +1 556 000%d\n' "$i" "$i"
        [ "$i" -ne 3 ] && printf 'title: Title %d\n' $((i % 3))
        printf '\n'
    done
    printf 'dn: cn=Doe\\, Jane,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: Doe, Jane\nsn: Doe\n\n'
} >"$ldap/data.ldif"
printf 'secret' >"$ldap/admin.pw"
chmod 600 "$ldap/admin.pw"
if /usr/sbin/slapadd -q -f "$ldap/slapd.conf" -l "$ldap/data.ldif" 2>"$ldap/slapadd.log"; then
    port=$((20000 + RANDOM % 20000))
    uri="ldap://127.0.0.1:$port"
    /usr/sbin/slapd -d 0 -f "$ldap/slapd.conf" -h "$uri" >"$ldap/slapd.log" 2>&1 &
    slapd_pid=$!
    for _ in $(seq 100); do
        ldapsearch -x -H "$uri" -b "" -s base >/dev/null 2>&1 && break
        sleep 0.1
    done
    for recursive in 0 1; do
        printf '[options]\r\nclass=inetOrgPerson\r\nseparator=Tab\r\nvalseparator=Space\r\nusedelimiter=1\r\ndelimiter=DoubleQuote\r\ncontext=Sales.Acme\r\nrecursive=%d\r\nsortbycn=1\r\nfieldsonfirstline=1\r\naddcontainer=0\r\nnbproperties=4\r\nnbfilters=4\r\n[Properties]\r\n0=cn\r\n1=sn\r\n2=telephoneNumber\r\n3=title\r\n[Filter0]\r\nop=0\r\n[Filter1]\r\nop=0\r\n[Filter2]\r\nop=0\r\n[Filter3]\r\nop=0\r\n' \
            "$recursive" >"$ldap/users-$recursive.req"
        bind="--ldap $uri --bind-dn cn=admin,o=Acme --password-file $ldap/admin.pw --no-tls"
        cases+=("run $ldap/users-$recursive.req $bind" "run $ldap/users-$recursive.req --ldap $uri --no-tls")
    done
    cases+=("run docs/examples/users.req --ldap $uri --no-tls" "run $ldap/users-0.req --ldap ldap://127.0.0.1:1 --no-tls")
else
    echo "no slapd: the LDAP cases are left out" >&2
fi
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
