#!/bin/sh
# Two clean builds of the release archives from two source folders give the same bytes: the
# three programs (cmp names the one that differs), then every archive by its SHA256SUMS line.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/repro
rm -rf "$work" && mkdir -p "$work/b"
# The second folder holds the working tree as it is, without its builds and without git, so
# it is given the commit's time that the first takes from git itself, as `make dist` does.
(cd "$root" && tar --exclude=./build --exclude=./dist --exclude=./.git -cf - .) | tar -C "$work/b" -xf -
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
"$root/tools/make-dist" --build "$work/a" --out "$work/a/dist" >/dev/null
SOURCE_DATE_EPOCH=$epoch "$work/b/tools/make-dist" --build "$work/b/build" --out "$work/b/dist" >/dev/null
for p in dist-linux/dftanalyze dist-win64/dftanalyze.exe dist-win32/dftanalyze.exe; do
  cmp "$work/a/$p" "$work/b/build/$p"
done
diff "$work/a/dist/SHA256SUMS" "$work/b/dist/SHA256SUMS"
echo "reproducible: two builds in two folders give the same archives"
