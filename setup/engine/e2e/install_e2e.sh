#!/usr/bin/env bash
# Install scenarios of the setup program, each in a fresh Wine prefix:
#   install    build the distribution with -b, check it with an independent reader, install it as a
#              user would (setup.exe), check files, dates and registry; install again
#   overwrite  install version 1, then version 2 over it once with each overwrite policy
#   inuse      a held destination file is written beside the old one, the move is scheduled with a
#              restart entry, and the after-restart run completes the job
#   corrupt    a spoiled product archive ends in the bad-installation report; the product folder
#              keeps its previous files and no half-written one
#
#   install_e2e.sh SOURCE_DIR WIN32_BUILD_DIR WORK_DIR SCENARIO
SRC=$1; BUILD=$2; WORK=$3/$4; SCENARIO=$4
. "$SRC/setup/engine/e2e/e2e_lib.sh"

e2e_start
kit="$C/Program Files/Tarnwick32/Version35"
product="$C/Program Files/Brackwater"
source="$C/DEV/projects/fnwd.32"
helper="$BUILD/setup/testproduct/fnwd_e2e_helper.exe"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Fenwold\Files'
runonce_key='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
good="Installation|Fenwold has been installed successfully."
bad="Installation|The installation of Fenwold was not completed."

stage() { "$SRC/setup/testproduct/stage-product.sh" "$PREFIX" "$BUILD" "$1"; }

# A copy of fnwdsetup.exe in the kit whose built-in configuration gives the two program files an
# overwrite policy and shared-DLL counting.
use_policy() {
  use_config -e "s/^  FileName = 'fnwd32.exe'\$/&\n  OverwriteMode = $1\n  UpdateDLLCounter = True/" \
             -e "s/^  FileName = 'fnwd32.dat'\$/&\n  OverwriteMode = $1/"
}
use_config() {  # use_config SED-ARGS...: the shipped configuration edited by sed
  local cfg=$WORK/edited.cfg
  sed "$@" "$SRC/setup/app/fenwold.cfg" > "$cfg"
  cp "$BUILD/setup/app/fnwdsetup.exe" "$kit/fnwdsetup.exe"
  [[ $(run_win 60 "$helper" setres "$(win_path "$kit/fnwdsetup.exe")" FNWD_CONFIG "$(win_path "$cfg")") == 0 ]]
}

build_distribution() {
  rm -rf "$C/build"
  local rc; rc=$(run_win 120 "$kit/fnwdsetup.exe" -b)
  check "build mode ends with code 0 (got $rc)" test "$rc" = 0
  check "build made setup.exe, setup.1 and files.1" test -f "$C/build/setup.exe" -a -f "$C/build/setup.1" -a -f "$C/build/files.1"
}

# Runs setup.exe as a user would; $1 is the exit code expected.
run_setup() {
  local before; before=$(wc -l < "$ANSWERS")
  local rc; rc=$(run_win 180 "$C/build/setup.exe")
  check "setup.exe ends with code $1 (got $rc)" test "$rc" = "$1"
  NEW_ANSWERS=$(tail -n +$((before + 1)) "$ANSWERS")
}
said() { grep -qF -- "$1" <<<"$NEW_ANSWERS"; }

installed_as() {  # installed_as NAME SOURCE_FILE: same bytes and date
  same_bytes "$product/$1" "$2" && same_date "$product/$1" "$2"
}

no_setup_folders_left() {
  for _ in $(seq 1 50); do
    compgen -G "$C/users/*/Temp/fnwd*" >/dev/null || return 0
    sleep 0.2
  done
  return 1
}

save_version() { mkdir -p "$WORK/v$1"; cp -p "$source/fnwd32.exe" "$source/fnwd32.dat" "$WORK/v$1/"; }

