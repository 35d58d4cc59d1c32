#!/usr/bin/env bash
# The package test: makes the Debian package from BUILD_DIR (default: build) with CPack, checks
# it with lintian, appstreamcli and desktop-file-validate, installs it with dpkg, runs the
# installed programs as a user made for the test (the CLI's survey and article save against
# the installed spacesim, the main window from the desktop entry's command under Xvfb), then
# removes the package and checks that nothing of it is left. Needs root or sudo; it replaces an
# installed pagewren package and removes it at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
user=pagewren-test
app_id=io.github.pagewren.Pagewren
scratch=$(mktemp -d)
chmod 755 "$scratch"

fail() {
    echo "package test: $*" >&2
    exit 1
}

# Runs a command as the test user, with the proxy that leads to the simulator (sudo would
# drop it from the environment).
as_user() {
    $sudo runuser -u "$user" -- env http_proxy="${http_proxy:-}" no_proxy= "$@"
}

installed() {
    dpkg-query -W -f='${db:Status-Status}' pagewren 2>/dev/null | grep -qx installed
}

cleanup() {
    local status=$?
    local sim_pid
    sim_pid=$(sed -n 's/^pid //p' "$scratch/sim.log" 2>/dev/null)
    if [ -n "$sim_pid" ]; then
        $sudo kill "$sim_pid" 2>/dev/null || true
        wait 2>/dev/null || true
    fi
    if installed; then
        $sudo dpkg -r pagewren >/dev/null || true
    fi
    if id "$user" >/dev/null 2>&1; then
        $sudo userdel -r "$user" >/dev/null 2>&1 || echo "package test: user $user is left" >&2
    fi
    $sudo rm -rf "$scratch"
    exit "$status"
}
trap cleanup EXIT

# The package and its checks.
deb=$(cd "$build_dir" && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
[ -f "$deb" ] || fail "cpack made no package"
lintian --fail-on error "$deb"
version=$(dpkg-deb -f "$deb" Version)

# What the package holds, and which of its folders the machine had already.
dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' | sed 's|/$||' | grep . >"$scratch/contents"
while read -r path; do
    [ -d "$path" ] && echo "$path"
done <"$scratch/contents" >"$scratch/folders_before"

if installed; then
    echo "package test: replacing the installed pagewren package"
fi
$sudo dpkg -i "$deb" >/dev/null
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null
desktop-file-validate "/usr/share/applications/$app_id.desktop"
[ "$(pagewren-cli --version)" = "pagewren-cli $version" ] || fail "pagewren-cli --version"
[ "$(pagewren --version)" = "pagewren $version" ] || fail "pagewren --version"
[ "$(spacesim --version)" = "spacesim $version" ] || fail "spacesim --version"
spacesim --help | grep -qx "sample spaces: /usr/share/pagewren/spaces" ||
    fail "spacesim does not serve the installed sample spaces"
if command -v man >/dev/null; then
    MANPAGER=cat man pagewren-cli 2>/dev/null | grep -q "EXIT STATUS" || fail "man pagewren-cli"
fi

# A user of the machine: the programs lie in /usr/bin, which is not theirs to write.
id "$user" >/dev/null 2>&1 && $sudo userdel -r "$user"
$sudo useradd --create-home --home-dir "$scratch/home" --shell /bin/sh "$user"
# The simulator says its own process id first, for the cleanup: the background job's would be
# runuser's, or a shell's around it.
as_user sh -c 'echo "pid $$"; exec spacesim --port 0' >"$scratch/sim.log" 2>&1 &
for _ in $(seq 100); do
    port=$(sed -n 's/^spacesim listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$scratch/sim.log")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || fail "spacesim did not start: $(cat "$scratch/sim.log")"
http_proxy="http://127.0.0.1:$port"

folder="$scratch/home/Documents/Pagewren"
as_user pagewren-cli --help | grep -q "go beneath $folder" || fail "--help names no folder"
as_user pagewren-cli --pace 0 survey http://hi.baidu.com/jiaoliao >/dev/null 2>&1 ||
    fail "the survey failed"
as_user pagewren-cli --pace 0 articles http://hi.baidu.com/jiaoliao --save txt \
    >/dev/null 2>"$scratch/save.err" || fail "the article save failed: $(cat "$scratch/save.err")"
grep -q "saved beneath $folder/jiaoliao" "$scratch/save.err" || fail "the save named no folder"
as_user test -f "$folder/blogurl.ini" || fail "no blogurl.ini in $folder"
[ -n "$(as_user find "$folder/jiaoliao" -name '*.txt')" ] || fail "no article in $folder"
[ -z "$(find /usr -user "$user" -print -quit 2>/dev/null)" ] || fail "a run wrote into /usr"

# The main window, started by the command of the installed desktop entry.
command=$(sed -n 's/^Exec=//p' "/usr/share/applications/$app_id.desktop" | sed 's/ %[a-zA-Z]//g')
as_user xvfb-run --auto-servernum sh -c '
    '"$command"' &
    app=$!
    for _ in $(seq 100); do
        xdotool search --name "^Pagewren final beta$" >/dev/null 2>&1 && shown=1 && break
        kill -0 $app 2>/dev/null || break
        sleep 0.1
    done
    kill $app 2>/dev/null
    [ -n "${shown:-}" ]
' || fail "the main window did not open from \"$command\""

# Removal leaves nothing of the package behind.
$sudo dpkg -r pagewren >/dev/null
! installed || fail "dpkg still holds pagewren"
[ -z "$(dpkg-query -W -f='${db:Status-Status}' pagewren 2>/dev/null | grep -vx not-installed)" ] ||
    fail "dpkg keeps a trace of pagewren"
while read -r path; do
    if [ -e "$path" ] && ! grep -qx "$path" "$scratch/folders_before"; then
        fail "$path is left after dpkg -r"
    fi
done <"$scratch/contents"
echo "package test: $(basename "$deb") built, checked, installed, run and removed"
