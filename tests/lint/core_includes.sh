#!/bin/sh
# Fails when a file of the core includes an SDL, GTK, GLib, X11 or POSIX header.
src=${1:?usage: core_includes.sh SRC-DIR}
pattern='#[[:space:]]*include[[:space:]]*[<"](SDL[^">]*|gtk/[^">]*|glib[^">]*|gio/[^">]*|gdk/[^">]*|X11/[^">]*|unistd\.h|fcntl\.h|pthread\.h|dlfcn\.h|signal\.h|dirent\.h|termios\.h|poll\.h|semaphore\.h|sys/[^">]*|linux/[^">]*|arpa/[^">]*|netinet/[^">]*)[">]'
found=0
for dir in saver render player mpeg playlist; do
    [ -d "$src/$dir" ] || continue
    if grep -rEn "$pattern" "$src/$dir"; then
        found=1
    fi
done
if [ "$found" -ne 0 ]; then
    echo "core_includes: the lines above include platform headers in the core" >&2
    exit 1
fi
echo "core_includes: the core includes no platform header"
