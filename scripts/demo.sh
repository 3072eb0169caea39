#!/usr/bin/env bash
# Builds the program, assembles a demo package, installs it silently into a Wine
# prefix of the demo's own (build/demo/wineprefix) and shows what it did.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"

demo="$top/build/demo"
export WINEPREFIX="$demo/wineprefix"
export QMK_URL_RECORD="$demo/opened-urls.txt"
# shellcheck disable=SC1091
. "$top/scripts/wine-env.sh"
unset DISPLAY

package="$demo/package"
rm -rf "$package"
mkdir -p "$package/help"
cp "$top/build/bin/setup.exe" "$package/setup.exe"
cp "$top/build/testbed/QmkShot6.exe" "$package/QmkShot6.exe"
printf 'Quillmark 6 demo licence agreement.\r\n\r\nThis demo package may be installed for trying the installer.\r\n' \
    >"$package/agreement.txt"
printf 'Quillmark 6 help (demo)\r\n' >"$package/help/index.txt"
printf 'demo 64-bit helper\r\n' >"$package/QmkHook64.dat"
printf 'demo shared library stand-in\r\n' >"$package/qmkdemo.dll"
printf '[Settings]\r\nDemo=1\r\n' >"$package/default.ini"
cat >"$package/QmkUnInst.log" <<'LOG'
Quillmark 6 demo package: every kind of manifest line.
Lines that do not start with a tag, like this one, are notes.

File Copy: QmkShot6.exe
File Copy: setup.exe > QmkUnInst.exe
File Copy: agreement.txt
File Copy: default.ini > QmkShot6.ini
Make Dir: Help
File Copy: help\*.txt
File Copy x64: QmkHook64.dat
File Copy ind: qmkdemo.dll
File Overwrite: QmkShot6.cfg | written by the product, removed at uninstall
File Del: QmkOld5.dll | left over from earlier versions
LOG
sed -i 's/$/\r/' "$package/QmkUnInst.log"

echo "Preparing the demo prefix $WINEPREFIX (first time about 30 s)..."
mkdir -p "$demo"
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$top/scripts/url-recorder.sh" /f \
    >/dev/null 2>&1
# Start from a machine without the product.
wine reg delete 'HKLM\SOFTWARE\Brightwell' /f >/dev/null 2>&1 || true
: >"$QMK_URL_RECORD"

pkgwin=$(winepath -w "$package")
echo "Installing silently: $pkgwin\\setup.exe -s"
set +e
xvfb-run -a wine "$package/setup.exe" -s </dev/null >/dev/null 2>&1
code=$?
wineserver -w
set -e
echo "Exit code: $code"

instwin=$(wine reg query 'HKLM\SOFTWARE\Brightwell\Quillmark 6' /v Path 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *Path *REG_SZ *//p')
if [ -z "$instwin" ]; then
    echo "No installation was recorded in the registry." >&2
    exit 1
fi
inst=$(winepath -u "$instwin" 2>/dev/null)

echo
echo "== Files placed in $instwin"
(cd "$inst" && find . -type f | sed 's|^\./||' | sort | sed 's/^/  /')

echo
echo "== Shortcuts"
log="$inst/QmkUnInst.log"
grep -a '^Shell Link: ' "$log" | tr -d '\r' | sed 's/^Shell Link: //' | while read -r link; do
    file=$(winepath -u "$link" 2>/dev/null)
    target=$(strings -n 4 "$file" 2>/dev/null | grep -m1 -E '^[A-Za-z]:\\' || true)
    echo "  $link"
    echo "      -> ${target:-(target not readable)}"
done

echo
echo "== Registry values"
for key in 'HKLM\SOFTWARE\Brightwell\Quillmark 6' \
    'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\QmkShot6.exe' \
    'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quillmark 6'; do
    echo "  $key"
    wine reg query "$key" 2>/dev/null | tr -d '\r' | grep -a 'REG_' | sed 's/^ */      /'
done

echo
echo "== Lines the installer appended to the installed log"
lines=$(wc -l <"$package/QmkUnInst.log")
tail -n +"$((lines + 1))" "$log" | tr -d '\r' | iconv -f CP1250 -t UTF-8 | sed 's/^/  | /'

echo
echo "== Web pages opened (none expected after a silent installation)"
if [ -s "$QMK_URL_RECORD" ]; then sed 's/^/  /' "$QMK_URL_RECORD"; else echo "  (none)"; fi

cat <<EOF2

== By hand
  Both need a display (an X session, or Xvfb with a VNC viewer) for their windows.
  Uninstall:            WINEPREFIX="$WINEPREFIX" wine "$inst/QmkUnInst.exe"
  Interactive install:  WINEPREFIX="$WINEPREFIX" wine "$package/setup.exe"
                        (over this installation it first asks whether to install the same version again)
EOF2