case $SCENARIO in
install)
  stage 1
  build_distribution
  python3 "$SRC/setup/engine/e2e/distribution.py" check "$C/build" "$BUILD/setup/loader/TarnwickLoadProgram.exe" "$C" \
    > "$WORK/distribution.txt"
  check "the distribution reads back with an independent reader" test $? = 0
  check "files.1 holds the five files with their IDs and versions" grep -qP '^c:\\dev\\projects\\fnwd.32\\fnwd32.exe\t1\t1.90.0.0$' "$WORK/distribution.txt"
  timeout 60 wine "$BUILD/setup/tools/fnwdarc.exe" list "$(win_path "$C/build/files.1")" </dev/null >"$WORK/fnwdarc.txt" 2>&1
  check "fnwdarc lists the five files of files.1" test "$(grep -ci 'fnwd32\|uninstall' "$WORK/fnwdarc.txt")" = 5

  run_setup 0
  check "the good outcome is shown" said "$good"
  check "fnwd32.exe installed with its bytes and date" installed_as fnwd32.exe "$source/fnwd32.exe"
  check "fnwd32.dat installed with its bytes and date" installed_as fnwd32.dat "$source/fnwd32.dat"
  check "Fnwd32.hlp installed" installed_as Fnwd32.hlp "$source/FNWD32/Fnwd32.hlp"
  check "FNWD32.cnt installed" installed_as FNWD32.cnt "$source/FNWD32/FNWD32.cnt"
  check "uninstall.exe installed" installed_as uninstall.exe "$kit/uninstall.exe"
  check "help registered: FNWD32.HLP" test "$(reg_value 'HKLM\Software\Microsoft\Windows\Help' FNWD32.HLP)" = 'C:\Program Files\Brackwater'
  check "help registered: FNWD32.CNT" test "$(reg_value 'HKLM\Software\Microsoft\Windows\Help' FNWD32.CNT)" = 'C:\Program Files\Brackwater'
  check "uninstall record counts 5 files" test "$(reg_value "$uninstall_key" Entries)" = 0x5
  check "uninstall record File2 is fnwd32.exe" test "$(reg_value "$uninstall_key" File2)" = 'C:\Program Files\Brackwater\fnwd32.exe'
  check "uninstall record File5 is FNWD32.cnt" test "$(reg_value "$uninstall_key" File5)" = 'C:\Program Files\Brackwater\FNWD32.cnt'
  check "install record removed" bash -c "! wine reg query 'HKLM\Software\Tarnwick' </dev/null >/dev/null 2>&1"
  check "the temporary setup folder is gone" no_setup_folders_left

  # The floppy transfer, with drive A: mapped to a folder.
  mkdir -p "$WORK/floppy"
  ln -sfn "$WORK/floppy" "$PREFIX/dosdevices/a:"
  rc=$(run_win 180 "$C/build/setup.exe" '*TODISK')
  check "the floppy transfer ends with code 0 (got $rc)" test "$rc" = 0
  check "a:\setup.exe is the loading program" same_bytes "$WORK/floppy/setup.exe" "$BUILD/setup/loader/TarnwickLoadProgram.exe"
  check "a:\setup.1 is setup.1" same_bytes "$WORK/floppy/setup.1" "$C/build/setup.1"
  timeout 60 wine "$BUILD/setup/tools/fnwdarc.exe" list 'a:\files.1' </dev/null >"$WORK/floppy.txt" 2>&1
  check "a:\files.1 is a volume set of the five files" test "$(grep -ci 'fnwd32\|uninstall' "$WORK/floppy.txt")" = 5
  check "the transfer leaves no install record" bash -c "! wine reg query 'HKLM\Software\Tarnwick' </dev/null >/dev/null 2>&1"

  run_setup 0
  check "a second run succeeds" said "$good"
  check "uninstall entries continue after the stored count" test "$(reg_value "$uninstall_key" Entries)" = 0xa
  check "File7 is fnwd32.exe again" test "$(reg_value "$uninstall_key" File7)" = 'C:\Program Files\Brackwater\fnwd32.exe'

  # A web distribution: every file is packed for the server, beside the file list.
  check "configuration with a web distribution built in" use_config -e "s/^  NetLocation = NetLocation\$/&\n  DistributeType = dtWeb/"
  rm -rf "$C/build"
  rc=$(run_win 120 "$kit/fnwdsetup.exe" -b)
  check "web build ends with code 0 (got $rc)" test "$rc" = 0
  net="$C/build/www.brackwater.example/HTTP"
  check "the group's archive lies in the location's folder" test -f "$net/Install1.1"
  check "no product archive is embedded" test ! -e "$C/build/files.1"
  python3 "$SRC/setup/engine/e2e/distribution.py" filelist "$net/filelist.lst" > "$WORK/filelist.txt"
  check "filelist.lst names the five files" test "$(cut -f1 "$WORK/filelist.txt" | sort | tr '\n' ' ')" = "InstallFile InstallFile1 InstallFile2 InstallFile4 UninstallEXE "
  check "filelist.lst carries the program's version" grep -qP '^InstallFile\t101594\t.*\t1.90.0.0$' "$WORK/filelist.txt"
  ;;

