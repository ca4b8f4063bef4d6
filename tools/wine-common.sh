# Shared by wine-run and wine-session: where the prefix lives and how it is made.
# Sourced, not run.

qv_wine_env() {
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
}

# The build tree that holds PATH: the nearest folder upwards with a CMakeCache.txt.
qv_build_dir_of() {
  local d
  d=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || return 1
  while [[ "$d" != "/" ]]; do
    [[ -f "$d/CMakeCache.txt" ]] && { echo "$d"; return 0; }
    d=$(dirname "$d")
  done
  return 1
}

# Creates the prefix once (under a lock): fonts first, then wineboot, then the settings that keep
# Wine quiet and fast without a window manager.
qv_ensure_prefix() {
  local prefix=$1
  export WINEPREFIX=$prefix
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [[ -f "$prefix/.qv-ready" ]] && exit 0
    rm -rf "$prefix"
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    local log="$prefix/../wineprefix-setup.log"
    wineboot -i </dev/null >"$log" 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$log" 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >>"$log" 2>&1
    wineserver -w </dev/null >>"$log" 2>&1
    touch "$prefix/.qv-ready"
  ) 9>"$prefix.lock"
}

# Starts Xvfb on a free display; prints "DISPLAY PID".
qv_start_xvfb() {
  local fdfile pid n=""
  fdfile=$(mktemp)
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$fdfile" </dev/null >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 100); do
    n=$(cat "$fdfile")
    [[ -n "$n" ]] && break
    sleep 0.05
  done
  rm -f "$fdfile"
  [[ -n "$n" ]] || { kill "$pid" 2>/dev/null; echo "wine-run: Xvfb did not start" >&2; return 1; }
  echo ":$n $pid"
}
