#!/bin/bash
# check-imports.sh <objdump> <exe> <pei-i386|pei-x86-64> <i686|x86_64> <program> <floor> <list>
# (program: ruvacfg, ruvasetw, ruva2-sim or ruva2sim_driver, the stand-in driver ruva2sim.sys)
# Fails unless the exe is a PE image of that format whose header asks for Windows <floor> (5.1, 5.2)
# and whose imports are exactly those that the list gives that program on that architecture.
set -euo pipefail
objdump=$1 exe=$2 format=$3 arch=$4 program=$5 floor=$6 list=$7
dump=$("$objdump" -p "$exe")
grep -q "file format $format\$" <<<"$dump" || { echo "$exe is not of the format $format"; exit 1; }
for field in OSystem Subsystem; do
    version=$(awk -v f="$field" '$1 == "Major" f "Version" { v = $2 }
        $1 == "Minor" f "Version" { print v "." $2 }' <<<"$dump")
    [[ $version == "$floor" ]] || { echo "$exe: its $field version is $version, not $floor"; exit 1; }
done
# Each DLL's block: "DLL Name: <dll>", a line per function (address, hint, name), a blank line.
imported=$(awk '/DLL Name:/ { dll = tolower($3); next } /^$/ { dll = "" }
    dll && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3 }' <<<"$dump" | sort -u)
# The list's entries: "<dll>[ <only for: programs, architectures>...]: <functions...>".
expected=$(awk -v program="$program" -v arch="$arch" -F: '/^#/ || !NF { next }
    { n = split($1, w, " "); programs = program_named = arches = arch_named = 0
      for (i = 2; i <= n; i++) {
          if (w[i] ~ /^(ruvacfg|ruvasetw|ruva2-sim|ruva2sim_driver)$/) { programs = 1; program_named += w[i] == program }
          else if (w[i] ~ /^(i686|x86_64)$/) { arches = 1; arch_named += w[i] == arch }
          else { print "unknown \"" w[i] "\" in: " $0 >"/dev/stderr"; exit 1 } }
      # An entry for no program in particular is for ruvacfg and ruvasetw: the simulator and the driver
      # have entries of their own.
      if ((programs ? program_named : program ~ /^(ruvacfg|ruvasetw)$/) && (!arches || arch_named))
          for (i = split($2, f, " "); i > 0; i--) print w[1], f[i] }' "$list" |
    sort -u)
new=$(comm -23 <(echo "$imported") <(echo "$expected"))
gone=$(comm -13 <(echo "$imported") <(echo "$expected"))
[[ -z $new ]] || echo "$(basename "$exe") ($arch) imports what $list does not list for it; add each once you have" \
    "checked that the oldest Windows of $arch has it (see the head of the list):"$'\n'"$new"
[[ -z $gone ]] || echo "$(basename "$exe") ($arch) no longer imports these; take them out of $list:"$'\n'"$gone"
[[ -z $new && -z $gone ]] || exit 1
echo "$(basename "$exe") ($arch): $(wc -l <<<"$imported") imports, all listed"
