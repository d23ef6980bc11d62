#!/usr/bin/env bash
# Installs, through apt-get, the build tools a fresh Debian machine lacks (cmake, g++, make,
# GoogleTest); does nothing, and needs no network, when they are all there. Never prompts, so
# it also runs unattended with no standard input. With --integration it also installs the
# optional tools of the real-interface match tests (xboard, xvfb-run, fairymax, the polyglot
# UCI adapter) and man for the install test; without them those tests are skipped, so their
# installation may fail without failing this script.
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
dpkg -s libgtest-dev >/dev/null 2>&1 || missing+=(libgtest-dev)
optional=()
if [ "${1:-}" = "--integration" ]; then
    for package in xboard xvfb xauth fairymax polyglot man-db; do
        dpkg -s "$package" >/dev/null 2>&1 || optional+=("$package")
    done
fi

if [ ${#missing[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]} ${optional[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        if [ ${#missing[@]} -eq 0 ]; then
            echo "Optional packages not installed (the xboard match test will be skipped)"
            exit 0
        fi
        echo "Please install as root: ${missing[*]}" >&2
        exit 1
    fi
    as_root=(sudo -n)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
    "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
if [ ${#optional[@]} -gt 0 ]; then
    "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${optional[@]}" </dev/null \
        || echo "Optional packages not installed (the xboard match test will be skipped)"
fi
