#!/usr/bin/env bash
# Times veltrane-cli exporting N users from a slapd of its own (five properties, one of
# them multi-valued, one condition, sorted) against ldapsearch of the same entries and
# attributes to an LDIF file plus its conversion to the same delimited text, and against
# bare ldapsearch; with the peak memory of each.
#
#   bench/bench_ldap_export.sh VELTRANE_CLI [N]        (N: 100000 by default)
set -euo pipefail
cli=$(realpath "$1")
count=${2:-100000}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
slapd_pid=""
cleanup() {
    if [ -n "$slapd_pid" ]; then kill "$slapd_pid" 2>/dev/null || true; wait "$slapd_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
source "$here/bench_slapd.sh"

awk -v n="$count" 'BEGIN {
    print "dn: o=Bench\nobjectClass: organization\no: Bench\n"
    print "dn: ou=Users,o=Bench\nobjectClass: organizationalUnit\nou: Users\n"
    for (i = 0; i < n; ++i) {
        printf "dn: cn=user%07d,ou=Users,o=Bench\nobjectClass: inetOrgPerson\ncn: user%07d\nsn: Surname%d\n", i, i, i % 9973
        printf "givenName: Given%d\ntelephoneNumber: +1 555 %04d\ntelephoneNumber: +1 556 %04d\n", i % 101, i % 10000, i % 7919
        printf "mail: user%07d@bench.example\ntitle: Title %d\n\n", i, i % 17
    }
}' > data.ldif

start_bench_slapd

# The query: users of Users.Bench whose title exists, sorted; cn, sn, givenName, the
# telephone numbers (two each) and mail.
printf '[options]\r\nclass=inetOrgPerson\r\nseparator=Tab\r\nvalseparator=Space\r\nusedelimiter=0\r\ncontext=Users.Bench\r\nrecursive=0\r\nsortbycn=1\r\nfieldsonfirstline=0\r\naddcontainer=0\r\nnbproperties=6\r\nnbfilters=6\r\n[Properties]\r\n0=cn\r\n1=sn\r\n2=givenName\r\n3=telephoneNumber\r\n4=mail\r\n5=title\r\n[Filter0]\r\nop=0\r\n[Filter1]\r\nop=0\r\n[Filter2]\r\nop=0\r\n[Filter3]\r\nop=0\r\n[Filter4]\r\nop=0\r\n[Filter5]\r\nop=1\r\ntn=String\r\ntip=2\r\ndisp=0\r\n' > users.req
bind=(-x -H "$uri" -D "cn=admin,o=Bench" -y admin.pw)
attributes=(cn sn givenName telephoneNumber mail title)


# One search first, untimed, so that every command timed meets a server whose caches
# hold the entries (the first to run would otherwise pay for loading them).
ldapsearch "${bind[@]}" -LLL -E pr=500/noprompt -b ou=Users,o=Bench -s one "(objectClass=inetOrgPerson)" \
    "${attributes[@]}" > /dev/null

echo "$count users, $uri"
measure "veltrane-cli run" "$cli" run users.req --ldap "$uri" --bind-dn "cn=admin,o=Bench" \
    --password-file admin.pw --no-tls -o veltrane.txt
# ldapsearch to LDIF, then LDIF to the same delimited text (values joined by a blank,
# sorted by cn as veltrane-cli sorts these names).
to_text() {
    ldapsearch "${bind[@]}" -LLL -o ldif-wrap=no -E pr=500/noprompt -b ou=Users,o=Bench -s one \
        "(objectClass=inetOrgPerson)" "${attributes[@]}" > search.ldif
    awk 'function flush() {
            if (cn != "" && title != "") printf "%s\t%s\t%s\t%s\t%s\r\n", cn, sn, given, phones, mail
            cn = sn = given = phones = mail = title = ""
        }
        /^$/ { flush(); next }
        { split($0, kv, ": "); k = kv[1]; v = substr($0, length(k) + 3) }
        k == "cn" { cn = v } k == "sn" { sn = v } k == "givenName" { given = v } k == "mail" { mail = v }
        k == "title" { title = v } k == "telephoneNumber" { phones = phones == "" ? v : phones " " v }
        END { flush() }' search.ldif | LC_ALL=C sort > ldapsearch.txt
}
measure "ldapsearch + conversion" bash -c "$(declare -p bind attributes); $(declare -f to_text); to_text"
measure "bare ldapsearch" bash -c "$(declare -p bind attributes); ldapsearch \"\${bind[@]}\" -LLL -o ldif-wrap=no \
    -E pr=500/noprompt -b ou=Users,o=Bench -s one '(objectClass=inetOrgPerson)' \"\${attributes[@]}\" > bare.ldif"
if cmp -s veltrane.txt ldapsearch.txt; then
    echo "same lines: $(wc -l < veltrane.txt)"
else
    echo "the outputs differ:"
    diff veltrane.txt ldapsearch.txt | head -5
fi
