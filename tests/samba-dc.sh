#!/usr/bin/env bash
# An Active Directory domain controller of the tests' own (Samba), shared by the AD tests
# of one run:
#   samba-dc.sh start DIR   provisions the domain ACME.TEST in DIR, makes a certificate
#                           authority and a certificate for 127.0.0.1, loads the test tree
#                           and starts the DC on loopback (ldap://127.0.0.1, ldaps://127.0.0.1)
#   samba-dc.sh stop DIR    stops it and removes DIR
# On success DIR holds ca.pem (the authority), admin.pw (the Administrator's password,
# owner only), tree.ldif (what was loaded) and ready. Anything missing fails loudly.
set -euo pipefail

command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}

stop() {
    if [ -f "$dir/samba.pid" ]; then
        pid=$(cat "$dir/samba.pid")
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid"
            for _ in $(seq 1 100); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
        fi
    fi
    rm -rf "$dir"
}

if [ "$command" = stop ]; then
    stop
    exit 0
fi
[ "$command" = start ] || {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}

for tool in samba samba-tool ldbadd ldapsearch openssl; do
    command -v "$tool" >/dev/null || PATH=$PATH:/usr/sbin
    command -v "$tool" >/dev/null || {
        echo "samba-dc: $tool is not installed (scripts/install-deps.sh installs it)" >&2
        exit 1
    }
done

stop
mkdir -p "$dir/tls"
dir=$(cd "$dir" && pwd)
started=$(date +%s.%N)

# The DC's own certificate names only its host: the tests use one for 127.0.0.1.
(
    cd "$dir/tls"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Acme-Test-CA -keyout ca.key -out ca.pem 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout server.key -out server.csr 2>/dev/null
    printf 'subjectAltName=IP:127.0.0.1\n' >server.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile server.ext \
        -out server.pem 2>/dev/null
    chmod 600 server.key
)
cp "$dir/tls/ca.pem" "$dir/ca.pem"

password='Veltrane-Test-1'
samba-tool domain provision --targetdir "$dir/dc" --realm ACME.TEST --domain ACME --server-role dc \
    --dns-backend NONE --host-name dc1 --adminpass "$password" \
    --option="interfaces = lo" --option="bind interfaces only = yes" \
    --option="server services = ldap" --option="dcerpc endpoint servers = -winreg -srvsvc" \
    --option="tls enabled = yes" --option="tls keyfile = $dir/tls/server.key" \
    --option="tls certfile = $dir/tls/server.pem" --option="tls cafile = $dir/tls/ca.pem" \
    --option="pid directory = $dir/run" >"$dir/provision.log" 2>&1 || {
    cat "$dir/provision.log" >&2
    echo "samba-dc: the domain could not be provisioned" >&2
    exit 1
}
provisioned=$(date +%s.%N)

