#!/bin/sh
# `make install` into a scratch DESTDIR installs exactly the expected files, the installed
# program runs a line-console session on the installed example, and `make uninstall` leaves the
# scratch folder empty.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
dest=$root/build/install-check/dest
run=$root/build/install-check/run
rm -rf "$dest" "$run" && mkdir -p "$dest" "$run"
make=${MAKE:-make}
$make -C "$root" --no-print-directory install DESTDIR="$dest" PREFIX=/opt/dft >/dev/null
(cd "$dest" && find . ! -type d | sort) > "$run/files.txt"
diff - "$run/files.txt" <<'LIST'
./opt/dft/bin/dftanalyze
./opt/dft/share/doc/dftanalyze/README.ja.md
./opt/dft/share/doc/dftanalyze/README.md
./opt/dft/share/doc/dftanalyze/examples/data.csv
./opt/dft/share/doc/dftanalyze/examples/result.png
./opt/dft/share/man/man1/dftanalyze.1
LIST
cp "$dest/opt/dft/share/doc/dftanalyze/examples/data.csv" "$run/"
(cd "$run" && printf '256\nYES\n\nNO\n\n' | "$dest/opt/dft/bin/dftanalyze" >session.txt)
# The header and the 128 bins of N = 256.
test "$(wc -l <"$run/Result.csv")" -eq 129
$make -C "$root" --no-print-directory uninstall >/dev/null
test -z "$(ls -A "$dest")" || { echo "left after uninstall:"; find "$dest"; exit 1; }
echo "install: the expected files, a session, and nothing left after uninstall"
