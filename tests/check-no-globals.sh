#!/bin/sh
# Finds the mutable objects of static storage in the given libraries, as the
# compiler laid them out: namespace-scope variables, static members and
# function-local statics in writable, zero-filled or thread-local data.
# Constants sit in read-only data and never show. Fails on each one that the
# allow-list (lines "Object.cpp.o: symbol"; # starts a comment) does not name.
# Usage: check-no-globals.sh OBJDUMP ALLOW-LIST LIBRARY...
set -eu
objdump=$1
allowed=$2
shift 2

found=$(for lib in "$@"; do "$objdump" -t -C "$lib"; done | awk '
    /file format/ { object = $1; sub(/:$/, "", object); next }
    # address, seven flag columns (the last is O for an object; blank for a
    # thread-local one), section, a tab, size and name
    length($0) > 26 {
        rest = substr($0, 26)
        tab = index(rest, "\t")
        if (tab == 0) next
        section = substr(rest, 1, tab - 1)
        sized = substr(rest, tab + 1)
        name = substr(sized, index(sized, " ") + 1)
        kind = substr($0, 24, 1)
        if (substr($0, 23, 1) == "d") next # a section'"'"'s own symbol
        if (section ~ /^\.t(bss|data)/) { if (kind == "F") next }
        else if (kind != "O" || section !~ /^\.(bss|data)/ || section ~ /^\.data\.rel\.ro/) next
        # What the compiler and the sanitizers add of their own.
        if (name ~ /^(\.hidden )?DW\.ref\.|^std::__ioinit$|^guard variable for |^(vtable|typeinfo|typeinfo name|VTT) for |^__(odr_)?asan|^__ubsan|^__sancov|^\.L/) next
        print object ": " name
    }')

unexpected=$(printf '%s\n' "$found" | grep -v '^$' | grep -vxF -f "$allowed" || true)
if [ -n "$unexpected" ]; then
    echo "Mutable objects of static storage in the core (pass state along instead," >&2
    echo "or keep it in the process services of platform/Services.h):" >&2
    printf '%s\n' "$unexpected" >&2
    exit 1
fi
printf '%s\n' "$found" | grep -v '^$' | sed 's/^/allowed: /' || true
