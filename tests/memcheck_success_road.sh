#!/usr/bin/env bash
# memcheck_success_road.sh VALGRIND STANDIN_LIBRARY MANIFEST VRENLIST VRCHECK VRDELIST
# Runs a registration, its check and its removal under valgrind memcheck
# against a private stand-in runtime: zero errors, status 0 each, every
# runtime call made.
set -u
valgrind=$1 library=$2 vrenlist=$4 vrcheck=$5 vrdelist=$6
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
here=$(cd "$(dirname "$0")" && pwd)
# The manifest beside its binaries, so that vrcheck finds all in place.
mkdir "$dir/app"
cp "$3" "$dir/app/"
touch "$dir/app/lumora" "$dir/app/lumora.exe"
manifest=$dir/app/$(basename "$3")

for tool in "$vrenlist" "$vrcheck" "$vrdelist"; do
  STANDIN_LIBRARY=$library "$here/../scripts/with-standin-runtime" "$dir" \
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
