#!/usr/bin/env bash
# Builds the stock picker and starts it on the sample master files in
# examples/, installing what is missing. Without a display it says how to run
# it in a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
# Its own preset: the dev build would look for the test and benchmark
# libraries, which the run set-up does not install.
cmake --preset run >/dev/null
cmake --build --preset run -j "$(nproc)" --target stockpicker
program=$PWD/build/run/app/stockpicker

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "No display to show the window on. To run it in a virtual X server:" >&2
    echo "    cd examples && xvfb-run -a -s '-screen 0 1280x1024x24' $program" >&2
    exit 1
fi
# The window reads fmast.dat and omast.dat from the current directory.
cd examples
exec "$program"
