#!/usr/bin/env bash
# Times recursive exports of nested trees by veltrane-cli against ldapsearch of the same
# entries (a paged subtree search) plus its conversion to the same text, side by side in
# one run, with the peak memory of each:
#   - a slapd of its own holding N users in nested OUs: 4 regions, 5 departments each,
#     5 teams each; every level holds users, containers of several pages at every depth,
#     sub-containers listed before their parent's users and after them;
#   - the Active Directory test tree on a Samba DC of its own (tests/samba-dc.sh: 3,003
#     users in OUs up to four deep), unless --no-ad. The DC listens on 127.0.0.1's LDAP
#     ports: run it while no AD test runs.
#
#   bench/bench_ldap_nested.sh VELTRANE_CLI [N] [--no-ad]        (N: 100000 by default)
set -euo pipefail
cli=$(realpath "$1")
count=${2:-100000}
with_ad=1
[ "${3:-}" = --no-ad ] && with_ad=0
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "work folder: $work"
slapd_pid=""
cleanup() {
    if [ -n "$slapd_pid" ]; then kill "$slapd_pid" 2>/dev/null || true; wait "$slapd_pid" 2>/dev/null || true; fi
    [ -d "$work/dc" ] && "$here/../tests/samba-dc.sh" stop "$work/dc" >/dev/null 2>&1 || true
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
source "$here/bench_slapd.sh"
PATH=$PATH:/usr/sbin


# A query file of the users of class below context, recursive, sorted, with properties.
query() { # file class context properties...
    local file=$1 class=$2 context=$3
    shift 3
    {
        printf '[options]\r\nclass=%s\r\nseparator=Tab\r\nvalseparator=Space\r\nusedelimiter=0\r\n' "$class"
        printf 'context=%s\r\nrecursive=1\r\nsortbycn=1\r\nfieldsonfirstline=0\r\naddcontainer=0\r\n' "$context"
        printf 'nbproperties=%d\r\nnbfilters=%d\r\n[Properties]\r\n' $# $#
        local i=0
        for property in "$@"; do printf '%d=%s\r\n' $i "$property"; i=$((i + 1)); done
        for ((i = 0; i < $#; ++i)); do printf '[Filter%d]\r\nop=0\r\n' $i; done
    } > "$file"
}

# LDIF to the delimited text of the query (values joined by a blank), sorted; the
# attributes in their order, read case-insensitively.
to_text() { # attributes...
    awk -v names="$*" 'BEGIN { n = split(tolower(names), order, " ") }
        function flush(   i, line) {
            if (seen) {
                line = value[order[1]]
                for (i = 2; i <= n; ++i) line = line "\t" value[order[i]]
                printf "%s\r\n", line
            }
            delete value; seen = 0
        }
        /^$/ { flush(); next }
        /^dn: / { seen = 1; next }
        { split($0, kv, ": "); k = tolower(kv[1]); v = substr($0, length(kv[1]) + 3)
          if (k in value) value[k] = value[k] " " v; else value[k] = v }
        END { flush() }' | LC_ALL=C sort
}

compare() { # veltrane's output, the conversion's
    if LC_ALL=C sort "$1" | cmp -s - "$2"; then
        echo "same lines: $(wc -l < "$2")"
    else
        echo "the outputs differ:"
        LC_ALL=C sort "$1" | diff - "$2" | head -5
    fi
}

awk -v n="$count" '
    function users(dn, k,   i) {
        for (i = 0; i < k; ++i) {
            printf "dn: cn=user%07d,%s\nobjectClass: inetOrgPerson\ncn: user%07d\nsn: Surname%d\n", next_user, dn, next_user, next_user % 9973
            printf "givenName: Given%d\ntelephoneNumber: +1 555 %04d\ntelephoneNumber: +1 556 %04d\n", next_user % 101, next_user % 10000, next_user % 7919
            printf "mail: user%07d@bench.example\n\n", next_user
            ++next_user
        }
    }
    function ou(dn, name) { printf "dn: ou=%s,%s\nobjectClass: organizationalUnit\nou: %s\n\n", name, dn, name; return "ou=" name "," dn }
    function department(dn,   t, d) {
        for (t = 0; t < 5; ++t) users(ou(dn, "Team" t), int(n * 6 / 1000))
        users(dn, int(n / 100))
    }
    BEGIN {
        print "dn: o=Bench\nobjectClass: organization\no: Bench\n"
        for (r = 0; r < 4; ++r) {
            region = ou("o=Bench", "Region" r)
            department(ou(region, "Dept0")); department(ou(region, "Dept1"))
            users(region, int(n / 20))
            department(ou(region, "Dept2")); department(ou(region, "Dept3")); department(ou(region, "Dept4"))
        }
    }' > data.ldif

start_bench_slapd

attributes=(cn sn givenName telephoneNumber mail)
query nested.req inetOrgPerson Bench "${attributes[@]}"
bind=(-x -H "$uri" -D "cn=admin,o=Bench" -y admin.pw)
search=(-LLL -o ldif-wrap=no -E pr=500/noprompt -b o=Bench -s sub "(objectClass=inetOrgPerson)")
# Untimed, so that every command timed meets a server whose caches hold the entries.
ldapsearch "${bind[@]}" "${search[@]}" "${attributes[@]}" > /dev/null

echo "OpenLDAP: $(grep -c '^dn: cn=' data.ldif) users in $(grep -c '^dn: ou=' data.ldif) nested OUs, $uri"
measure "veltrane-cli run" "$cli" run nested.req --ldap "$uri" --bind-dn "cn=admin,o=Bench" \
    --password-file admin.pw --no-tls -o veltrane.txt
measure "ldapsearch + conversion" bash -c "$(declare -p bind search attributes); $(declare -f to_text);
    ldapsearch \"\${bind[@]}\" \"\${search[@]}\" \"\${attributes[@]}\" | to_text \"\${attributes[@]}\" > ldapsearch.txt"
compare veltrane.txt ldapsearch.txt
# The same in pages as large as the client's subtree search asks for once its entries
# show they are small.
search[4]=pr=5000/noprompt
measure "ldapsearch (pages of 5000) + conv." bash -c "$(declare -p bind search attributes); $(declare -f to_text);
    ldapsearch \"\${bind[@]}\" \"\${search[@]}\" \"\${attributes[@]}\" | to_text \"\${attributes[@]}\" > ldapsearch.txt"
compare veltrane.txt ldapsearch.txt
kill "$slapd_pid"
wait "$slapd_pid" 2>/dev/null || true
slapd_pid=""

[ "$with_ad" = 1 ] || exit 0
"$here/../tests/samba-dc.sh" start "$work/dc" > dc.log 2>&1 || {
    echo "the Samba DC did not start:"
    tail -5 dc.log
    exit 1
}
attributes=(cn sn givenName telephoneNumber)
query ad.req user Acme.acme.test CN sn givenName telephoneNumber
bind=(-H ldaps://127.0.0.1 -x -D Administrator@acme.test -y "$work/dc/admin.pw")
search=(-LLL -o ldif-wrap=no -E pr=1000/noprompt -b OU=Acme,DC=acme,DC=test -s sub "(objectClass=user)")
export LDAPTLS_CACERT="$work/dc/ca.pem"
ldapsearch "${bind[@]}" "${search[@]}" "${attributes[@]}" > /dev/null
echo "Active Directory (Samba): $(ldapsearch "${bind[@]}" "${search[@]}" 1.1 | grep -c '^dn: ') users, ldaps://127.0.0.1"
measure "veltrane-cli run" "$cli" run ad.req --ldap ldaps://127.0.0.1 --base DC=acme,DC=test \
    --ca-file "$work/dc/ca.pem" --bind-dn Administrator@acme.test --password-file "$work/dc/admin.pw" -o veltrane-ad.txt
measure "ldapsearch + conversion" bash -c "$(declare -p bind search attributes); $(declare -f to_text);
    ldapsearch \"\${bind[@]}\" \"\${search[@]}\" \"\${attributes[@]}\" | to_text \"\${attributes[@]}\" > ldapsearch-ad.txt"
compare veltrane-ad.txt ldapsearch-ad.txt
