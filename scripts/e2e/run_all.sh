#!/usr/bin/env bash
# Runs the end-to-end scenarios: the real tesselog.exe under Wine on Xvfb, driven by
# keys. Each scenario is a function scenario_<name> in scripts/e2e/scenarios/*.sh and
# runs in a process of its own with a fresh copy of a prepared Wine prefix, three at a
# time on three X servers (E2E_JOBS=N for another number). Prints one line per scenario
# as it ends and then "N passed (N of them on a second run), N failed, N skipped"; exits non-zero on any failure. A
# scenario that this machine cannot run (e2e_skip) is reported as SKIP with its reason.
# Logs, screenshots and the settings files of scenario NAME stay in build/e2e/NAME/.
# A scenario that fails is run once more at the end, alone: Wine's start-up and the
# pseudo-terminals under load fail a start now and then. It counts as passed on a second
# run ("AGAIN" line; it starts in a clean folder, the first run's folder kept beside it as
# NAME-first and its log also as log-first.txt) and as failed only when
# both runs fail; the summary counts the second runs, so none goes unnoticed.
#
#   scripts/e2e/run_all.sh [NAME...]     only the named scenarios
#   E2E_EXE=path/to/tesselog.exe         another build of the program
#   E2E_JOBS=1                           one scenario at a time
#   E2E_SECOND_RUN=0                     a failure is final at once
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

# Runs one scenario in its own bash process on X display DISPLAY, bounded in time;
# output goes to its log.
# A scenario file may raise the limit with a line "# time limit: N s"; E2E_TIME_LIMIT=N
# overrides it (the long runs of a scenario, see scripts/reliability-*.sh).
run_scenario() {
    local file="$1" function="$2" dir="$3" display="$4" limit
    limit="$(sed -n -E 's/^# time limit: ([0-9]+) s$/\1/p' "$file" | head -n 1)"
    limit="${E2E_TIME_LIMIT:-$limit}"
    E2E_DISPLAY="$display" timeout -k 10 "${limit:-$scenario_seconds}" bash -c '
        set -euo pipefail
        source "$1"
        source "$2"
        e2e_scenario_begin "$3" "$4"
        "$5"
    ' run-scenario "$here/lib.sh" "$file" "$dir" "$base_prefix" "$function" >"$dir/log.txt" 2>&1
}

# Prints the PASS or FAIL line of a finished scenario and counts it.
report_scenario() {
    local name="$1" dir="$2" started="$3" status="$4" reason
    # A start that failed, retried or not, names its window and the system's error code.
    # Wine's window warnings of that start say which step of the window's creation failed.
    if grep -rqs --include=program.log 'tesselog: start-up failed' "$dir"; then
        grep -rhs --include=program.log -e 'tesselog: start-up failed' -e ':win:' "$dir" | head -n 12 |
            sed "s/^/      $name: /" || true
    fi
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        rm -rf "$dir/prefix"
        printf 'PASS  %-32s %3d s\n' "$name" $((SECONDS - started))
    elif [ "$status" -eq "$E2E_SKIP_STATUS" ]; then
        skipped=$((skipped + 1))
        rm -rf "$dir/prefix"
        reason="$(grep -h '^SKIP: ' "$dir/log.txt" | tail -n 1 | cut -c 7- || true)"
        printf 'SKIP  %-32s %3d s  %s\n' "$name" $((SECONDS - started)) "$reason"
    else
        e2e_stop_prefix "$dir/prefix"   # in case the scenario was cut off by the time limit
        reason="$(grep -h '^FAIL: ' "$dir/log.txt" | tail -n 1 | cut -c 7- || true)"
        if [ -n "${second_runs[$name]+set}" ] || [ "${E2E_SECOND_RUN:-1}" = 0 ]; then
            failed=$((failed + 1))
            printf 'FAIL  %-32s %3d s  %s (log: %s)\n' "$name" $((SECONDS - started)) \
                "${reason:-see log}" "${dir#"$E2E_ROOT"/}/log.txt"
        else
            second_runs[$name]="$5"
            printf 'AGAIN %-32s %3d s  %s: run once more at the end\n' "$name" $((SECONDS - started)) \
                "${reason:-see log}"
        fi
    fi
}

# The scenarios that failed once, each run again alone on the first display.
run_second_runs() {
    local name file function dir started status
    for name in "${!second_runs[@]}"; do
        read -r file function <<<"${second_runs[$name]}"
        dir="$out_root/$name"
        # A clean folder: a scenario may read what its own earlier steps left
        # there (the killed recording compares the file with its last copy).
        # The first run's folder stays beside it as NAME-first.
        rm -rf "$dir-first"
        mv "$dir" "$dir-first"
        rm -rf "$dir-first/prefix"
        mkdir -p "$dir"
        cp "$dir-first/log.txt" "$dir/log-first.txt"
        started=$SECONDS
        status=0
        run_scenario "$file" "$function" "$dir" "${free_displays[0]}" || status=$?
        [ "$status" -eq 0 ] && again=$((again + 1))
        report_scenario "$name" "$dir" "$started" "$status"
    done
}

# Waits for one running scenario to end, reports it and frees its X display.
finish_one() {
    local pid status=0
    wait -n -p pid || status=$?
    report_scenario "${job_name[$pid]}" "${job_dir[$pid]}" "${job_start[$pid]}" "$status" "${job_what[$pid]}"
    free_displays+=("${job_display[$pid]}")
    unset "job_name[$pid]" "job_dir[$pid]" "job_start[$pid]" "job_display[$pid]" "job_what[$pid]"
}

main() {
    selected=("$@")
    [ -f "$E2E_EXE" ] || e2e_fail "no program at $E2E_EXE (build the Windows tree first)"
    mkdir -p "$out_root"
    e2e_init "$out_root"
    e2e_prepare_base_prefix "$base_prefix"
    # E2E_JOBS scenarios run at once (default 3: a scenario waits on Wine and the
    # simulator far more than it computes, and two lanes used under one core), each on an X server of its own
    # lane: every scenario has its own Wine prefix, ports and simulator, and keys
    # go to the focused window of its own display.
    local jobs="${E2E_JOBS:-3}" lane
    free_displays=()
    for ((lane = 0; lane < jobs; lane++)); do
        e2e_start_xvfb $((15 + lane)) 2>>"$out_root/run.log"
        free_displays+=("$DISPLAY")
    done
    export E2E_EXE

    passed=0
    failed=0
    skipped=0
    again=0
    declare -gA job_name=() job_dir=() job_start=() job_display=() job_what=() second_runs=()
    local file function name dir display
    while read -r file function; do
        name="${function#scenario_}"
        wanted "$name" || continue
        [ "${#free_displays[@]}" -gt 0 ] || finish_one
        display="${free_displays[0]}"
        free_displays=("${free_displays[@]:1}")
        dir="$out_root/$name"
        rm -rf "$dir" "$dir-first"
        mkdir -p "$dir"
        run_scenario "$file" "$function" "$dir" "$display" &
        job_name[$!]="$name"
        job_dir[$!]="$dir"
        job_start[$!]=$SECONDS
        job_display[$!]="$display"
        job_what[$!]="$file $function"
    done < <(list_scenarios)
    while [ "${#job_name[@]}" -gt 0 ]; do finish_one; done
    run_second_runs

    printf '%d passed (%d of them on a second run), %d failed, %d skipped\n' "$passed" "$again" "$failed" "$skipped"
    [ "$failed" -eq 0 ]
}

main "$@"