overwrite)
  stage 1
  save_version 1
  check "configuration with owAlways built in" use_policy owAlways
  build_distribution
  run_setup 0
  check "version 1 installed" installed_as fnwd32.exe "$WORK/v1/fnwd32.exe"
  dll_key='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
  check "shared-DLL count 1" test "$(reg_value "$dll_key" 'C:\Program Files\Brackwater\fnwd32.exe')" = 0x1
  stage 2
  save_version 2
  # policy  fnwd32.exe (newer version, older date)  fnwd32.dat (no version, newer date)
  count=1
  while read -r policy exe dat; do
    cp -p "$WORK/v1/fnwd32.exe" "$WORK/v1/fnwd32.dat" "$product/"
    check "configuration with $policy built in" use_policy "$policy"
    build_distribution
    run_setup 0
    check "$policy: the good outcome is shown" said "$good"
    check "$policy: fnwd32.exe is version $exe" installed_as fnwd32.exe "$WORK/v$exe/fnwd32.exe"
    check "$policy: fnwd32.dat is version $dat" installed_as fnwd32.dat "$WORK/v$dat/fnwd32.dat"
    count=$((count + 1))
    check "$policy: shared-DLL count $count (kept files count too)" \
      test "$(reg_value "$dll_key" 'C:\Program Files\Brackwater\fnwd32.exe')" = "$(printf '0x%x' $count)"
  done <<'TABLE'
owAlways 2 2
owNever 1 1
owVersion 2 1
owDate 1 2
owVersionDate 2 2
TABLE
  ;;

inuse)
  stage 1
  save_version 1
  build_distribution
  run_setup 0
  stage 2
  save_version 2
  build_distribution
  rm -f "$WORK/held" "$WORK/stop-hold"
  wine "$helper" hold 'C:\Program Files\Brackwater\fnwd32.exe' "$(win_path "$WORK/held")" "$(win_path "$WORK/stop-hold")" \
    </dev/null >"$WORK/hold.out" 2>&1 &
  for _ in $(seq 1 100); do [[ -f "$WORK/held" ]] && break; sleep 0.1; done
  check "fnwd32.exe is held open" test -f "$WORK/held"
  run_setup $((3010 % 256))  # the exit code for a restart, as Wine hands it to Unix (8 bits)
  check "the restart request is reported as not made" said "Could not reboot windows. Please manually reboot windows."
  check "the held file is untouched" installed_as fnwd32.exe "$WORK/v1/fnwd32.exe"
  check "the new version is written beside it as fnwd32.1" same_bytes "$product/fnwd32.1" "$WORK/v2/fnwd32.exe"
  check "a file not in use is replaced at once" installed_as fnwd32.dat "$WORK/v2/fnwd32.dat"
  pending=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations </dev/null 2>/dev/null | tr -d '\r')
  echo "$pending" > "$WORK/pending.txt"
  check "the move over the old file is scheduled" grep -qi 'FNWD32\.1.*FNWD32\.EXE' "$WORK/pending.txt"
  entry=$(reg_value "$runonce_key" TarnwickUnfinished)
  echo "$entry" > "$WORK/runonce.txt"
  check "the restart entry runs the setup program with -r" grep -q -- '" -r "-esetup.exe" "-sC:\\build" -c$' "$WORK/runonce.txt"
  record=$(wine reg query 'HKLM\Software\Tarnwick\Install' </dev/null 2>/dev/null | tr -d '\r' | grep -o 'Install[0-9]*$' | head -1)
  check "the install record is kept for the restart" test -n "$record"
  check "the unfinished work names the file's component" test "$(reg_value "HKLM\\Software\\Tarnwick\\Install\\$record\\Unfinished" InstallFile)" = 0
  check "the language is stored" test -n "$(reg_value "HKLM\\Software\\Tarnwick\\Install\\$record" Language)"

  # The restart: the program holding the file has ended; Wine performs the pending moves and
  # starts the RunOnce entries.
  touch "$WORK/stop-hold"; sleep 0.5
  before=$(wc -l < "$ANSWERS")
  timeout 180 wine wineboot -r </dev/null >>"$WORK/programs.log" 2>&1
  if [[ -n "$(reg_value "$runonce_key" TarnwickUnfinished)" ]]; then
    # Started as RunOnce would, when the restart did not start it.
    cmd=$(reg_value "$runonce_key" TarnwickUnfinished)
    wine reg delete "$runonce_key" /v TarnwickUnfinished /f </dev/null >/dev/null 2>&1
    timeout 180 wine cmd /c "$cmd" </dev/null >>"$WORK/programs.log" 2>&1
  fi
  NEW_ANSWERS=$(tail -n +$((before + 1)) "$ANSWERS")
  check "the after-restart run ends with the good outcome" said "$good"
  check "after the restart fnwd32.exe is version 2" same_bytes "$product/fnwd32.exe" "$WORK/v2/fnwd32.exe"
  check "fnwd32.1 is gone" test ! -e "$product/fnwd32.1"
  check "the restart entry is gone" test -z "$(reg_value "$runonce_key" TarnwickUnfinished)"
  check "install record removed" bash -c "! wine reg query 'HKLM\Software\Tarnwick' </dev/null >/dev/null 2>&1"
  check "the temporary setup folder is gone" no_setup_folders_left
  ;;

