# The Windows installer (scripts/make-installer.sh) in a fresh prefix, where no folder
# under C:\ProgramData\Brenvik exists: "/S" installs the programs, the settings and
# scratch folders, the data folder in the Public Documents, the first settings file (the
# program's defaults with that data folder on line 2), the Start menu entry and the
# uninstall entry, whose version must be the one of the settings file. The installed
# program reads that file without writing it and keeps a Survey Setup change between two
# runs; the second run reads it back (OK without a change must leave the file's bytes as
# they were), is started from the Start menu entry, and its first "&File" (three consoles
# and the GPS of the default set-up, from the simulator) proposes and makes the data file
# in the data folder. The uninstaller ("/S") removes the programs with their folder, the
# entry and the uninstall key and leaves the settings file as the program left it and the
# data folder with its file.
# E2E_INSTALLER names another installer; by default the one in build/installer.
# time limit: 150 s

INSTALL_DIR_REL='drive_c/Program Files/Brenvik/Tesselog'
SHORTCUT_REL='drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tesselog.lnk'
TEMP_DIR_REL='drive_c/ProgramData/Brenvik/Temp'
DATA_DIR_REL='drive_c/users/Public/Documents/Tesselog'
DATA_DIR_WIN='C:\users\Public\Documents\Tesselog\'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tesselog'

# Prints the one installer that make-installer.sh left.
installer_file() {
    local found=()
    if [ -n "${E2E_INSTALLER:-}" ]; then
        printf '%s\n' "$E2E_INSTALLER"
        return 0
    fi
    shopt -s nullglob
    found=("$E2E_ROOT"/build/installer/tesselog-*-setup.exe)
    shopt -u nullglob
    [ ${#found[@]} -eq 1 ] || e2e_fail "expected one installer in build/installer, found ${#found[@]} (run scripts/make-installer.sh)"
    printf '%s\n' "${found[0]}"
}

# Whether the Windows tree packs tesselog-export.exe (make-installer.sh reads the same).
installer_has_export() { grep -q '^EXPORT=.' "$E2E_ROOT/build/windows/installer/installer.env" 2>/dev/null; }

# Windows programs of the prefix, without the Start menu integration of the host.
installer_wine() { WINEDLLOVERRIDES="winemenubuilder.exe=d" e2e_wine "$@"; }

# Prints the value NAME of the uninstall key, or nothing when the key is absent.
uninstall_value() {
    installer_wine reg query "$UNINSTALL_KEY" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }' || true
}

# Fails unless the files of the install folder are exactly the expected names.
expect_installed_files() {
    local dir="$1" actual expected
    shift
    actual="$(cd "$dir" && ls -1 | sort)"
    expected="$(printf '%s\n' "$@" | sort)"
    [ "$actual" = "$expected" ] || e2e_fail "install folder holds [$(paste -sd ' ' <<<"$actual")], expected [$(paste -sd ' ' <<<"$expected")]"
}

# The first run: the installer's settings file is read as it is; one field is changed.
first_run_changes_survey_line() {
    local settings="$1" version="$2" main dialog
    cp "$settings" "$E2E_OUT/settings-installed.ini"
    e2e_start_main
    main="$E2E_MAIN"
    e2e_expect_same_bytes "$E2E_OUT/settings-installed.ini" "$settings"
    [ "$(head -n 1 "$settings" | tr -d '\r')" = "$version" ] ||
        e2e_fail "the settings file's version $(head -n 1 "$settings") is not the installer's $version"
    dialog="$(e2e_open_dialog "$main" s "Survey Setup")"
    e2e_keys "$dialog" End shift+Home BackSpace 7
    e2e_close_window "$dialog" "Survey Setup" Return
    cp "$settings" "$E2E_OUT/settings-after.ini"
    e2e_expect_settings_change "$E2E_OUT/settings-installed.ini" "$E2E_OUT/settings-after.ini" "51: 1 -> 7"
    e2e_exit_by_x "$main"
}

# The default set-up's instruments: consoles 1..3 on COM4, COM1 and COM3, the GPS on
# COM2 in mode 0 (GGA and GSA).
start_default_instruments() {
    local links="$E2E_OUT/links"
    mkdir -p "$links"
    e2e_map_ports "COM4=$links/console1" "COM1=$links/console2" "COM3=$links/console3" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 3 --types 2 --rate 10 --gps-mode 0 --gps-rate 5 \
        --link-dir "$links" --duration 120
}

# "&File" once the first position has enabled it: the proposal is in the data folder,
# and Return there makes the file.
first_file_in_the_data_folder() {
    local main="$1" dialog file
    e2e_keys "$main" l
    sleep 4
    e2e_no_window "Serial Port" || e2e_fail "a port of the default set-up did not open"
    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 20)"
    e2e_window_screenshot "$dialog" first-file-in-the-data-folder
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    file="$(find "$E2E_PREFIX/$DATA_DIR_REL" -maxdepth 1 -type f -name '*_000.mgr' | head -n 1)"
    [ -n "$file" ] || e2e_fail "no data file in the data folder after \"&File\""
    e2e_log "the first file: $DATA_DIR_WIN$(basename "$file")"
    e2e_keys "$main" x
    e2e_close_window "$(e2e_window "Confirm Exit" 10)" "Confirm Exit" Return
}

