# shellcheck shell=bash
# Shared by scripts/demo and scripts/screenshots, which source this file and
# set the shell options themselves: a data folder for the virtual COM port 16,
# the simulated printer, an Xvfb display, and finding, starting and ending
# Zentab's windows there.
#
# Every process started here is added to `pids`; zentab_stop_started, in
# the caller's exit trap, ends them all.
pids=()

# Fills the folder (made if missing) with the sample model list and a
# settings file for the virtual COM port 16.
zentab_prepare_data() {
    local root=$1 data=$2
    mkdir -p "$data"
    cp "$root/examples/Models.Dat" "$data/Models.Dat"
    printf 'Zentab    %s\r\nModelName = ZX-Q500\r\nInterface = VirtualCOM\r\nCOMPort =  16\r\nSerialNo = Printer001\r\n' \
        "$(LC_ALL=C date '+%d.%b.%y  %H:%M')" >"$data/Zentab.ini"
}

# Starts zentab-printer-sim of the build folder as model 51h with its terminal
# linked as <data>/COM16 and its log in <data>/printer.log, and waits for the
# link. Ends the script if the printer does not come up.
zentab_start_printer() {
    local build=$1 data=$2
    "$build/sim/zentab-printer-sim" --link-dir "$data" --name COM16 --model 0x51 \
        --log "$data/printer.log" &
    pids+=("$!")
    for _ in $(seq 50); do [[ -e "$data/COM16" ]] && break; sleep 0.1; done
    [[ -e "$data/COM16" ]] || { echo "the simulated printer did not start" >&2; exit 1; }
}

# Starts Xvfb on a display of its own and exports DISPLAY for it.
zentab_start_xvfb() {
    local display=":$((90 + RANDOM % 100))"
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
    pids+=("$!")
    export DISPLAY="$display"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# Starts the build folder's zentab in the data folder; its process id is left
# in `app`.
zentab_start_program() {
    local build=$1 data=$2
    (cd "$data" && exec "$build/zentab") &
    app=$!
    pids+=("$app")
}

# Prints the id of the visible top-level window with exactly this title,
# waiting up to ten seconds for it to show. Fails, saying nothing, if it
# does not.
zentab_find_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        [[ -n "$id" ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Ends the program as an operator does, Ctrl+Q in its main window, and waits
# up to five seconds for the process in `app` to end.
zentab_quit() {
    local main=$1
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+q
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
}

# Stops every process in `pids` and waits for them.
zentab_stop_started() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
