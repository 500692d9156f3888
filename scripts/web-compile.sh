#!/bin/sh
# Compiler launcher of the browser build (scripts/web.sh): a compile by emcc
# or em++ runs the clang command they would run themselves (ZODUZOR_WEB_CC,
# ZODUZOR_WEB_CXX), which saves emcc's own start, most of a small file's
# compile time. Anything else, or any option emcc itself reads, goes to emcc.
#   web-compile.sh [ccache] COMPILER ARGS...
launcher=""
if [ "$1" = ccache ]; then
    launcher=ccache
    shift
fi
compiler="$1"
shift
case "$compiler" in
*em++) direct="${ZODUZOR_WEB_CXX:-}" ;;
*emcc) direct="${ZODUZOR_WEB_CC:-}" ;;
*) direct="" ;;
esac
compile=""
for arg in "$@"; do
    case "$arg" in
    -c) compile=1 ;;
    -s | -s[A-Z]* | --* | -pthread | -g* | -flto* | -fsanitize* | -fexceptions | -fwasm-exceptions | -emit-* | -E | -M | -MM)
        direct=""
        break
        ;;
    esac
done
if [ -z "$direct" ] || [ -z "$compile" ]; then
    exec $launcher "$compiler" "$@"
fi
# The command is words without spaces (emcc's own flags and paths).
# shellcheck disable=SC2086
exec $launcher $direct "$@"
