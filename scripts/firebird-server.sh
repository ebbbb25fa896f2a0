#!/usr/bin/env bash
# Starts or stops a Firebird server for the tests: run as root so it can open the
# database files the tests create, answering on localhost:3050. "start" leaves
# a server that was already answering alone and does not stop it later.
set -euo pipefail
pidfile=${FIREBIRD_TEST_PIDFILE:-/tmp/bkpzelto-firebird-test.pid}

answering() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

case "${1:-}" in
start)
  if answering; then
    echo "firebird-server: a server already answers on 3050; using it"
    rm -f "$pidfile"
    exit 0
  fi
  mkdir -p /tmp/firebird
  /usr/sbin/firebird >/tmp/bkpzelto-firebird-test.log 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 1 100); do
    answering && { echo "firebird-server: started (pid $(cat "$pidfile"))"; exit 0; }
    sleep 0.1
  done
  echo "firebird-server: the server did not answer within 10 s" >&2
  cat /tmp/bkpzelto-firebird-test.log >&2 || true
  exit 1
  ;;
stop)
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$pidfile"
    echo "firebird-server: stopped"
  fi
  ;;
*)
  echo "usage: $0 start|stop" >&2
  exit 2
  ;;
esac
