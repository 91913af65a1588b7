#!/usr/bin/env bash
# Installs the build into a scratch folder as a package would (prefix /usr) and checks the tree:
# the programs, the desktop entry and metainfo (through their validators), the icons, the udev
# rule, the manual pages (each names every option its program's --help lists) and the bash
# completion (loaded as bash-completion loads it, then asked for words).
#   tests/install/check-install.sh BUILD_DIR
set -uo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
app_id=org.calsetup.CalSetup
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Whether the text in $1 holds every line of $2 (both newline-separated).
holds_all() {
    local missing
    missing=$(comm -13 <(sort -u <<<"$1") <(sort -u <<<"$2"))
    [[ -z $missing ]] || { echo "missing: ${missing//$'\n'/ }" >&2; return 1; }
}

if ! DESTDIR="$scratch" cmake --install "$build" --prefix /usr >"$scratch.log" 2>&1; then
    cat "$scratch.log" >&2
    rm -f "$scratch.log"
    echo "FAIL: cmake --install" >&2
    exit 1
fi
rm -f "$scratch.log"
usr=$scratch/usr

for program in calsetup calsetup-cli calsim; do
    [[ -x $usr/bin/$program ]] || fail "no program usr/bin/$program"
done

# The validators: desktop-file-utils and appstream (./test.sh installs them).
desktop=$usr/share/applications/$app_id.desktop
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
for tool in desktop-file-validate appstreamcli groff; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (./test.sh installs it)"
done
if [[ ! -f $desktop ]]; then
    fail "no desktop entry usr/share/applications/$app_id.desktop"
elif ! output=$(desktop-file-validate "$desktop" 2>&1) || [[ -n $output ]]; then
    fail "desktop-file-validate: $output"
else
    grep -q "^Icon=$app_id$" "$desktop" || fail "the desktop entry names another icon"
    grep -q '^Exec=calsetup$' "$desktop" || fail "the desktop entry starts another program"
    grep -q '^Categories=.*Electronics;' "$desktop" || fail "the desktop entry is not in Electronics"
fi
if [[ ! -f $metainfo ]]; then
    fail "no metainfo usr/share/metainfo/$app_id.metainfo.xml"
else
    appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 \
        || fail "appstreamcli validate: $(cat "$scratch/appstream.log")"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
        || fail "the metainfo launches another desktop entry"
    version=$(QT_QPA_PLATFORM=offscreen "$usr/bin/calsetup" --version 2>/dev/null | awk '{print $NF}')
    grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" || fail "the metainfo has no release $version"
    grep -q '<image[^>]*>https://[^<]*/main-window.png</image>' "$metainfo" || fail "the metainfo shows no screenshot"
fi

# The icons: the SVG, and PNGs of the size their folder says.
icons=$usr/share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/$app_id.svg" 2>/dev/null || fail "no icon hicolor/scalable/apps/$app_id.svg"
for size in 48 128; do
    png=$icons/${size}x${size}/apps/$app_id.png
    if [[ ! -f $png ]]; then
        fail "no icon hicolor/${size}x${size}/apps/$app_id.png"
        continue
    fi
    # The PNG header's width and height, big-endian, at bytes 16 and 20.
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [[ $width == "$size" && $height == "$size" ]] || fail "$png is ${width}x$height"
done

# The udev rule, in the system's folder whatever the prefix.
rules=$(find "$scratch" -path '*/udev/rules.d/*.rules')
case $rules in
    "$scratch/usr/lib/udev/rules.d/"*.rules | "$scratch/lib/udev/rules.d/"*.rules)
        grep -q '^KERNEL=="gpib\[0-9\]\*", TAG+="uaccess"' "$rules" || fail "the udev rule leaves out the GPIB boards"
        grep -q 'ATTR{idVendor}=="0403".*TAG+="uaccess"' "$rules" || fail "the udev rule leaves out the FTDI bridges" ;;
    *) fail "no single udev rule under usr/lib/udev/rules.d or lib/udev/rules.d: ${rules:-none}" ;;
esac