corrupt)
  stage 1
  save_version 1
  build_distribution
  run_setup 0
  stage 2
  build_distribution
  # fnwd32.dat (ID 2) comes after fnwd32.exe, which is already replaced when the damage shows.
  python3 "$SRC/setup/engine/e2e/distribution.py" corrupt "$C/build/setup.exe" 2
  run_setup 1
  check "the bad outcome is shown" said "$bad"
  check "the error names the damaged archive data" grep -qE "\|(error|The decompressed file's size)" <<<"$NEW_ANSWERS"
  check "the report lists the replaced file it restored" grep -qF 'C:\Program Files\Brackwater\fnwd32.exe' <<<"$NEW_ANSWERS"
  check "fnwd32.exe is back to version 1" installed_as fnwd32.exe "$WORK/v1/fnwd32.exe"
  check "fnwd32.dat is still version 1" installed_as fnwd32.dat "$WORK/v1/fnwd32.dat"
  check "the product folder holds only the product's files" \
    test "$(ls "$product" | sort | tr '\n' ' ')" = "FNWD32.cnt Fnwd32.hlp fnwd32.dat fnwd32.exe uninstall.exe "

  # The same with a plain files.1 beside the setup program.
  python3 "$SRC/setup/engine/e2e/distribution.py" corrupt "$C/build/files.1" 2
  cp "$kit/fnwdsetup.exe" "$C/build/fnwdsetup.exe"
  before=$(wc -l < "$ANSWERS")
  rc=$(run_win 180 "$C/build/fnwdsetup.exe" '-sC:\build')
  NEW_ANSWERS=$(tail -n +$((before + 1)) "$ANSWERS")
  check "from files.1: ends with code 1 (got $rc)" test "$rc" = 1
  check "from files.1: the bad outcome is shown" said "$bad"
  check "from files.1: fnwd32.exe is back to version 1" installed_as fnwd32.exe "$WORK/v1/fnwd32.exe"
  check "from files.1: no half-written file" \
    test "$(ls "$product" | sort | tr '\n' ' ')" = "FNWD32.cnt Fnwd32.hlp fnwd32.dat fnwd32.exe uninstall.exe "
  ;;
*)
  echo "unknown scenario $SCENARIO"; exit 2 ;;
esac

echo "$SCENARIO: $passes passed, $failures failed"
[[ $failures == 0 ]]
