#!/usr/bin/env bash
# Places the stand-in product and the kit inside a Wine prefix, where the shipped configuration
# expects them:
#   C:\DEV\projects\fnwd.32\fnwd32.exe, fnwd32.dat          (IncludeFromDir of the program files)
#   C:\DEV\projects\fnwd.32\FNWD32\Fnwd32.hlp, FNWD32.cnt   (the help files)
#   C:\Program Files\Tarnwick32\Version35\                  (the kit folder: marker, loading program,
#                                                            placeholder uninstaller, fnwdsetup.exe,
#                                                            BUILD.INF naming C:\build)
#
#   stage-product.sh PREFIX WIN32_BUILD_DIR VERSION
#
# VERSION 1 or 2. Version 2's program has a newer version resource (1.91) but an older date than
# version 1's; its data file has no version and a newer date; the help files are the same. So the
# overwrite policies each decide differently between the two.
set -euo pipefail
prefix=$1; build=$2; version=$3
c=$prefix/drive_c
src=$c/DEV/projects/fnwd.32
kit="$c/Program Files/Tarnwick32/Version35"
tp=$build/setup/testproduct
mkdir -p "$src/FNWD32" "$kit"

# Files of a version get fixed dates (even seconds, as the archive keeps them).
if [[ $version == 1 ]]; then
  exe_date="2026-03-01 10:00:00"; dat_date="2026-03-01 10:00:00"
else
  exe_date="2026-01-15 08:30:00"; dat_date="2026-04-01 12:00:00"
fi
cp "$tp/testproduct_fnwd32_v$version.exe" "$src/fnwd32.exe"
# A data file large enough to span many inflate rounds, different per version.
python3 - "$src/fnwd32.dat" "$version" <<'PY'
import random, sys
r = random.Random(int(sys.argv[2]) * 7919)
words = ["fen", "wold", "brack", "water", "graph", "plot", "x", "y", "=", "+", "1", "2", "3"]
with open(sys.argv[1], "w", newline="\r\n") as f:
    f.write(f"Fenwold data, version {sys.argv[2]}\n")
    for i in range(6000):
        f.write(" ".join(r.choice(words) for _ in range(8)) + f" {r.random():.12f}\n")
PY
printf 'Fenwold help stand-in\r\n' > "$src/FNWD32/Fnwd32.hlp"
printf ':Base Fnwd32.hlp\r\n1 Fenwold\r\n' > "$src/FNWD32/FNWD32.cnt"
touch -d "$exe_date" "$src/fnwd32.exe"
touch -d "$dat_date" "$src/fnwd32.dat"
touch -d "2026-02-01 09:00:00" "$src/FNWD32/Fnwd32.hlp" "$src/FNWD32/FNWD32.cnt"

cp "$tp/testproduct_uninstall.exe" "$kit/uninstall.exe"
touch -d "2026-02-01 09:00:00" "$kit/uninstall.exe"
printf 'Tarnwick 32-bit kit, version 3.5\r\n' > "$kit/T32V35.TXT"
cp "$build/setup/loader/TarnwickLoadProgram.exe" "$kit/TarnwickLoadProgram.exe"
cp "$build/setup/app/fnwdsetup.exe" "$kit/fnwdsetup.exe"
printf 'C:\\build\r\n' > "$kit/BUILD.INF"
