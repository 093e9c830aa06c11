#!/usr/bin/env bash
# resize_storm.sh under a window manager (openbox); like it, it reads and sets
# the game's state through TRAKMOR_TEST_HOOK.
STORM_WM=1 exec bash "$(dirname "$0")/resize_storm.sh" "$@"
