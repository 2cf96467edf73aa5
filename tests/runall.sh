#!/usr/bin/env bash
# The README's test command: installs with apt-get what a fresh Debian machine
# lacks for the tests (cmake, g++, GoogleTest, Google Benchmark, LAPACK and
# Eigen), then builds the program, the tests and the benchmarks in build/ and
# runs every test. CI runs this same script first.
set -euo pipefail
cd "$(dirname "$0")/.."
need=""
command -v cmake >/dev/null || need="$need cmake"
command -v g++ >/dev/null || need="$need g++"
[ -f /usr/include/gtest/gtest.h ] || need="$need libgtest-dev"
[ -f /usr/include/benchmark/benchmark.h ] || need="$need libbenchmark-dev"
[ -d /usr/include/eigen3 ] || need="$need libeigen3-dev"
ls /usr/lib/*/liblapack.so /usr/lib/*/liblapack.a >/dev/null 2>&1 || need="$need liblapack-dev"
if [ -n "$need" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $need
fi
cmake -S . -B build -DPM_REQUIRE_TESTS=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
