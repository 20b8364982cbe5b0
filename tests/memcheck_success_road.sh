#!/usr/bin/env bash
# memcheck_success_road.sh VALGRIND STANDIN_LIBRARY VRENLIST VRCHECK VRDELIST
# Runs a registration of the example, its check and its removal under
# valgrind memcheck against a private stand-in runtime: zero errors, status
# 0 each, every runtime call made.
set -u
source "$(dirname "$0")/../scripts/common.sh"
valgrind=$1 library=$2 vrenlist=$3 vrcheck=$4 vrdelist=$5
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
manifest=$(lay_out_example "$dir/app")

for tool in "$vrenlist" "$vrcheck" "$vrdelist"; do
  STANDIN_LIBRARY=$library "$repo/scripts/with-standin-runtime" "$dir" \
    "$valgrind" --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    "$tool" "$manifest"
  status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAIL: $(basename "$tool"): status $status under memcheck"
    exit 1
  fi
done
for call in '^SetApplicationAutoLaunch "lumora.corvane" true$' '^GetApplicationAutoLaunch ' \
  '^RemoveApplicationManifest '; do
  grep -q "$call" "$dir/root/state/journal.log" || {
    echo "FAIL: the runtime never got $call"; cat "$dir/root/state/journal.log"; exit 1; }
done
echo "ok: registration, check and removal clean under memcheck"
