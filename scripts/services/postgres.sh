# Sourced by ./test: starts a throwaway PostgreSQL cluster that listens only on a Unix socket in a
# temporary folder, and exports where it is for the ODBC tests:
#   ZIRA_PG_SOCKET  the socket folder (Servername= in a connection string)
#   ZIRA_PG_PORT    the port number the socket file is named after
# The cluster runs as user postgres (as the current user when that is not root); it is stopped and
# its folder removed by the command appended to the caller's `cleanup` array. When PostgreSQL is not
# installed or does not start, nothing is exported and the tests that need it skip, saying why.
# Never exits: it runs inside the caller's shell (with set -e active).

zira_pg_run() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

zira_pg_stop() {
  local dir=$1
  zira_pg_run /usr/lib/postgresql/15/bin/pg_ctl -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}

zira_pg_start() {
  local bin=/usr/lib/postgresql/15/bin
  if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
    echo "postgres: $bin not found; PostgreSQL tests will skip"
    return 0
  fi
  if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
    echo "postgres: no user postgres; PostgreSQL tests will skip"
    return 0
  fi
  # The port only names the socket file in the private folder and keys the server's shared memory;
  # a port of its own per run lets several runs (developers' worktrees) go side by side.
  local dir port=$((40000 + $$ % 20000))
  dir=$(mktemp -d "${TMPDIR:-/tmp}/zira-pg-XXXXXX") || return 0
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$dir"
  fi
  chmod 700 "$dir"
  cleanup+=("zira_pg_stop $dir")
  if ! zira_pg_run "$bin/initdb" -D "$dir/data" -U postgres -A trust --no-sync >"$dir/initdb.log" 2>&1; then
    echo "postgres: initdb failed (see below); PostgreSQL tests will skip"
    cat "$dir/initdb.log"
    return 0
  fi
  local tries=0
  until zira_pg_run "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-k $dir -p $port -c listen_addresses='' -c fsync=off" start >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ "$tries" -ge 5 ]; then
      echo "postgres: the server did not start; PostgreSQL tests will skip"
      cat "$dir/server.log" 2>/dev/null || true
      return 0
    fi
    port=$((port + 1))
  done
  export ZIRA_PG_SOCKET="$dir" ZIRA_PG_PORT="$port"
  echo "postgres: throwaway cluster on $dir (port $port)"
}

zira_pg_start
