#!/usr/bin/env bash
# The Debian package CPack makes from this build: its dependencies and files, then installed
# with apt, run and removed. Skipped without root (as in CI) or sudo with no password, and when
# a spinvale package is already installed here, which it leaves alone.
build=$(cd "$1" && pwd)
skip() { echo "SKIP: $*" && exit 77; }

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo -n true 2>/dev/null || skip "installing a package needs root or sudo without a password"
    sudo=(sudo -n)
fi
command -v apt-get >/dev/null || skip "no apt-get on this machine"
command -v dpkg-shlibdeps >/dev/null || skip "no dpkg-shlibdeps (package dpkg-dev) to list the libraries"
installed() { dpkg-query -W -f='${Status}' spinvale 2>/dev/null | grep -q 'install ok installed'; }

source "$(dirname "$0")/../harness.sh"
# Another test run on this machine may be installing the package at the same time.
exec 9>/tmp/spinvale-deb-package-test.lock
flock -w 600 9 || fail "another run held the package test's lock for ten minutes"
installed && skip "a spinvale package is already installed here"
apt_get() { "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@" >>"$work/apt.log" 2>&1; }
on_exit() { installed && apt_get purge spinvale; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >cpack.log 2>&1 ||
    { fail "cpack: $(cat cpack.log)"; finish; }
deb=$(echo "$work"/spinvale_*.deb)
[ -f "$deb" ] || { fail "no spinvale_*.deb made"; finish; }
depends=$(dpkg-deb -f "$deb" Depends)
for package in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libgl1 libopengl0 libglu1-mesa libfreetype6 \
    libfontconfig1 fonts-dejavu-core libc6 libstdc++6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section games"
contents=$(dpkg-deb -c "$deb")
for file in usr/games/spinvale usr/games/spinvale-sim usr/games/spinvale-settings \
    usr/share/games/spinvale/settings.dat usr/share/games/spinvale/sounds/paddle.wav \
    usr/share/applications/io.github.spinvale.spinvale.desktop \
    usr/share/metainfo/io.github.spinvale.spinvale.metainfo.xml \
    usr/share/icons/hicolor/256x256/apps/spinvale.png usr/share/man/man6/spinvale-sim.6.gz \
    usr/share/doc/spinvale/copyright usr/share/doc/spinvale/changelog.gz; do
    grep -q " \./$file\$" <<<"$contents" || fail "the package lacks /$file"
done
# What Debian asks of a package: lintian finds no error and no warning.
command -v lintian >/dev/null || fail "no lintian (scripts/install-deps test installs it)"
lintian --fail-on error,warning --color never "$deb" || fail "lintian"

apt_get install "$deb" || { fail "apt-get install: $(cat apt.log)"; finish; }
version=$(/usr/games/spinvale --version)
[ "$version" = "spinvale $(dpkg-deb -f "$deb" Version)" ] || fail "spinvale --version: $version"
# Without settings of their own, the installed programs find the package's.
shown=$(HOME=$work/nobody XDG_CONFIG_HOME='' /usr/games/spinvale-settings show | head -1)
[ "$(realpath -m "$shown")" = /usr/share/games/spinvale/settings.dat ] ||
    fail "spinvale-settings show read '$shown'"
/usr/games/spinvale-sim --version | grep -q '^spinvale-sim [0-9]' || fail "spinvale-sim --version"
LC_ALL=C man spinvale-settings 2>&1 | grep -q '^ *spinvale-settings - show or change' ||
    fail "man spinvale-settings: $(LC_ALL=C man spinvale-settings 2>&1 | head -5)"

apt_get purge spinvale || fail "apt-get purge"
[ ! -e /usr/games/spinvale ] && [ ! -e /usr/share/games/spinvale ] ||
    fail "files left after removal"

finish
