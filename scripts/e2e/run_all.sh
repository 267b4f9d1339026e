#!/usr/bin/env bash
# Runs the end-to-end scenarios: the real tesselog.exe under Wine on Xvfb, driven by
# keys. Each scenario is a function scenario_<name> in scripts/e2e/scenarios/*.sh and
# runs in a process of its own with a fresh copy of a prepared Wine prefix. Prints one
# line per scenario and then "N passed, N failed"; exits non-zero on any failure.
# Logs, screenshots and the settings files of scenario NAME stay in build/e2e/NAME/.
#
#   scripts/e2e/run_all.sh [NAME...]     only the named scenarios
#   E2E_EXE=path/to/tesselog.exe         another build of the program
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/lib.sh"

out_root="$E2E_ROOT/build/e2e"
base_prefix="$out_root/prefix-base"   # every scenario copies it
scenario_seconds=90

# Prints "FILE FUNCTION" for every scenario, in file order and then definition order.
list_scenarios() {
    local file
    for file in "$here"/scenarios/*.sh; do
        sed -n -E 's/^(scenario_[a-z0-9_]+)\(\).*/\1/p' "$file" | sed "s|^|$file |"
    done
}

selected=()
wanted() {
    local w
    [ ${#selected[@]} -eq 0 ] && return 0
    for w in "${selected[@]}"; do
        [ "$w" = "$1" ] && return 0
    done
    return 1
}

# Runs one scenario in its own bash process, bounded in time; output goes to its log.
# A scenario file may raise the limit with a line "# time limit: N s".
run_scenario() {
    local file="$1" function="$2" dir="$3" limit
    limit="$(sed -n -E 's/^# time limit: ([0-9]+) s$/\1/p' "$file" | head -n 1)"
    timeout -k 10 "${limit:-$scenario_seconds}" bash -c '
        set -euo pipefail
        source "$1"
        source "$2"
        e2e_scenario_begin "$3" "$4"
        "$5"
    ' run-scenario "$here/lib.sh" "$file" "$dir" "$base_prefix" "$function" >"$dir/log.txt" 2>&1
}

main() {
    selected=("$@")
    [ -f "$E2E_EXE" ] || e2e_fail "no program at $E2E_EXE (build the Windows tree first)"
    mkdir -p "$out_root"
    e2e_init "$out_root"
    e2e_prepare_base_prefix "$base_prefix"
    # One X server for the whole run; the scenarios use it through E2E_DISPLAY.
    e2e_start_xvfb 15 2>>"$out_root/run.log"
    export E2E_DISPLAY="$DISPLAY" E2E_EXE

    local passed=0 failed=0 file function name dir started reason
    while read -r file function; do
        name="${function#scenario_}"
        wanted "$name" || continue
        dir="$out_root/$name"
        rm -rf "$dir"
        mkdir -p "$dir"
        started=$SECONDS
        if run_scenario "$file" "$function" "$dir"; then
            passed=$((passed + 1))
            rm -rf "$dir/prefix"
            printf 'PASS  %-32s %3d s\n' "$name" $((SECONDS - started))
        else
            failed=$((failed + 1))
            e2e_stop_prefix "$dir/prefix"   # in case the scenario was cut off by the time limit
            reason="$(grep -h '^FAIL: ' "$dir/log.txt" | tail -n 1 | cut -c 7- || true)"
            printf 'FAIL  %-32s %3d s  %s (log: %s)\n' "$name" $((SECONDS - started)) \
                "${reason:-see log}" "${dir#"$E2E_ROOT"/}/log.txt"
        fi
    done < <(list_scenarios)

    printf '%d passed, %d failed\n' "$passed" "$failed"
    [ "$failed" -eq 0 ]
}

main "$@"
