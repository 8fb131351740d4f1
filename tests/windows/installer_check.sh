#!/usr/bin/env bash
# The installer as a user runs it, under Wine in a Wine prefix and home of its own: a silent
# install puts the zip's files, the shortcuts (Start menu, Desktop, 送る) and the アプリと機能
# entry in place, the programs with their icon; the installed tool converts; the 送る shortcut
# hands Explorer's files to the window; the silent uninstall leaves the user's files and
# registry as they were before, with the pictures and the settings the program wrote still
# there; an update in place keeps a quillmorph.ini beside the program.
# usage: installer_check.sh SETUP_EXE ZIP VERSION ICO
set -uo pipefail
setup=${1:?usage: installer_check.sh SETUP_EXE ZIP VERSION ICO} zip=${2:?} version=${3:?} ico=${4:?}
here=$(cd "$(dirname "$0")" && pwd)
wine_only=$("$here/../../windows/toolchain.sh" wine-only)
status=0
fail() { echo "installer_check: $*" >&2; status=1; }
tmp=$(mktemp -d) && trap 'WINEPREFIX=$tmp/wine wineserver -k 2>/dev/null; rm -rf "$tmp"' EXIT
# Wine links the Desktop and other folders into $HOME, and would write menu entries there.
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share
export WINEPREFIX=$tmp/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
wineboot -i >/dev/null 2>&1 && wineserver -w
# The stand-in the prebuilt libvips needs under Wine 8, never shipped.
cp "$wine_only/bcryptprimitives.dll" "$WINEPREFIX/drive_c/windows/system32/"
user=$(id -un) # Wine names the Windows user after the Unix one
users=$WINEPREFIX/drive_c/users/$user
windows_users="C:\\users\\$user"
instdir=$users/AppData/Local/Programs/quillmorph
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\quillmorph'

# The user's pictures, outside the home (Wine links several of its folders to it). Explorer
# hands over full paths: a leading dash, spaces, & % ! and ' each stay the name's own.
data=$tmp/data && mkdir -p "$data/in" "$data/out"
windows_data='Z:'"${data//\//\\}"
picture() { printf '<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s"><rect width="100%%" height="100%%" fill="#3a7"/></svg>\n' "$2" "$3" > "$data/in/$1"; }
picture 'plain.svg' 120 80
picture "-a b&c%PATH%!x!'y.svg" 90 60
picture "second 100% & 'more'!.svg" 60 90

# Without %TEMP%: NSIS's copy of the uninstaller is deleted there at Windows' next start.
listing() { (cd "$users" && find -L . | LC_ALL=C sort | grep -v '^\./Temp\(/\|$\)'); }
registry() { # HKCU as text, without what Wine itself rewrites as it goes
    wine reg export HKCU "$tmp/hkcu.reg" /y >/dev/null 2>&1 && wineserver -w
    iconv -f UTF-16LE -t UTF-8 "$tmp/hkcu.reg" | tr -d '\r' |
        sed '/^\[HKEY_CURRENT_USER\\Control Panel\\Colors\]/,/^$/d'
}
# Always there on Windows, with other programs' entries; a fresh Wine prefix lacks it.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /f >/dev/null 2>&1
listing > "$tmp/files-before"
registry > "$tmp/reg-before"

install() { wine "$setup" /S; wineserver -w; }
uninstall() { # it copies itself to %TEMP% and goes on from there: wait for every process
    wine "$instdir/uninstall.exe" /S
    # It waits for quillmorph.exe --remove-explorer-action, which must end without a word.
    timeout 180 wineserver -w || { fail "the uninstaller has not ended in 3 minutes"; exit 1; }
}
install
[ -x "$instdir/quillmorph.exe" ] || { fail "no quillmorph.exe in $instdir after the install"; exit 1; }

