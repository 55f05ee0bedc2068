#!/bin/bash
# Installs, as root on Debian 12, every package that the build and the tests
# need: the one list of them (.ci/run and the README call this).
#
#   core:     every suite but the Windows one needs these; they must install.
#   windows:  the cross compilers and the 64-bit Wine; they must install too
#             (none of them is an i386 package).
#   wine32:   the 32-bit Wine that runs the shipped 32-bit .exe. Tried as it is,
#             then by the fallback below; when neither installs it, one line
#             says so and the script still succeeds: the Windows suite then
#             leaves the 32-bit runs out with a banner naming the cause.
#   emulator: qemu-user-static, only where the kernel runs no 32-bit programs
#             (built or booted without them): registered for them in
#             binfmt_misc (wine32_runs below). When that cannot be done, one
#             line says so, as for wine32.
#
# Exit status 0 when core and windows are installed (wine32 or not), 1 when
# either is not, with the packages and apt's reason, before anything is built.
set -u
export DEBIAN_FRONTEND=noninteractive
core=(g++ cmake libgtest-dev clang clang-format libclang-rt-14-dev locales zip mandoc groff man-db lintian)
windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64)
me=install_deps
log=$(mktemp)
pref=$(mktemp)
trap 'rm -f "$log" "$pref"' EXIT

[ "$(id -u)" = 0 ] || { echo "$me: run as root (apt-get install)"; exit 1; }
# wine32 comes from the i386 architecture.
dpkg --add-architecture i386

# A mirror in the middle of a sync serves index files of the wrong size for a
# while: the update is tried again, then the install goes on with the lists
# there are.
for try in 1 2 3; do
  apt-get update -q && break
  [ $try = 3 ] && echo "$me: apt-get update failed three times: installing from the lists there are" || sleep 10
done

install() {  # PACKAGE...: apt-get install, its output in $log
  apt-get install -y -q "$@" >"$log" 2>&1
}
# apt's reason: the package it cannot install, else its error.
reason() { { grep -m1 'not installable' "$log" || grep -m1 '^E:' "$log"; } | sed 's/^ *//'; }
# must TIER PACKAGE...: installed, or the script ends naming them and apt's reason.
must() {
  local tier=$1 p none=()
  shift
  install "$@" && return 0
  for p in "$@"; do
    apt-cache policy "$p" 2>/dev/null | grep -q 'Candidate: [^(]' || none+=("$p")
  done
  echo "$me: the $tier packages did not install: $*"
  [ ${#none[@]} = 0 ] || echo "$me: not in the package lists: ${none[*]}"
  echo "$me: apt-get says:"
  grep -E '^(E:|W:| [^ ].*: )|Depends|Conflicts|Breaks' "$log" | head -n 40 | sed 's/^/  /'
  exit 1
}

# With wine32 installed, the end: its loader started, or the emulator made to
# start it. A kernel that runs no 32-bit programs (CONFIG_IA32_EMULATION off,
# or ia32_emulation=off at boot) answers "Exec format error"; QEMU's user mode
# then runs them, once registered in binfmt_misc for i386 ELF files, as root,
# like the i386 architecture above. Only there: an entry is tried before the
# kernel's own loader, and on a kernel that runs them it would send every
# 32-bit start through the emulator. The F flag opens the emulator now, so it
# serves every mount namespace. An entry lasts until the next boot, so one
# found was made on this kernel, by an earlier run: it is kept.
wine32_runs() {
  local loader=/usr/lib/wine/wine entry=/proc/sys/fs/binfmt_misc/qemu-i386 err
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  if [ -f "$entry" ]; then
    echo "$me: 32-bit programs run through $(sed -n 's/^interpreter //p' "$entry"), registered since the last boot"
  elif err=$("$loader" --version 2>&1 >/dev/null); then
    echo "$me: the 32-bit Wine starts: no emulator registered"
  elif [[ $err != *"Exec format error"* ]]; then
    echo "$me: $loader does not start ($err): the 32-bit .exe will be built but not run"
  elif ! install qemu-user-static; then
    echo "$me: this kernel runs no 32-bit programs, and qemu-user-static does not install ($(reason)): the 32-bit .exe will be built but not run"
  elif ! { mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc; } ||
       ! echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" >/proc/sys/fs/binfmt_misc/register 2>"$log"; then
    echo "$me: this kernel runs no 32-bit programs, and binfmt_misc takes no emulator ($(head -n 1 "$log")): the 32-bit .exe will be built but not run"
  elif ! err=$("$loader" --version 2>&1 >/dev/null); then
    echo -1 >"$entry"
    echo "$me: this kernel runs no 32-bit programs, and $loader does not start under qemu-i386-static either ($err): the 32-bit .exe will be built but not run"
  else
    echo "$me: this kernel runs no 32-bit programs: qemu-user-static installed and registered for them in binfmt_misc, until the next boot (run this again then)"
  fi
  exit 0
}

# The usual case: everything at once.
if install "${core[@]}" "${windows[@]}" wine32:i386; then
  echo "$me: every package is installed, wine32:i386 too"
  wine32_runs
fi
must core "${core[@]}"
must windows "${windows[@]}"
echo "$me: core and windows packages installed"
install wine32:i386 && { echo "$me: wine32:i386 installed"; wine32_runs; }
reason=$(reason)

# The fallback, for a security suite whose i386 index could not be fetched:
# the amd64 libraries are then at the security suite's versions and their
# i386 twins (which must be of the same version) are not in the lists. For
# this one install the security suite is held back, so that both
# architectures take the main suite's versions, and each library of wine32's
# that is installed for amd64 at a version the main suite lacks for i386 is
# taken down to the main suite's, for both. Nothing in /etc is changed.
printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: -1\n' >"$pref"
apt=(-o "Dir::Etc::Preferences=$pref")
twins=()
for p in $(apt-cache "${apt[@]}" depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
             --no-replaces --no-enhances wine32:i386 2>/dev/null | sed -n 's/^\([a-z0-9][^ ]*\):i386$/\1/p' | sort -u); do
  have=$(dpkg-query -W -f '${db:Status-Status} ${Version} ${Multi-Arch}' "$p:amd64" 2>/dev/null) || continue
  set -- $have
  [ "$1" = installed ] && [ "${3:-}" = same ] || continue
  want=$(apt-cache "${apt[@]}" policy "$p:i386" | sed -n 's/^ *Candidate: \([^(].*\)$/\1/p')
  [ -n "$want" ] && dpkg --compare-versions "$2" gt "$want" && twins+=("$p:amd64=$want" "$p:i386=$want")
done
echo "$me: wine32:i386 did not install ($reason); trying again from the main suite${twins:+, with ${twins[*]}}"
if install "${apt[@]}" --no-install-recommends --allow-downgrades "${core[@]}" "${windows[@]}" wine32:i386 "${twins[@]}"; then
  echo "$me: wine32:i386 installed from the main suite"
  wine32_runs
fi
echo "$me: wine32:i386 cannot be installed here ($(reason)): the 32-bit .exe will be built but not run"
exit 0
