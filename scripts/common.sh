# Sourced by the other scripts: repository root and build.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# lay_out_example DIR: the example manifest in DIR beside placeholders for
# the app's binaries, as an install lays it out, so that vrcheck finds all
# in place. Prints the manifest's path.
lay_out_example() {
  mkdir -p "$1"
  cp "$repo/examples/lumora.vrmanifest" "$1/"
  touch "$1/lumora" "$1/lumora.exe"
  printf '%s\n' "$1/lumora.vrmanifest"
}

# configure PRESET [CMAKE_ARGS...]: the build flags live in CMakePresets.json.
configure() {
  local preset=$1
  shift
  (cd "$repo" && cmake --preset "$preset" "$@" >/dev/null)
}

# build PRESET [TARGETS...]
build() {
  local preset=$1
  shift
  if [ $# -gt 0 ]; then
    (cd "$repo" && cmake --build --preset "$preset" -j "$jobs" --target "$@")
  else
    (cd "$repo" && cmake --build --preset "$preset" -j "$jobs")
  fi
}

# run_tests PRESET [CTEST_ARGS...]
run_tests() {
  local preset=$1
  shift
  (cd "$repo" && ctest --preset "$preset" "$@")
}
