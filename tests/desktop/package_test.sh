#!/bin/sh
# The Debian package made from this build: every installed path is in it, and its dependencies
# name the SDL2 and GTK 3 runtime packages. Skipped (77) without cpack, dpkg-deb or
# dpkg-shlibdeps.
build=${1:?usage: package_test.sh BUILD-DIR VERSION}
version=${2:?usage: package_test.sh BUILD-DIR VERSION}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed (the package dpkg-dev brings it)"
        exit 77
    fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
if ! cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAILED: cpack did not make the package"
    exit 1
fi
deb="$work/lumivex_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    ls "$work"
    echo "FAILED: no $(basename "$deb")"
    exit 1
fi
status=0
dpkg-deb -c "$deb" >"$work/files"
for path in \
    ./usr/bin/lumivex ./usr/bin/lumivex-frames ./usr/bin/lumivex-decode \
    ./usr/bin/lumivex-xscreensaver-enable \
    "./usr/libexec/xscreensaver/lumivex -> ../../bin/lumivex" \
    ./usr/share/xscreensaver/config/lumivex.xml \
    ./usr/share/applications/lumivex-settings.desktop \
    ./usr/share/man/man6/lumivex.6 ./usr/share/man/man1/lumivex-frames.1 \
    ./usr/share/man/man1/lumivex-decode.1 ./usr/share/icons/hicolor/48x48/apps/lumivex.png; do
    if ! grep -q -F -- " $path" "$work/files"; then
        echo "FAILED: the package lacks $path"
        status=1
    fi
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libsdl2-2.0-0 libgtk-3-0; do
    case "$depends" in
        *"$library"*) ;;
        *) echo "FAILED: Depends does not name $library"; status=1 ;;
    esac
done
suggests=$(dpkg-deb -f "$deb" Suggests)
case "$suggests" in
    *xscreensaver*) ;;
    *) echo "FAILED: XScreenSaver is not suggested"; status=1 ;;
esac
[ $status -eq 0 ] && echo "package: $(wc -l <"$work/files") paths, dependencies as expected"
exit $status