# Exactly the zip's files, and the uninstaller.
top=quillmorph-$version-windows-x64
(unzip -Z1 "$zip" | sed -n "s|^$top/||p" | grep -v -e '/$' -e '^$'; echo uninstall.exe) | LC_ALL=C sort > "$tmp/want"
(cd "$instdir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) > "$tmp/have"
diff "$tmp/want" "$tmp/have" >&2 || fail "the installed files are not the zip's"
for link in "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/quillmorph.lnk" \
    "AppData/Roaming/Microsoft/Windows/SendTo/quillmorph.lnk" "Desktop/quillmorph.lnk"; do
    [ -s "$users/$link" ] || fail "no $link"
done
# The icon Explorer, the Start menu and アプリと機能 show: in both programs and the installer.
python3 "$here/ico_check.py" "$ico" "$instdir/quillmorph.exe" "$instdir/quillmorph-cli.exe" "$setup" ||
    fail "quillmorph.ico is not as Explorer wants it, or not in every program"
find -L "$users" -iname quillmorph.ini | grep -q . && fail "the installer wrote a quillmorph.ini"

value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
program="$windows_users\\AppData\\Local\\Programs\\quillmorph"
while IFS='|' read -r name want; do
    [ "$(value "$name")" = "$want" ] || fail "$name is \"$(value "$name")\", not \"$want\""
done <<EOF
DisplayName|quillmorph
DisplayVersion|$version
Publisher|quillmorph
DisplayIcon|$program\\quillmorph.exe,0
UninstallString|"$program\\uninstall.exe"
QuietUninstallString|"$program\\uninstall.exe" /S
InstallLocation|$program
NoModify|0x1
NoRepair|0x1
EOF
size_kb=$(( $(value EstimatedSize) ))
[ "$size_kb" -ge $(( $(du -sk --apparent-size "$instdir" | cut -f1) * 9 / 10 )) ] ||
    fail "EstimatedSize $size_kb KiB is not what was installed"

# The installed tool converts, from the installed folder alone.
wine "$instdir/quillmorph-cli.exe" --output-dir "$windows_data\\out" --format PNG --size 64x48 \
    "$windows_data\\in\\plain.svg" >"$tmp/cli.log" 2>&1 || fail "quillmorph-cli failed: $(cat "$tmp/cli.log")"
png_size() { od -An -tx1 -j16 -N8 "$1" | tr -d ' \n'; }
converted=$(find "$data/out" -name plain.png)
[ "$(png_size "${converted:-/dev/null}")" = 0000004000000030 ] ||
    fail "the tool wrote no 64x48 plain.png: $(cat "$tmp/cli.log")"

# 送る: the shortcut names the installed window program and no arguments of its own, so
# Explorer's files are its only arguments; started so, it converts them to the Desktop.
mapfile -t shortcut < <(python3 "$here/lnk_target.py" "$users/AppData/Roaming/Microsoft/Windows/SendTo/quillmorph.lnk")
[ "${shortcut[0]:-}" = "$program\\quillmorph.exe" ] || fail "the 送る shortcut starts \"${shortcut[0]:-}\""
[ -z "${shortcut[1]:-}" ] || fail "the 送る shortcut adds arguments: ${shortcut[1]}"
in=$windows_data\\in
wine "$instdir/quillmorph.exe" "$in\\-a b&c%PATH%!x!'y.svg" "$in\\second 100% & 'more'!.svg" >/dev/null 2>&1 &
for _ in $(seq 120); do
    [ "$(find -L "$users/Desktop" -path '*/pic*/*.*' -newer "$tmp/want" | wc -l)" -ge 2 ] && break
    sleep 1
done
# While the window runs its files cannot go: the uninstaller (run in place, to see its status)
# refuses and changes nothing.
wine "$instdir/uninstall.exe" /S "_?=$program"; refused=$?
[ "$refused" = 2 ] && [ -e "$instdir/quillmorph.exe" ] ||
    fail "the uninstaller went on while the window ran ($refused)"
wineserver -k; wineserver -w
sent=$(cd "$users/Desktop" && find -L . -path './pic*/*' -newer "$tmp/want" -printf '%f\n' | LC_ALL=C sort)
[ "$sent" = "$(printf '%s\n' "-a b&c%PATH%!x!'y.jpg" "second 100% & 'more'!.jpg")" ] ||
    fail "the 送る shortcut's files became: ${sent:-nothing}"

uninstall
# What stays: the pictures made (in the Desktop's dated folder, seen through every folder Wine
# links to the home), the settings the program wrote, and the lock the killed window left.
kept() { # the listing without what may stay, and the patterns given
    listing | grep -v -e '/pic[0-9][^/]*\(/\|$\)' -e '^\./AppData/Roaming/quillmorph\(/quillmorph\.ini\)\?$' \
        -e '^\./AppData/Local/quillmorph\(/[^/]*\.lock\)\?$' "$@"
}
diff "$tmp/files-before" <(kept) >&2 || fail "the uninstall left the files other than before"
[ -s "$converted" ] && [ "$(cd "$users/Desktop" && find . -path './pic*/*' | wc -l)" = 2 ] ||
    fail "the uninstall took a picture away"
diff "$tmp/reg-before" <(registry) >&2 || fail "the uninstall left the registry other than before"

# Installed again with the Explorer menu, made portable with a quillmorph.ini beside the program,
# and updated in place: the same files again, the user's settings file untouched, then kept by
# the uninstall, which takes the menu's keys away without a word.
wine "$setup" /S /EXPLORERMENU; wineserver -w
wine reg query 'HKCU\Software\Classes\Directory\shell\quillmorph\shell\00\command' >/dev/null 2>&1 ||
    fail "/EXPLORERMENU added no Explorer menu"
printf '[quillmorph]\nformat=WEBP\n' > "$instdir/quillmorph.ini"
install
(cd "$instdir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) > "$tmp/have"
diff <(LC_ALL=C sort "$tmp/want" <(echo quillmorph.ini)) "$tmp/have" >&2 || fail "the update left other files"
[ -s "$users/AppData/Roaming/Microsoft/Windows/SendTo/quillmorph.lnk" ] || fail "the update lost the 送る shortcut"
uninstall
[ "$(cat "$instdir/quillmorph.ini" 2>/dev/null)" = "$(printf '[quillmorph]\nformat=WEBP')" ] ||
    fail "the uninstall touched the quillmorph.ini beside the program"
diff "$tmp/files-before" <(kept -e '^\./AppData/Local/Programs\(/quillmorph\(/quillmorph\.ini\)\?\)\?$') >&2 ||
    fail "the second uninstall left other files than the settings"
diff "$tmp/reg-before" <(registry) >&2 || fail "the second uninstall left the registry other than before"
exit $status
