#!/usr/bin/env bash
# memcheck_success_road.sh VALGRIND STANDIN_LIBRARY VRENLIST VRCHECK VRDELIST
# Runs a registration of the example, its check and its removal under
# valgrind memcheck against a private stand-in runtime: zero errors, status
# 0 each, every runtime call made. Then vrcheck --json on files nested far
# too deep, which it must report (status 3), clean too.
set -u
source "$(dirname "$0")/../scripts/common.sh"
valgrind=$1 library=$2 vrenlist=$3 vrcheck=$4 vrdelist=$5
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
manifest=$(lay_out_example "$dir/app")

memcheck() {  # memcheck STATUS TOOL ARGUMENTS...: fails unless clean, with STATUS
  local expected=$1
  shift
  STANDIN_LIBRARY=$library "$repo/scripts/with-standin-runtime" "$dir" \
    "$valgrind" --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    "$@" >/dev/null
  local status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "FAIL: $(basename "$1") $2: status $status under memcheck"
    exit 1
  fi
}

for tool in "$vrenlist" "$vrcheck" "$vrdelist"; do
  memcheck 0 "$tool" "$manifest"
done
for call in '^SetApplicationAutoLaunch "lumora.corvane" true$' '^GetApplicationAutoLaunch ' \
  '^RemoveApplicationManifest '; do
  grep -q "$call" "$dir/root/state/journal.log" || {
    echo "FAIL: the runtime never got $call"; cat "$dir/root/state/journal.log"; exit 1; }
done
deep=$(head -c 300000 /dev/zero | tr '\0' '[')
printf '%s' "$deep" >"$dir/app/deep.vrmanifest"
memcheck 3 "$vrcheck" --json "$dir/app/deep.vrmanifest"
rm -f "$dir/root/state/server.json"  # the runtime stopped: its records answer
printf '{"manifest_paths": ["%s"], "x": %s}' "$manifest" "$deep" >"$dir/runtime-config/appconfig.json"
memcheck 3 "$vrcheck" --json "$manifest"
echo "ok: registration, check and removal, and hostile files, clean under memcheck"
