# Shared by the install scenarios: a fresh Wine prefix with its own display and wineserver, and
# helpers to run programs in it, answer their message boxes and read its registry. Sourced.
#
# Needs: SRC (source tree), BUILD (win32 build tree), WORK (scenario folder, made anew).

set -uo pipefail
. "$SRC/tools/wine-common.sh"

failures=0
passes=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   - $what"; passes=$((passes + 1)); else echo "FAIL - $what"; failures=$((failures + 1)); fi
}

e2e_start() {
  rm -rf "$WORK"; mkdir -p "$WORK"
  PREFIX=$WORK/prefix
  C=$PREFIX/drive_c
  qv_wine_env
  read -r disp XVFB_PID < <(qv_start_xvfb) || { echo "no Xvfb"; exit 1; }
  export DISPLAY=$disp
  # The wrapper creates and initialises the prefix; the display above keeps its wineserver alive.
  "$SRC/tools/wine-run" --prefix "$PREFIX" cmd /c exit 0 >/dev/null 2>&1
  export WINEPREFIX=$PREFIX
  wineserver -p </dev/null >/dev/null 2>&1
  ANSWERS=$WORK/answers.log
  : > "$ANSWERS"
  rm -f "$WORK/stop-answer"
  wine "$BUILD/setup/testproduct/fnwd_e2e_helper.exe" answer "$(winepath -w "$ANSWERS")" \
    "$(winepath -w "$WORK/stop-answer")" </dev/null >"$WORK/answer.out" 2>&1 &
  ANSWER_PID=$!
  trap e2e_stop EXIT
}

e2e_stop() {
  touch "$WORK/stop-answer"
  touch "$WORK/stop-hold" 2>/dev/null
  sleep 0.3
  wineserver -k </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
}

# Runs a Windows program to its end (at most $2 seconds), output to the scenario log; prints its
# exit code.
run_win() {  # run_win TIMEOUT PROGRAM ARGS...
  local t=$1; shift
  timeout "$t" wine "$@" </dev/null >>"$WORK/programs.log" 2>&1
  echo $?
}

win_path() { winepath -w "$1" 2>/dev/null; }

# reg_value KEY NAME: the data of one value, empty when missing.
reg_value() {
  # The name goes through the environment: awk -v would read its backslashes as escapes.
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    REG_NAME="$2" awk '{ line = $0; sub(/^ +/, "", line); p = tolower(ENVIRON["REG_NAME"]) "    ";
      if (index(tolower(line), p) == 1) { line = substr(line, length(p) + 1); sub(/^ *REG_[A-Z_]+ +/, "", line); print line } }'
}
reg_key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }

answered() { grep -qF -- "$1" "$ANSWERS"; }

same_bytes() { cmp -s "$1" "$2"; }
same_date() { [[ $(stat -c %Y "$1") == $(stat -c %Y "$2") ]]; }
