#!/usr/bin/env bash
# A throw-away PostgreSQL server for the server tests.
#
#   scripts/pgcluster.sh start STATEFILE   makes a cluster in a new temporary folder, starts it on
#                                          the first free local port from 55432 and writes
#                                          KEY=value lines for the tests into STATEFILE
#   scripts/pgcluster.sh stop STATEFILE    stops that cluster and removes its folder
#
# The server runs as the user "postgres" when started by root (it refuses to run as root) and as
# the caller otherwise. It listens on 127.0.0.1 and on a socket in its own folder only, and asks
# for a password over TCP (scram); the password is random, in a ~/.pgpass-style file for the tests
# (PGPASSFILE). fsync is off: the cluster lives for one test run and is never kept.
set -euo pipefail

cmd=${1:-}
state=${2:-}
[ -n "$cmd" ] && [ -n "$state" ] || { echo "upotreba: $0 start|stop DATOTEKA" >&2; exit 2; }

bindir=$(pg_config --bindir 2>/dev/null || true)
[ -x "$bindir/initdb" ] || bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bindir/initdb" ] || { echo "PostgreSQL nije instaliran (scripts/install-deps.sh)" >&2; exit 1; }

run=()
[ "$(id -u)" -eq 0 ] && run=(runuser -u postgres --)

stop_cluster() {
    [ -f "$state" ] || return 0
    local dir
    dir=$(sed -n 's/^KL_PG_DIR=//p' "$state")
    # Only a folder of ours: made by mktemp below, with our marker inside.
    if [[ "$dir" == /tmp/kl-pg.* ]] && [ -f "$dir/kl-pgcluster" ]; then
        "${run[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
        rm -rf -- "$dir"
    fi
    rm -f -- "$state"
}

case "$cmd" in
stop)
    stop_cluster
    ;;
start)
    stop_cluster  # a cluster left by a run that was killed
    dir=$(mktemp -d /tmp/kl-pg.XXXXXXXX)
    touch "$dir/kl-pgcluster"
    chmod 755 "$dir"
    password=$(head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9')
    install -d -m 700 "$dir/server"
    printf '%s\n' "$password" >"$dir/server/pw"
    [ ${#run[@]} -eq 0 ] || chown -R postgres "$dir/server"
    "${run[@]}" "$bindir/initdb" -D "$dir/server/data" -U klpg -E UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=scram-sha-256 --pwfile="$dir/server/pw" >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
    # The data folder is reached through a link so that stop_cluster finds it as $dir/data.
    ln -s server/data "$dir/data"
    started=
    for port in $(seq 55432 55531); do
        if "${run[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server/log" -w -t 30 \
            -o "-p $port -k $dir/server -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=60" \
            start >/dev/null 2>&1; then
            started=$port
            break
        fi
    done
    [ -n "$started" ] || { cat "$dir/server/log" >&2 || true; exit 1; }
    printf '127.0.0.1:%s:*:klpg:%s\n' "$started" "$password" >"$dir/pgpass"
    chmod 600 "$dir/pgpass"
    tmp="$state.tmp$$"
    {
        echo "KL_PG_DIR=$dir"
        echo "KL_PG_HOST=127.0.0.1"
        echo "KL_PG_PORT=$started"
        echo "KL_PG_USER=klpg"
        echo "KL_PG_DATABASE=postgres"
        echo "PGPASSFILE=$dir/pgpass"
    } >"$tmp"
    mv -f -- "$tmp" "$state"
    ;;
*)
    echo "upotreba: $0 start|stop DATOTEKA" >&2
    exit 2
    ;;
esac
