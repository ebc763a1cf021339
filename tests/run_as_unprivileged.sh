#!/usr/bin/env bash
# Runs a test program as the unprivileged user nobody, for failures that root
# never meets (permissions). The program is copied to a fresh folder first,
# since nobody may not be able to reach the build folder.
# Usage: run_as_unprivileged.sh PROGRAM [ARGUMENT...]
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "not root: the permission cases already ran in the ordinary test run"
  exit 0
fi
program="${1:?usage: run_as_unprivileged.sh PROGRAM [ARGUMENT...]}"
shift
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cp "$program" "$folder/"
chmod 755 "$folder" "$folder/$(basename "$program")"
cd "$folder"
setpriv --reuid=65534 --regid=65534 --clear-groups \
  env HOME="$folder" TMPDIR=/tmp "./$(basename "$program")" "$@"
