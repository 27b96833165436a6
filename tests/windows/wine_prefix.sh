#!/usr/bin/env bash
# Makes the Wine prefix that the Windows tests run in, once (wineboot takes about 15 s). Its windows get no window
# manager's frame (Managed=N): without a window manager Wine would otherwise wait for one at every exit.
# Environment: WINEPREFIX, TURNFAN_WINE.
set -euo pipefail
ready=$WINEPREFIX/turnfan-ready
[ -f "$ready" ] && exit 0
rm -rf "$WINEPREFIX"
DISPLAY= "$TURNFAN_WINE" wineboot -i
DISPLAY= "$TURNFAN_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
"$(dirname "$TURNFAN_WINE")/wineserver" -w # the prefix is complete on disk
touch "$ready"
