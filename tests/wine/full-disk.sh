#!/usr/bin/env bash
# Runs a command with a full-disk stage in FOLDER: FOLDER/disk is a 1 MiB
# tmpfs holding Movie.AVI, a link to a 3,000,000-byte file outside it, so
# the first part written there fills the disk. Needs root; exits 77
# (skipped) when the disk cannot be mounted.
#   full-disk.sh FOLDER COMMAND...
set -uo pipefail

folder=$1
shift
if [ "$(id -u)" != 0 ]; then
    echo "skipped: mounting a small disk for the full-disk case needs root"
    exit 77
fi
mountpoint -q "$folder/disk" && umount "$folder/disk"
rm -rf "$folder"
mkdir -p "$folder/disk" "$folder/store" || exit 1
if ! mount -t tmpfs -o size=1m tmpfs "$folder/disk"; then
    echo "skipped: cannot mount a tmpfs here"
    exit 77
fi
trap 'umount "$folder/disk"' EXIT
head -c 3000000 /dev/urandom >"$folder/store/Movie.AVI" || exit 1
ln -s ../store/Movie.AVI "$folder/disk/Movie.AVI" || exit 1
"$@"
