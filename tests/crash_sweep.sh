#!/bin/sh
# Every statement boundary of the sample release's fresh install and
# upgrade, 200 in-statement kill points, 100 full-disk and 100 read-only
# points of each, and 20 pairs of each kind of two runs at once; prints the
# figures. Takes about half an hour on two cores.
#
#   tests/crash_sweep.sh [BUILD_DIR]
set -e
build=${1:-build}
COURT_CRASH_SWEEP=full "$build/crash_safety_tests" | grep --line-buffered -E '^\[figure\]|FAILED|failed; first'
