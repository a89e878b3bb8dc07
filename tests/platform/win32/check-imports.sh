#!/usr/bin/env bash
# check-imports.sh OBJDUMP EXE: the game may load only DLLs that every Windows
# has, and takes DirectSoundCreate from dsound.dll by its number.
set -u
objdump=$1 exe=$2
[ -f "$exe" ] || { echo "no $exe: run scripts/build-windows" >&2; exit 1; }
dump=$("$objdump" -p "$exe") || exit 1
system="kernel32.dll user32.dll gdi32.dll opengl32.dll glu32.dll dsound.dll winmm.dll msvcrt.dll advapi32.dll"
status=0
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
  grep -qw "$dll" <<<"$system" || { echo "not a system DLL: $dll" >&2; status=1; }
done
# The dsound.dll table lists one entry, by ordinal 1 and without a name.
dsound=$(awk '/DLL Name: dsound.dll/{on=1; next} on && /DLL Name:/{on=0} on' <<<"$dump")
grep -Eq '^\s*[0-9a-f]+\s+0+1\s+<none>' <<<"$dsound" || { echo "DirectSoundCreate is not taken by ordinal 1" >&2; status=1; }
grep -q DirectSoundCreate <<<"$dsound" && { echo "DirectSoundCreate is taken by name" >&2; status=1; }
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  grep -qi "$dll" <<<"$dump" && { echo "runtime not linked in: $dll" >&2; status=1; }
done
exit $status
