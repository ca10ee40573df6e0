#!/usr/bin/env bash
# Checks the installation and the Debian package of a build folder:
#   tools/check_package.sh [build-folder]
# installs into a staging folder and validates the desktop entry, the AppStream metadata and the
# MIME type there, builds the .deb with CPack and checks its files and control fields, and runs
# lintian on it when lintian is installed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
id=example.ombrel.Kestovar
fail=0
problem() {
    echo "check_package: $*" >&2
    fail=1
}

# The installed tree.
stage=$build/package-check/stage
rm -rf "$stage"
cmake --install "$build" --prefix "$stage/usr" >/dev/null
desktop-file-validate "$stage/usr/share/applications/$id.desktop" || problem "desktop entry"
appstreamcli validate --no-net --pedantic "$stage/usr/share/metainfo/$id.metainfo.xml" ||
    problem "AppStream metadata"
xmllint --noout "$stage/usr/share/mime/packages/$id.xml" || problem "MIME type is not valid XML"
# lintian below reads the manual pages as man does and names what groff finds wrong in them.

# Qt GUI, and the libraries it brings, load for clip alone, from its module.
if [ -x "$stage/usr/bin/kestovar-cli" ] &&
    readelf -d "$stage/usr/bin/kestovar-cli" | grep -q 'NEEDED.*libQt6Gui'; then
    problem "kestovar-cli needs Qt GUI at start"
fi

# The package.
rm -f "$build"/kestovar_*.deb
(cd "$build" && cpack -G DEB >/dev/null) || { problem "cpack failed"; exit 1; }
debs=("$build"/kestovar_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { problem "no single kestovar_*.deb"; exit 1; }
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "kestovar_$(dpkg-deb -f "$deb" Version)_$arch.deb" ] ||
    problem "file name $(basename "$deb")"

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
expected=(
    /usr/bin/kestovar
    /usr/share/applications/$id.desktop
    /usr/share/metainfo/$id.metainfo.xml
    /usr/share/mime/packages/$id.xml
    /usr/share/icons/hicolor/scalable/apps/$id.svg
    /usr/share/man/man1/kestovar.1.gz
    /usr/share/doc/kestovar/copyright
    /usr/share/doc/kestovar/changelog.gz
    /usr/share/kestovar/translations/kestovar_de.qm
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
if grep -qx /usr/bin/kestovar-cli <<<"$contents"; then
    expected+=("$(grep -x '/usr/lib/.*kestovar/modules/kestovar-clipboard\.so' <<<"$contents" ||
        echo /usr/lib/kestovar/modules/kestovar-clipboard.so)"
        /usr/share/man/man1/kestovar-cli.1.gz
        /usr/share/bash-completion/completions/kestovar-cli
        /usr/share/zsh/vendor-completions/_kestovar-cli)
fi
for file in "${expected[@]}"; do
    grep -qxF "$file" <<<"$contents" || problem "the package lacks $file"
done

[ "$(dpkg-deb -f "$deb" Package)" = kestovar ] || problem "Package field"
version=$(sed -n 's/^project(Kestovar VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || problem "Version is not $version"
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || problem "Section is not utils"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6' <<<"$depends" || problem "Depends names no Qt library: '$depends'"
grep -q 'libzxcvbn' <<<"$depends" || problem "Depends names no zxcvbn library: '$depends'"
for field in Maintainer Description Architecture; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || problem "empty $field"
done

if command -v lintian >/dev/null; then
    # Errors fail the check; warnings are shown.
    lintian --fail-on error "$deb" ||
        problem "lintian"
else
    echo "check_package: lintian is not installed; skipped"
fi

if [ "$fail" -ne 0 ]; then
    echo "check_package: FAILED ($deb)" >&2
    exit 1
fi
echo "check_package: $(basename "$deb") passed (Depends: $depends)"
