#!/usr/bin/env bash
# One-step set-up for a fresh Debian 12 machine (run as root from the repository):
#   bash tools/setup.sh play   installs what is missing, builds code and data, starts the game
#   bash tools/setup.sh test   installs what is missing, builds code and data, runs every test
# Both can be run again at any time; they only install and rebuild what is missing or changed.
set -euo pipefail

mode=${1:-play}
shift || true
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build

packages=(
    build-essential cmake pkg-config
    libsdl2-dev libgl1-mesa-dri libglu1-mesa-dev libdevil-dev libpng-dev libfreetype-dev
    libopenal-dev libsndfile1-dev libvorbis-dev libcurl4-openssl-dev espeak-ng
    libmicrohttpd-dev libsqlite3-dev
    fonts-dejavu-core fonts-liberation2
    libgtest-dev libgmock-dev libbenchmark-dev liblua5.4-dev
    xvfb xauth libxtst-dev xdotool
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

case "$mode" in
    play)
        exec "$build/game/zephrona" "$@"
        ;;
    test)
        # Rendering tests need an X display: give them a virtual one with Mesa's software renderer.
        cd "$build"
        exec xvfb-run -a -s "-screen 0 1280x1024x24" \
            ctest --output-on-failure -j "$(nproc)" "$@"
        ;;
    *)
        echo "usage: bash tools/setup.sh play|test" >&2
        exit 2
        ;;
esac