# The test tree: users in nested OUs below OU=Acme, and a few users whose values the
# tests check (times, a large integer, a UPN).
base="DC=acme,DC=test"
{
    printf 'dn: OU=Acme,%s\nobjectClass: organizationalUnit\nou: Acme\n\n' "$base"
    for ou in "OU=Sales,OU=Acme" "OU=Europe,OU=Sales,OU=Acme" "OU=Paris,OU=Europe,OU=Sales,OU=Acme" \
        "OU=Engineering,OU=Acme" "OU=Storage,OU=Engineering,OU=Acme"; do
        printf 'dn: %s,%s\nobjectClass: organizationalUnit\nou: %s\n\n' "$ou" "$base" "${ou%%,*}" |
            sed 's/^ou: OU=/ou: /'
    done
    n=0
    for place in "OU=Sales,OU=Acme:700" "OU=Europe,OU=Sales,OU=Acme:600" \
        "OU=Paris,OU=Europe,OU=Sales,OU=Acme:1100" "OU=Engineering,OU=Acme:300" \
        "OU=Storage,OU=Engineering,OU=Acme:300"; do
        ou=${place%:*}
        count=${place##*:}
        for _ in $(seq 1 "$count"); do
            n=$((n + 1))
            name=$(printf 'user%05d' "$n")
            printf 'dn: CN=%s,%s,%s\nobjectClass: user\ncn: %s\nsAMAccountName: %s\nsn: Surname%05d\n' \
                "$name" "$ou" "$base" "$name" "$name" "$n"
            printf 'givenName: Given%05d\nuserPrincipalName: %s@acme.test\ntelephoneNumber: +1 555 %05d\n\n' \
                "$n" "$name" "$n"
        done
    done
    # 2030-06-15 12:00:00 and 2500-01-01 00:00:00 UTC; 5,000,000,000 bytes.
    printf 'dn: CN=jdoe,OU=Acme,%s\nobjectClass: user\ncn: jdoe\nsAMAccountName: jdoe\nsn: Doe\n' "$base"
    printf 'givenName: John\nuserPrincipalName: jdoe@acme.test\naccountExpires: 135522288000000000\n'
    printf 'maxStorage: 5000000000\n\n'
    printf 'dn: CN=asmith,OU=Acme,%s\nobjectClass: user\ncn: asmith\nsAMAccountName: asmith\nsn: Smith\n' "$base"
    printf 'givenName: Alice\naccountExpires: 283696992000000000\nmaxStorage: 7\n\n'
    printf 'dn: CN=bob,OU=Acme,%s\nobjectClass: user\ncn: bob\nsAMAccountName: bob\nsn: Bob\n' "$base"
    printf 'accountExpires: 0\n\n'
} >"$dir/tree.ldif"
ldbadd -H "$dir/dc/private/sam.ldb" "$dir/tree.ldif" >"$dir/load.log" 2>&1 || {
    tail -n 20 "$dir/load.log" >&2
    echo "samba-dc: the test tree could not be loaded" >&2
    exit 1
}
# A group of the tree's 3,000 usernnnnn users: more members than one part of Active
# Directory's ranged retrieval (1,500 values), which Samba sends whole.
{
    printf 'dn: CN=Everyone,OU=Acme,%s\nobjectClass: group\ncn: Everyone\nsAMAccountName: Everyone\n' "$base"
    grep '^dn: CN=user' "$dir/tree.ldif" | sed 's/^dn: /member: /'
    printf '\n'
} >"$dir/group.ldif"
ldbadd -H "$dir/dc/private/sam.ldb" "$dir/group.ldif" >>"$dir/load.log" 2>&1 || {
    tail -n 20 "$dir/load.log" >&2
    echo "samba-dc: the test group could not be loaded" >&2
    exit 1
}
loaded=$(date +%s.%N)

printf '%s' "$password" >"$dir/admin.pw"
chmod 600 "$dir/admin.pw"

# The DC in the foreground of a session of its own, so that the test that started it
# may end while it runs.
setsid samba --foreground --no-process-group --debug-stdout -s "$dir/dc/etc/smb.conf" \
    </dev/null >"$dir/samba.log" 2>&1 &
echo $! >"$dir/samba.pid"
for _ in $(seq 1 600); do
    if LDAPTLS_CACERT="$dir/ca.pem" ldapsearch -x -H ldaps://127.0.0.1 -D "Administrator@acme.test" \
        -y "$dir/admin.pw" -b "$base" -s base dn >/dev/null 2>&1; then
        up=$(date +%s.%N)
        printf 'samba-dc: provisioned in %.1f s, tree of %d users loaded in %.1f s, DC up in %.1f s\n' \
            "$(awk "BEGIN{print $provisioned - $started}")" "$((n + 3))" \
            "$(awk "BEGIN{print $loaded - $provisioned}")" "$(awk "BEGIN{print $up - $loaded}")" | tee "$dir/ready"
        exit 0
    fi
    kill -0 "$(cat "$dir/samba.pid")" 2>/dev/null || break
    sleep 0.2
done
tail -n 30 "$dir/samba.log" >&2
echo "samba-dc: the DC did not answer on ldaps://127.0.0.1" >&2
stop
exit 1
