#!/usr/bin/env bash
# memcheck_success_road.sh VALGRIND VRENLIST STANDIN_LIBRARY MANIFEST
# Runs vrenlist's success road under valgrind memcheck against a private
# stand-in runtime: zero errors, status 0, both runtime calls made.
set -u
valgrind=$1 vrenlist=$2 library=$3 manifest=$4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
here=$(cd "$(dirname "$0")" && pwd)

STANDIN_LIBRARY=$library "$here/../scripts/with-standin-runtime" "$dir" \
  "$valgrind" --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  "$vrenlist" "$manifest"
status=$?
if [ "$status" -ne 0 ]; then
  echo "FAIL: status $status under memcheck"
  exit 1
fi
grep -q '^SetApplicationAutoLaunch "lumora.corvane" true$' "$dir/root/state/journal.log" || {
  echo "FAIL: the runtime never got the auto-launch call"; cat "$dir/root/state/journal.log"; exit 1; }
echo "ok: success road clean under memcheck"
