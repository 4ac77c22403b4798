#!/bin/bash
# coordconv-cli's -o FILE on the file system, one case a line: what it checks, and commands that
# succeed only when the program does it. Run by ctest with the program's path, as root (CI) and as
# a user alike. The results are the window's digits for 55°45' N 37°37' E, checked in cli.cases.
cli=$1
work=$(mktemp -d) && cd "$work" || exit 1
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
umask 022
point='554500 373700 100' xyz='2849972.61724 2196095.35833 5248909.51103'
cc() { "$cli" --parameters window wgs84-blh wgs84-xyz "$@"; }
failed=0
check() { (eval "$2") >/dev/null 2>&1 || { echo "FAILED: $1"; failed=1; }; }
root() { [ "$(id -u)" = 0 ]; }

check "/dev/stdout into a >> log: written in place" '{ echo earlier; echo "$point" | cc -o /dev/stdout; echo later; } >>log1; [ "$(cat log1)" = "$(printf "earlier\n%s\nlater" "$xyz")" ]'
check "/dev/fd/1 through a symbolic link: written in place" 'ln -s /dev/fd/1 tolog; { echo earlier; echo "$point" | cc -o tolog; } >>log2; [ "$(cat log2)" = "$(printf "earlier\n%s" "$xyz")" ] && [ -L tolog ]'
check "-k: the file holds the marked bad lines, and the message says so" 'printf "x 1 2\n%s\n" "$point" | cc -k -o k.txt 2>err; [ $? = 65 ] && [ "$(cat k.txt)" = "$(printf "x 1 2 # error: field 1 \"x\" is not a number\n%s" "$xyz")" ] && grep -q "1 line with errors" err && grep -q "k.txt written with its bad lines marked" err'
check "-k and a later input missing: 66, the file unchanged, never said written" 'echo old >k2.txt; printf "x 1 2\n" >bad.txt; cc -k bad.txt missing.txt -o k2.txt 2>err; [ $? = 66 ] && [ "$(cat k2.txt)" = old ] && ! grep -q "marked" err && grep -q "k2.txt left unchanged" err'
check "a file of another user, written by a user: refused, 73 (root with setpriv only)" '! root || ! command -v setpriv || ! setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$cli" || { d=$(mktemp -d /tmp/coordconv-shared-XXXXXX); chmod 1777 "$d"; echo old >"$d/theirs.txt"; chmod 666 "$d/theirs.txt"; echo "$point" | setpriv --reuid=65534 --regid=65534 --clear-groups "$cli" --parameters window wgs84-blh wgs84-xyz -o "$d/theirs.txt" 2>err; s=$?; c=$(cat "$d/theirs.txt"); rm -r "$d"; [ $s = 73 ] && [ "$c" = old ] && grep -q "belongs to another user" err; }'
check "an input as its own output: 64, the file as it was" 'echo "$point" >self.txt; cc self.txt -o self.txt 2>err; [ $? = 64 ] && [ "$(cat self.txt)" = "$point" ] && grep -q "is also an input" err'
check "a bad line without -k: the file as it was, and said" 'echo old >kept.txt; echo x | cc -o kept.txt 2>err; [ $? = 65 ] && [ "$(cat kept.txt)" = old ] && grep -q "kept.txt left unchanged" err'
check "a 0600 file stays 0600" 'echo old >private.txt; chmod 600 private.txt; echo "$point" | cc -o private.txt && [ "$(stat -c %a private.txt)" = 600 ]'
check "another's file keeps its owner (root only)" '! root || { echo old >owned.txt; chown 12345:12345 owned.txt; echo "$point" | cc -o owned.txt && [ "$(stat -c %u:%g owned.txt)" = 12345:12345 ]; }'
check "a read-only file is refused: 73, unchanged" 'echo old >ro.txt; chmod 444 ro.txt; echo "$point" | cc -o ro.txt 2>err; [ $? = 73 ] && [ "$(cat ro.txt)" = old ] && grep -q "ro.txt: cannot write: the file is read-only" err'
check "a read-only directory is named (a user only)" 'root || { mkdir rodir; chmod 555 rodir; echo "$point" | cc -o rodir/f 2>err; [ $? = 73 ] && grep -q "the directory rodir is not writable" err; }'
check "a dangling symbolic link stays a link, its file written" 'ln -s made.txt dangling.txt; echo "$point" | cc -o dangling.txt && [ -L dangling.txt ] && [ "$(cat made.txt)" = "$xyz" ]'
check "a link planted at the old partial name is not followed" 'echo victim >victim.txt; echo "$point" | sh -c "ln -s victim.txt target.txt.partial-\$\$; exec \"\$0\" --parameters window wgs84-blh wgs84-xyz -o target.txt" "$cli"; [ "$(cat victim.txt)" = victim ] && [ ! -L target.txt ] && [ "$(cat target.txt)" = "$xyz" ]'
check "a name of 250 bytes" 'name=$(printf "%0250d" 7); echo "$point" | cc -o "$name" && [ "$(cat "$name")" = "$xyz" ]'
check "a name beyond 255 bytes: 73 before converting" 'name=$(printf "%0256d" 7); echo "$point" | cc -o "$name" 2>err; [ $? = 73 ] && grep -q "File name too long" err'
check "SIGTERM removes the private partial file, the target stays" 'mkdir killed && cd killed && mkfifo in && echo old >killed.txt; "$cli" -o killed.txt wgs84-blh wgs84-xyz in & exec 3>in; echo "$point" >&3; [ "$(stat -c %a .coordconv-*)" = 600 ] && kill -TERM $! && { wait $!; [ $? = 143 ]; } && [ "$(cat killed.txt)" = old ] && [ "$(ls -A)" = "$(printf "in\nkilled.txt")" ]'
check "from a pipe, a point is written when its line arrives" 'mkfifo pin pout; cc <pin >pout & exec 5>pin 6<pout; echo "$point" >&5; read -t 30 -r line <&6 && [ "$line" = "$xyz" ]'
check "a file cut short during the run: 74, named" 'yes "$point" | head -n 150000 >long.txt; mkfifo out; cc --jobs 1 long.txt >out 2>err & exec 4<out; dd bs=1 count=1 <&4; : >long.txt; cat <&4 >/dev/null; wait $!; [ $? = 74 ] && grep -q "long.txt: cannot read the points: the file became shorter during the run" err'
check "--help, --version, --describe to a full disk: 74" 'for a in --help --version "--describe wgs84-blh wgs84-xyz"; do "$cli" $a >/dev/full 2>err; [ $? = 74 ] && grep -q "cannot write" err || exit 1; done'

