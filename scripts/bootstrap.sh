# Sourced by ./asm-zqs and ./run-tests: makes sure the build tools exist and
# builds in build/ (Ninja, release with debug info). With bootstrap_tool_only set
# (./asm-zqs) only the program is built and only its build tools are needed; a
# build tree configured that way gets the tests and benchmarks at the next
# ./run-tests. The stamp build/.asm-zqs.stamp marks the last successful build:
# ./asm-zqs runs the program without building while no source is newer.
# Progress goes to standard error (standard output is the program's); the full
# output of cmake and ninja to .configure.log and .build.log. ASM_ZQS_JOBS (else
# CMAKE_BUILD_PARALLEL_LEVEL) sets the number of parallel build jobs.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ASM_ZQS_BUILD:-$root/build}

need_pkgs=()
command -v flex >/dev/null 2>&1 || need_pkgs+=(flex)
command -v bison >/dev/null 2>&1 || need_pkgs+=(bison)
command -v cmake >/dev/null 2>&1 || need_pkgs+=(cmake)
command -v ninja >/dev/null 2>&1 || need_pkgs+=(ninja-build)
# The JSON library of the json and sarif diagnostics (headers only).
[ -f /usr/include/nlohmann/json.hpp ] || need_pkgs+=(nlohmann-json3-dev)
if [ -z "${bootstrap_tool_only:-}" ]; then
  # Libraries of the unit tests and of the benchmarks (built by default).
  [ -f /usr/include/gtest/gtest.h ] || need_pkgs+=(libgtest-dev)
  [ -f /usr/include/benchmark/benchmark.h ] || need_pkgs+=(libbenchmark-dev)
  # Engines of the manual-page and editor tests (the editors' clients of zqs-lsp too).
  command -v groff >/dev/null 2>&1 || need_pkgs+=(groff-base)
  command -v mandoc >/dev/null 2>&1 || need_pkgs+=(mandoc)
  command -v man >/dev/null 2>&1 || need_pkgs+=(man-db)
  command -v vim >/dev/null 2>&1 || need_pkgs+=(vim)
  command -v nvim >/dev/null 2>&1 || need_pkgs+=(neovim)
  command -v node >/dev/null 2>&1 || need_pkgs+=(nodejs)
  command -v npm >/dev/null 2>&1 || need_pkgs+=(npm)
  # make and pkg-config: tests of --MD and of the installed package.
  command -v make >/dev/null 2>&1 || need_pkgs+=(make)
  command -v pkg-config >/dev/null 2>&1 || need_pkgs+=(pkg-config)
  # The simulation tests: Python for the package, Verilator for the DPI-C testbench
  # and the $readmemh test.
  command -v python3 >/dev/null 2>&1 || need_pkgs+=(python3)
  # The schema check of the SARIF diagnostics.
  python3 -c 'import jsonschema' >/dev/null 2>&1 || need_pkgs+=(python3-jsonschema)
  command -v verilator >/dev/null 2>&1 || need_pkgs+=(verilator)
  # Readers of the Verilog memory files: Icarus Verilog and srec_cat.
  command -v iverilog >/dev/null 2>&1 || need_pkgs+=(iverilog)
  command -v srec_cat >/dev/null 2>&1 || need_pkgs+=(srecord)
  # Readers of the coverage tracefiles: lcov and genhtml.
  command -v genhtml >/dev/null 2>&1 || need_pkgs+=(lcov)
fi
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

if [ -n "${bootstrap_tool_only:-}" ]; then
  configure_args="-DASM_ZQS_TESTS=OFF -DASM_ZQS_BENCH=OFF"
  targets=asm_zqs
  what="the tool"
else
  configure_args="-DASM_ZQS_TESTS=ON -DASM_ZQS_BENCH=ON"
  targets=${ASM_ZQS_NINJA_TARGETS:-}
  what="everything"
fi
# Parallel jobs: as asked, else as many as ninja would take by itself.
jobs=${ASM_ZQS_JOBS:-${CMAKE_BUILD_PARALLEL_LEVEL:-}}
if [ -z "$jobs" ]; then
  cores=$(nproc 2>/dev/null || echo 1)
  case $cores in 0|1) jobs=2 ;; 2) jobs=3 ;; *) jobs=$((cores + 2)) ;; esac
elif ! [[ $jobs =~ ^[1-9][0-9]*$ ]]; then
  echo "ASM_ZQS_JOBS/CMAKE_BUILD_PARALLEL_LEVEL must be a positive number, not '$jobs'" >&2
  exit 1
fi

# Shows ninja's progress lines on standard error: on a terminal each one over
# the last, elsewhere one per line.
show_progress() {
  local line
  while IFS= read -r line; do
    case $line in
      \[*/*\]*)
        if [ -t 2 ]; then printf '\r\033[K%s' "${line:0:$(( ${COLUMNS:-80} - 1 ))}" >&2
        else printf '%s\n' "$line" >&2; fi ;;
    esac
  done
  if [ -t 2 ]; then printf '\r\033[K' >&2; fi
  return 0
}
# Parallel callers (make -j on a stale tree) configure and build one at a time; the
# others then find the build done. The lock is released before the program runs.
mkdir -p "$build"
if command -v flock >/dev/null 2>&1; then
  exec 9>"$build/.asm-zqs.lock"
  flock 9
fi
# A tree configured for the program alone is configured again for the whole suite.
if [ ! -f "$build/build.ninja" ] ||
   { [ -z "${bootstrap_tool_only:-}" ] && grep -q '^ASM_ZQS_TESTS:BOOL=OFF' "$build/CMakeCache.txt"; }; then
  echo "configuring $build (cmake; output in $root/.configure.log) ..." >&2
  cmake -S "$root" -B "$build" -G Ninja $configure_args ${ASM_ZQS_CMAKE_ARGS:-} >"$root/.configure.log" 2>&1 || {
    cat "$root/.configure.log" >&2; exit 1; }
fi
# The stamp is taken before the build: a source changed during it is newer.
touch "$build/.asm-zqs.stamp.new"
echo "building $what ($jobs jobs; output in $root/.build.log) ..." >&2
ninja -C "$build" -j "$jobs" $targets 2>&1 | tee "$root/.build.log" | show_progress
if [ "${PIPESTATUS[0]}" != 0 ]; then cat "$root/.build.log" >&2; exit 1; fi
mv -f "$build/.asm-zqs.stamp.new" "$build/.asm-zqs.stamp"
exec 9>&-