# The manual pages: roff without warnings, and every option of --help named. The page is read
# with its minus signs as hyphens and without font changes, as a reader sees it.
export QT_QPA_PLATFORM=offscreen
declare -A known=([calsetup]=--simulate [calsetup-cli]=--gpib [calsim]=--misstore)
for program in calsetup calsetup-cli calsim; do
    page=$usr/share/man/man1/$program.1
    if [[ ! -f $page ]]; then
        fail "no manual page usr/share/man/man1/$program.1"
        continue
    fi
    warnings=$(groff -man -ww -z "$page" 2>&1) || true
    [[ -z $warnings ]] || fail "$program.1: $warnings"
    text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
    options=$("$usr/bin/$program" --help 2>/dev/null | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u)
    [[ -n $options ]] || fail "$program --help lists no options"
    named=$(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$text" | sort -u)
    holds_all "$named" "$options" || fail "$program.1 does not name every option of $program --help"
    grep -q -- "^${known[$program]}\b" <<<"$text" || fail "$program.1 has no entry ${known[$program]}"
done
grep -q '^journal verify$' <(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$usr/share/man/man1/calsetup-cli.1") \
    || fail "calsetup-cli.1 has no entry for journal verify"

# The bash completion: loaded from inside a function as bash-completion does, then asked.
completion=$usr/share/bash-completion/completions/calsetup-cli
if [[ ! -f $completion ]]; then
    fail "no completion usr/share/bash-completion/completions/calsetup-cli"
else
    bash -n "$completion" || fail "the completion is not valid bash"
    if command -v shellcheck >/dev/null; then
        shellcheck -s bash "$completion" >&2 || fail "shellcheck finds fault with the completion"
    else
        fail "shellcheck is not installed (./test.sh installs it)"
    fi
    mkdir -p "$scratch/by-id" "$scratch/work/tables"
    touch "$scratch/by-id/usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0" "$scratch/work/meter.cal" \
        "$scratch/work/table.spec"
    completions=$(cd "$scratch/work" && bash --norc --noprofile -c '
        load() { . "$1"; }
        load "$1"
        _calsetup_cli_serial_dir=$2
        complete -p calsetup-cli
        ask() {
            COMP_WORDS=(calsetup-cli "$@")
            COMP_CWORD=$#
            COMPREPLY=()
            _calsetup_cli
            echo "[$*] $(printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " ")"
        }
        ask ""
        ask cal ""
        ask --gpib ""
        ask --gpib 9 gpib ""
        ask --model ""
        ask --port ""
        ask cal write --
        ask --trace cal backup --
        ask cal read ""
        ask setup --specs ""
        ask journal ""
        ask identify ""
    ' completion "$completion" "$scratch/by-id" 2>&1)
    expect() {
        local line
        line=$(grep -F -- "[$1] " <<<"$completions") || { fail "completion of \"$1\": no answer"; return; }
        line=${line#"[$1] "}
        for word in $2; do
            [[ " $line " == *" $word "* ]] || fail "completion of \"$1\" lacks $word: $line"
        done
        for word in ${3:-}; do
            [[ " $line " != *" $word "* ]] || fail "completion of \"$1\" offers $word: $line"
        done
    }
    grep -q 'complete -F _calsetup_cli calsetup-cli' <<<"$completions" || fail "the completion is not registered: $completions"
    expect "" "identify info cal gpib journal locate" "read --port"
    expect "cal " "read write diff backup restore clear" "identify"
    expect "--gpib " "0 1 22 30" "31 identify"
    expect "--gpib 9 gpib " "find move" "9 identify"
    expect "--model " "5200 5600 6400"
    expect "--port " "$scratch/by-id/usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0"
    expect "cal write --" "--no-journal --no-verify --port --trace" "--yes"
    expect "--trace cal backup --" "--yes --no-journal --port" "--trace"
    expect "cal read " "meter.cal tables" "table.spec"
    expect "setup --specs " "meter.cal table.spec"
    expect "journal " "path verify"
    expect "identify " "" "identify info"
    gpib_count=$(grep -F -- "[--gpib ] " <<<"$completions" | wc -w)
    [[ $gpib_count -eq 33 ]] || fail "--gpib offers $((gpib_count - 2)) addresses, not 31"
fi

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installed tree checked: programs, desktop entry, metainfo, icons, udev rule, manual pages, completion"
