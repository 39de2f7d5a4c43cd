# Shared by the LDAP benchmarks (sourced): a slapd of their own for o=Bench, and the
# measure of one command.

# Loads data.ldif into a slapd for o=Bench (root cn=admin,o=Bench, password in admin.pw)
# in the current folder, $work, and starts it on a free port: sets uri and slapd_pid.
start_bench_slapd() {
    mkdir -p db
    cat > slapd.conf <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
pidfile $work/slapd.pid
modulepath /usr/lib/ldap
moduleload back_mdb
database mdb
maxsize 4294967296
suffix "o=Bench"
rootdn "cn=admin,o=Bench"
rootpw secret
directory $work/db
CONF
    printf 'secret' > admin.pw
    chmod 600 admin.pw
    /usr/sbin/slapadd -q -f slapd.conf -l data.ldif
    local port=$((20000 + RANDOM % 20000))
    uri="ldap://127.0.0.1:$port"
    /usr/sbin/slapd -d 0 -f slapd.conf -h "$uri" > slapd.log 2>&1 &
    slapd_pid=$!
    for _ in $(seq 100); do
        ldapsearch -x -H "$uri" -b "" -s base >/dev/null 2>&1 && break
        sleep 0.1
    done
}

measure() { # label, command...: seconds and peak memory (MiB)
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o time.txt "$@"
    read -r seconds kib < time.txt
    printf '%-34s %8.2f s %8.1f MiB\n' "$label" "$seconds" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
}
