#!/bin/sh
# Two clean builds of the release archives from two source folders give the same bytes: the
# archives hold the stripped Linux and Windows programs, so SHA256SUMS compares all three.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/repro
rm -rf "$work" && mkdir -p "$work/b"
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
# The second folder holds the working tree as it is, without its builds.
(cd "$root" && tar --exclude=./build --exclude=./dist --exclude=./.git -cf - .) | tar -C "$work/b" -xf -
"$root/tools/make-dist" --build "$work/a" --out "$work/a/dist" >/dev/null
"$work/b/tools/make-dist" --build "$work/b/build" --out "$work/b/dist" >/dev/null
diff "$work/a/dist/SHA256SUMS" "$work/b/dist/SHA256SUMS"
echo "reproducible: two builds in two folders give the same archives"
