# Sourced by the other scripts: repository root, root privileges, build.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# configure BUILD_DIR [CMAKE_ARGS...]
configure() {
  local dir=$1
  shift
  cmake -S "$repo" -B "$dir" -DVRENLIST_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
}

# build BUILD_DIR [TARGETS...]
build() {
  local dir=$1
  shift
  if [ $# -gt 0 ]; then
    cmake --build "$dir" -j "$jobs" --target "$@"
  else
    cmake --build "$dir" -j "$jobs"
  fi
}

# configure_windows BUILD_DIR [CMAKE_ARGS...]: the Windows x64 cross-build,
# with MinGW-w64, Debian's openvr.h and an import library made from
# cmake/windows/openvr_api.def.
configure_windows() {
  local dir=$1
  shift
  configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/windows/mingw-w64-x86_64.cmake" \
    -DOpenVR_INCLUDE_DIR=/usr/include/openvr \
    -DOPENVR_DEF_FILE="$repo/cmake/windows/openvr_api.def" "$@"
}