# The second run, from the Start menu entry: OK in Survey Setup stores what the dialog
# was opened with, so an unchanged file shows that the program read the kept value.
# "start" returns at once for a shortcut (also with /wait), so the end of the run is
# the end of every process of the prefix.
second_run_reads_it_back() {
    local settings="$1" main dialog
    E2E_PROGRAM_PID=""
    installer_wine start "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Tesselog.lnk" \
        >"$E2E_OUT/program.log" 2>&1 || e2e_fail "the Start menu entry did not start"
    main="$(e2e_window Tesselog 30)"
    e2e_screenshot main-window-kept-setting
    dialog="$(e2e_open_dialog "$main" s "Survey Setup")"
    e2e_window_screenshot "$dialog" survey-setup-kept-line
    e2e_close_window "$dialog" "Survey Setup" Return
    e2e_expect_same_bytes "$E2E_OUT/settings-after.ini" "$settings"
    first_file_in_the_data_folder "$main"
    e2e_expect_same_bytes "$E2E_OUT/settings-after.ini" "$settings"   # DataFolder was already there
    e2e_close_window "$main" Tesselog x
    WINEPREFIX="$E2E_PREFIX" timeout 30 wineserver -w || e2e_fail "the prefix still runs 30 s after E&xit"
}

scenario_installer_keeps_settings() {
    local installer version install_dir settings shortcut programs
    installer="$(installer_file)"
    version="$(basename "$installer" | sed -n -E 's/^tesselog-([0-9]+\.[0-9]+)-setup\.exe$/\1/p')"
    [ -n "$version" ] || e2e_fail "no version in the installer's name $(basename "$installer")"
    install_dir="$E2E_PREFIX/$INSTALL_DIR_REL"
    shortcut="$E2E_PREFIX/$SHORTCUT_REL"
    settings="$(e2e_settings_file)"
    [ ! -e "$(e2e_settings_dir)" ] || e2e_fail "settings folder present before the installer ran"

    installer_wine "$installer" /S || e2e_fail "the installer ended with code $?"
    programs=(tesselog.exe tesselog-dump.exe)
    installer_has_export && programs+=(tesselog-export.exe)
    expect_installed_files "$install_dir" "${programs[@]}" uninstall.exe
    [ -d "$(e2e_settings_dir)" ] || e2e_fail "no settings folder after the install"
    [ "$(ls -A "$(e2e_settings_dir)")" = TESSELWIN.INI ] ||
        e2e_fail "the settings folder holds [$(ls -A "$(e2e_settings_dir)" | paste -sd ' ')], not the settings file alone"
    e2e_expect_settings_change "$E2E_GOLDEN_SETTINGS" "$settings" "2: C:\\ -> $DATA_DIR_WIN"
    [ -d "$E2E_PREFIX/$DATA_DIR_REL" ] || e2e_fail "no data folder at $DATA_DIR_REL"
    [ -d "$E2E_PREFIX/$TEMP_DIR_REL" ] || e2e_fail "no temporary folder after the install"
    [ -f "$shortcut" ] || e2e_fail "no Start menu entry at $SHORTCUT_REL"
    [ "$(uninstall_value DisplayVersion)" = "$version" ] ||
        e2e_fail "uninstall entry's version \"$(uninstall_value DisplayVersion)\" is not $version"
    installer_wine "$install_dir/tesselog-dump.exe" --check \
        "Z:$E2E_ROOT/tests/data/datafiles/well_formed.mgr" >"$E2E_OUT/dump.txt" 2>&1 ||
        e2e_fail "the installed tesselog-dump.exe failed: $(cat "$E2E_OUT/dump.txt")"
    grep -q 'OK, 52 records' "$E2E_OUT/dump.txt" || e2e_fail "unexpected dump output: $(cat "$E2E_OUT/dump.txt")"
    e2e_log "installed $version: ${programs[*]}, folders, Start menu entry, uninstall entry"

    e2e_stop_prefix "$E2E_PREFIX"   # the program starts a wineserver of its own

    E2E_EXE="$install_dir/tesselog.exe"
    first_run_changes_survey_line "$settings" "$version"
    start_default_instruments
    second_run_reads_it_back "$settings"

    # The uninstaller copies itself to the temporary folder, starts the copy and ends.
    # ("_?=" would keep it in place, but Wine passes the argument quoted, because of
    # the space in "Program Files", and NSIS then does not see it.)
    installer_wine "$install_dir/uninstall.exe" /S || e2e_fail "the uninstaller ended with code $?"
    e2e_wait_for 30 test ! -e "$install_dir" || e2e_fail "install folder still there 30 s after the uninstaller"
    [ ! -e "$shortcut" ] || e2e_fail "the Start menu entry is still there"
    [ -z "$(uninstall_value DisplayVersion)" ] || e2e_fail "the uninstall entry is still there"
    e2e_expect_same_bytes "$E2E_OUT/settings-after.ini" "$settings"
    [ -n "$(find "$E2E_PREFIX/$DATA_DIR_REL" -maxdepth 1 -name '*_000.mgr')" ] || e2e_fail "the data file went with the uninstall"
    e2e_log "uninstalled; the settings file and the data folder stayed"
}
