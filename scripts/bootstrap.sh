# Sourced by ./asm-zqs and ./run-tests: makes sure the build tools exist and
# the tool is built in build/ (Ninja, release with debug info).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ASM_ZQS_BUILD:-$root/build}

need_pkgs=()
command -v flex >/dev/null 2>&1 || need_pkgs+=(flex)
command -v bison >/dev/null 2>&1 || need_pkgs+=(bison)
command -v cmake >/dev/null 2>&1 || need_pkgs+=(cmake)
command -v ninja >/dev/null 2>&1 || need_pkgs+=(ninja-build)
# make and pkg-config: tests of --MD and of the installed package.
command -v make >/dev/null 2>&1 || need_pkgs+=(make)
command -v pkg-config >/dev/null 2>&1 || need_pkgs+=(pkg-config)
# Libraries of the unit tests and of the benchmarks (built by default).
[ -f /usr/include/gtest/gtest.h ] || need_pkgs+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need_pkgs+=(libbenchmark-dev)
# The simulation tests: Python for the package, Verilator for the DPI-C testbench.
command -v python3 >/dev/null 2>&1 || need_pkgs+=(python3)
command -v verilator >/dev/null 2>&1 || need_pkgs+=(verilator)
if [ ${#need_pkgs[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
    echo "installing ${need_pkgs[*]} ..." >&2
    { apt-get update && apt-get install -y "${need_pkgs[@]}"; } >"$root/.bootstrap.log" 2>&1 || {
      echo "installing ${need_pkgs[*]} failed, see $root/.bootstrap.log" >&2; exit 1; }
  else
    echo "missing build tools; run: sudo apt-get install -y ${need_pkgs[*]}" >&2
    exit 1
  fi
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja ${ASM_ZQS_CMAKE_ARGS:-} >"$root/.configure.log" 2>&1 || {
    cat "$root/.configure.log" >&2; exit 1; }
fi
ninja -C "$build" ${ASM_ZQS_NINJA_TARGETS:-} >"$root/.build.log" 2>&1 || { cat "$root/.build.log" >&2; exit 1; }
