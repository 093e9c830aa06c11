#!/usr/bin/env bash
# resize_storm.sh under a window manager (openbox).
STORM_WM=1 exec bash "$(dirname "$0")/resize_storm.sh" "$@"
