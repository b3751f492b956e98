#!/usr/bin/env bash
# Generates plug-in projects from the bundled sample with vantrel-gen, builds each one as a
# shared library with cmake and g++ (warnings as errors), and runs it in the stand-in host.
# Usage: sample_test.sh VANTREL_GEN STAND_IN_HOST SOURCE_DIR kel|dov
set -euo pipefail

gen=$(realpath "$1")
standin=$(realpath "$2")
source=$(realpath "$3")
host=$4
HOST=$(echo "$host" | tr '[:lower:]' '[:upper:]')
sample=$source/data/sample

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-sample-$host.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

generator=()
if command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi

# Runs vantrel-gen in the sample folder (its configuration names paths relative to it).
generate() { # project-file
    local status=0
    (cd "$sample" && "$gen" "$1" >"$work/stdout" 2>"$work/stderr") || status=$?
    if [ "$status" != 0 ]; then
        cat "$work/stderr" >&2
        fail "vantrel-gen $1 exited with $status"
    fi
}

# The folders and copies every project gets, whatever its actions.
check_common_files() { # project-folder name
    local dir=$1 name=$2
    for file in "$name.h" "$name.cpp" "$name.def" resource.h CMakeLists.txt "res/$name.rc" \
        LICENSE.txt; do
        [ -f "$dir/$file" ] || fail "$dir/$file was not written"
        grep -qx "$dir/$file" "$work/stdout" || fail "$dir/$file is not listed on standard output"
    done
    for header in pi.h "${host}pi.h" "${host}_i.h" "${host}export.h" thread.h vector.h matrix.h \
        viewinfo.h; do
        cmp -s "$sample/kit/$header" "$dir/$header" || fail "$dir/$header is no copy of the kit's"
    done
    if grep -n '%[A-Za-z_]*%' "$dir"/*.cpp "$dir"/*.h "$dir/CMakeLists.txt"; then
        fail "placeholders were left in the generated sources"
    fi
}

build_and_run() { # project-folder name action-names...
    local dir=$1 name=$2
    shift 2
    cmake -S "$dir" -B "$work/build-$name" "${generator[@]}" -DCMAKE_CXX_COMPILER=g++ \
        -DCMAKE_CXX_FLAGS=-Werror >"$work/cmake.log" 2>&1 || {
        cat "$work/cmake.log" >&2
        fail "cmake could not configure $dir"
    }
    cmake --build "$work/build-$name" >"$work/build.log" 2>&1 || {
        cat "$work/build.log" >&2
        fail "the generated project $name does not compile"
    }
    if grep -q 'warning' "$work/build.log"; then
        cat "$work/build.log" >&2
        fail "the generated project $name compiles with warnings"
    fi
    "$standin" "$work/build-$name/lib$name.so" "$@" || fail "the stand-in host rejected $name"
}

# 1. The shipped sample project of this host, generated into the temporary folder.
if [ "$host" = kel ]; then
    shipped=demo.json name=Demo actions=(Line Measure Sketch Settings Export+)
else
    shipped=demo-dov.json name=DovDemo actions=(Extrude+ Inspector Align Options Import)
fi
sed "s|\"location\": \"[^\"]*\"|\"location\": \"$work/shipped\"|" "$sample/$shipped" \
    >"$work/$shipped"
generate "$work/$shipped"
[ ! -s "$work/stderr" ] || fail "the shipped sample reports: $(cat "$work/stderr")"
check_common_files "$work/shipped/$name" "$name"
build_and_run "$work/shipped/$name" "$name" "${actions[@]}"

# 2. Every action kind at once: procedures, panels of each kind, threads, every message
#    procedure, individual interfaces and buffers, and an action missing required procedures.
cat >"$work/kinds.json" <<JSON
{
    "host": "$HOST",
    "name": "Kinds",
    "location": "$work/kinds",
    "dllFlags": 3,
    "actions": [
        {"name": "Plain", "flags": ["ACF_PROC_EXECUTE"]},
        {"name": "Status", "flags": ["ACF_PROC_EXECUTE", "ACF_MENU", "ACF_TOOLBAR", "ACF_CB_STATUS"],
         "tbButton": "status.bmp", "staticMemBuf": 1},
        {"name": "Dialog",
         "flags": ["ACF_PROC_EXECUTE", "ACF_PROC_CLOSE", "ACF_PROC_FIRSTTIME", "ACF_PANEL_DIALOG",
                   "ACF_CREATE_THREAD", "ACF_TOPMOST", "ACF_CB_KEYBRD", "ACF_CB_MS_MOVE"],
         "procClose": "dialog_Close", "procFirstTime": "dialog_FirstTime",
         "cbKeybrd": "cb_dialogKeybrdMsgProc", "cbMsMove": "cb_dialog_MsMove", "staticMemBuf": true},
        {"name": "Window",
         "flags": ["ACF_PROC_EXECUTE", "ACF_PROC_CLOSE", "ACF_PANEL_WINDOW", "ACF_CB_STATUS",
                   "ACF_CB_MS_LBDOWN", "ACF_CB_MS_LBUP", "ACF_CB_MS_RBDOWN", "ACF_CB_MS_RBUP"],
         "procClose": "window_Close", "cbMsLbDown": "cb_window_MsLbDown",
         "cbMsLbUp": "cb_window_MsLbUp", "cbMsRbDown": "cb_window_MsRbDown",
         "cbMsRbUp": "cb_window_MsRbUp", "indivInterface": true},
        {"name": "Modal",
         "flags": ["ACF_PROC_EXECUTE", "ACF_PANEL_MODDIALOG", "ACF_CREATE_THREAD", "ACF_CB_STATUS",
                   "ACF_CB_KEYBRD", "ACF_CB_MS_LBDOWN", "ACF_CB_MS_LBUP", "ACF_CB_MS_RBDOWN",
                   "ACF_CB_MS_RBUP", "ACF_CB_MS_MOVE"],
         "cbKeybrd": "cb_modalKeybrdMsgProc", "cbMsLbDown": "cb_modal_MsLbDown",
         "cbMsLbUp": "cb_modal_MsLbUp", "cbMsRbDown": "cb_modal_MsRbDown",
         "cbMsRbUp": "cb_modal_MsRbUp", "cbMsMove": "cb_modal_MsMove",
         "indivInterface": true, "staticMemBuf": true},
        {"name": "Loader", "type": "PIPD_LOADPROC",
         "flags": ["ACF_PROC_EXECUTE", "ACF_MENU", "ACF_TOOLTIPS", "ACF_CREATE_THREAD"],
         "tooltips": "Loads a file", "indivInterface": true},
        {"name": "Unfinished", "flags": ["ACF_MENU", "ACF_PANEL_WINDOW", "ACF_CB_MS_LBDOWN"],
         "cbMsLbDown": "cb_unfinished_MsLbDown"}
    ]
}
JSON
generate "$work/kinds.json"
expected=$(printf 'ASSERT:\nObject must be defined:\n%s\n' \
    Unfinished::ACDF_PROC_EXECUTE Unfinished::ACDF_PROC_CLOSE)
[ "$(cat "$work/stderr")" = "$expected" ] ||
    fail "expected the two assertions of Unfinished, got: $(cat "$work/stderr")"
check_common_files "$work/kinds/Kinds" Kinds
for action in Plain Status Dialog Window Modal Loader Unfinished; do
    [ -f "$work/kinds/Kinds/$action.cpp" ] || fail "$action.cpp was not written"
done
build_and_run "$work/kinds/Kinds" Kinds Plain+ Status+ Dialog Window Modal Loader+ Unfinished

echo "sample projects for $HOST generated, built and run"
