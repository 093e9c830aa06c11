#!/usr/bin/env bash
# fullscreen.sh on an X server with no window manager, where nobody answers
# SDL's request for fullscreen and the game lays its window over the screen
# itself; like fullscreen.sh, it reads the game's state through TRAKMOR_TEST_HOOK.
FULLSCREEN_WM=0 exec bash "$(dirname "$0")/fullscreen.sh" "$@"
