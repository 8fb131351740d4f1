#!/usr/bin/env bash
# Fails when a source outside the system's seam talks to the operating system itself: a system
# header, or a system's paths or programs by name. Only files named …Posix.{cpp,h} and
# …Windows.{cpp,h} may, and never under engine/ or batch/.
set -uo pipefail
src=${1:?usage: seam_check.sh SRC_DIR}
calls='#include <(unistd|fcntl|dirent|pwd|signal|poll|malloc|windows)\.h>|#include <sys/|#include <csignal>|/proc/|xdg-open'
status=0
while IFS= read -r hit; do
    file=${hit%%:*}
    case $file in
        */convert/engine/* | */convert/batch/*) ;;
        *Posix.cpp | *Posix.h | *Windows.cpp | *Windows.h) continue ;;
    esac
    echo "outside the seam: $hit"
    status=1
done < <(grep -rnE "$calls" "$src" --include='*.cpp' --include='*.h')
exit $status