# GIS files, written by GDAL into a private directory and renamed: the same rules.
printf '{"type":"FeatureCollection","features":[{"type":"Feature","properties":{"n":1},"geometry":{"type":"Point","coordinates":[37.6,55.7]}}]}' >in.geojson
gis() { "$cli" wgs84-blh sk42-xyh in.geojson "$@"; }
check "GIS: a 0600 file stays 0600, another's keeps its owner (root only)" 'gis -o p.gpkg && chmod 600 p.gpkg && { ! root || chown 12345:12345 p.gpkg; } && gis -o p.gpkg && [ "$(stat -c %a p.gpkg)" = 600 ] && { ! root || [ "$(stat -c %u:%g p.gpkg)" = 12345:12345 ]; }'
check "GIS: a symbolic link stays a link, its file written" 'mkdir real && ln -s real/r.gpkg link.gpkg && gis -o link.gpkg && [ -L link.gpkg ] && [ -s real/r.gpkg ] && [ -z "$(ls -A real | grep -v "^r.gpkg$")" ]'
check "GIS: a read-only file is refused: 73, unchanged" 'echo old >ro.gpkg; chmod 444 ro.gpkg; gis -o ro.gpkg 2>err; [ $? = 73 ] && [ "$(cat ro.gpkg)" = old ] && grep -q "ro.gpkg: cannot write: the file is read-only" err'
check "GIS: a read-only file is refused before the points are: 73, not a bad point's 65" 'echo old >ro2.gpkg; chmod 444 ro2.gpkg; sed s/55.7/100/ in.geojson >bad.geojson; "$cli" wgs84-blh sk42-xyh bad.geojson -o ro2.gpkg 2>err; [ $? = 73 ] && grep -q "read-only" err'
check "GIS: a FIFO or a descriptor is refused: 73, the FIFO stays one" 'mkfifo f.gpkg; gis -o f.gpkg 2>err; [ $? = 73 ] && [ -p f.gpkg ] && grep -q "not a regular file" err && gis -o /dev/stdout --format GPKG 2>err >/dev/null; [ $? = 73 ] && grep -q "descriptor of this process" err'
check "GIS: a file of another user, written by a user: refused, 73 (root with setpriv only)" '! root || ! command -v setpriv || ! setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$cli" || { d=$(mktemp -d /tmp/coordconv-shared-XXXXXX); chmod 1777 "$d"; cp in.geojson "$d"; echo old >"$d/theirs.gpkg"; chmod 666 "$d/theirs.gpkg"; setpriv --reuid=65534 --regid=65534 --clear-groups "$cli" wgs84-blh sk42-xyh "$d/in.geojson" -o "$d/theirs.gpkg" 2>err; s=$?; c=$(cat "$d/theirs.gpkg"); rm -r "$d"; [ $s = 73 ] && [ "$c" = old ] && grep -q "belongs to another user" err; }'
check "GIS: a Shapefile replaced takes its old spatial index and sidecars with it" 'mkdir shp && ogr2ogr -lco SPATIAL_INDEX=YES shp/q.shp in.geojson && touch shp/q.sbn shp/q.shp.xml && [ -f shp/q.qix ] && gis -o shp/q.shp && [ "$(ls shp | tr "\n" " ")" = "q.cpg q.dbf q.prj q.shp q.shx " ]'
check "GIS: an existing directory is refused before converting: 73" 'mkdir olddir; gis -o olddir --format "ESRI Shapefile" 2>err; [ $? = 73 ] && grep -q "olddir: cannot write: it is a directory" err && [ -z "$(ls -A olddir)" ]'
check "GIS: SIGTERM while GDAL writes ends the run at once, nothing left" 'mkdir gkill && cd gkill && awk "BEGIN { print \"lon,lat\"; for (i = 0; i < 300000; ++i) printf \"%.6f,%.6f\n\", 37 + i % 1000 / 1000, 55 + int(i / 1000) / 1000 }" >in.csv && { "$cli" --input-format CSV wgs84-blh sk42-xyh in.csv -o out.gpkg & } && for i in $(seq 600); do ls -d .coordconv-* >/dev/null 2>&1 && break; sleep 0.05; done && kill -TERM $! && { wait $!; [ $? = 143 ]; } && [ "$(ls -A)" = in.csv ]'
exit $failed
