#!/bin/sh
# End to end under Wine over a Wine COM port: the Linux virtual device on a pseudo-terminal,
# linked as COM5 of a fresh Wine prefix; r5200tx-cli.exe reads the status, applies a profile and
# verifies it there, and devsetup's window (tst_wine_devsetup.exe) reads the status through it.
# Each step's time is printed. Addresses are loopback only.
#
#   wine-e2e.sh HOST_VIRTUAL WIN_BIN_DIR RUN_DIR QT_PLUGIN_DIR DLL_DIR...
set -u
virtual=$1 bin=$2 run=$3 plugins=$4
shift 4
dlls=$(IFS=';' && echo "$*")

rm -rf "$run"
mkdir -p "$run" || exit 1
export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEPATH="$dlls"
# Wine keeps QT_* variables from Windows programs; WINEQT_* reach them as QT_*.
export WINEQT_PLUGIN_PATH="$plugins" WINEQT_QPA_PLATFORM=minimal
# No Mono or Gecko installers, no menu entries: a bare prefix is all the programs need.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

device_pid=
finish() {
    if [ -n "$device_pid" ]; then
        kill "$device_pid" 2>/dev/null
        wait "$device_pid" 2>/dev/null
    fi
    wineserver -k 2>/dev/null
}
trap finish EXIT
trap 'exit 1' INT TERM

ms() { echo $(($(date +%s%N) / 1000000)); }
started=$(ms)
fail() {
    echo "FAIL: $*"
    for log in "$run"/*.txt "$run"/device.log "$run"/wineserver.log; do
        [ -s "$log" ] && { echo "--- $log"; tail -n 40 "$log"; }
    done
    exit 1
}
# step LABEL COMMAND...: runs it, prints its time, fails the test on a non-zero exit.
step() {
    label=$1
    shift
    t0=$(ms)
    "$@"
    rc=$?
    echo "[$label] $(($(ms) - t0)) ms, exit $rc"
    [ "$rc" -eq 0 ] || fail "$label"
}

# The prefix's server keeps its own output (it dumps its objects when the pseudo-terminal
# hangs up) and stays up between the steps (and ends 10 s after the last of them).
mkdir -p "$WINEPREFIX" && wineserver -p10 >"$run/wineserver.log" 2>&1
step "wine prefix" sh -c 'wineboot -i >"$1/wineboot.log" 2>&1' sh "$run"

cat >"$run/device.json" <<'EOF'
{"mac": "02:52:00:AB:CD:EF", "firmwareMajor": 2, "firmwareMinor": 7, "ip": "127.0.10.20",
 "gateway": "127.0.0.1", "mask": "255.255.252.0", "apSsid": "R5200TX_LAB", "apPassword": "pw 2"}
EOF
cat >"$run/full.ini" <<'EOF'
[WAN]
IP=127.0.10.30
Gateway=127.0.0.1
Mask=255.255.255.0
[Server]
Port=4100
Expire=40
Mode=N
[DI]
Time1=11
Time2=22
Time3=33
Time4=44
Time5=55
Mode1=R
Mode2=F
Mode3=R
Mode4=F
Mode5=R
[AP]
SSID=Lab east
Password=pw,1
EOF

"$virtual" --state "$run/device.json" --tcp-port 0 --rssi-drift 0 --reboot-ms 300 \
    --link "$WINEPREFIX/dosdevices/com5" >"$run/device.log" 2>&1 &
device_pid=$!
t0=$(ms)
until grep -q '^Linked at: ' "$run/device.log" 2>/dev/null; do
    kill -0 "$device_pid" 2>/dev/null || fail "the virtual device did not start"
    [ $(($(ms) - t0)) -lt 10000 ] || fail "the virtual device did not make its link"
    sleep 0.1
done
echo "[device on $(readlink "$WINEPREFIX/dosdevices/com5") as COM5] $(($(ms) - t0)) ms"

cd "$run" || exit 1
step "cli status --json" sh -c 'timeout 120 wine "$1/r5200tx-cli.exe" --port COM5 status --json >status.json' \
    sh "$bin"
grep -q '"mac": "02:52:00:AB:CD:EF"' status.json || fail "status --json: $(cat status.json)"

# QtTest's report goes to a file: under Wine its console output does not reach a pipe.
step "devsetup window: Connect, current status" env R5_WINE_PORT=COM5 R5_WINE_STATUS="Z:$run/status.json" \
    timeout 180 wine "$bin/tst_wine_devsetup.exe" -o "Z:$run/window.txt,txt"
grep -q '^PASS   : TstWineDevsetup::statusThroughComPort()' window.txt || fail "the window test did not run"
grep -q '^PASS   : TstWineDevsetup::openFailureBox(no such port)' window.txt || fail "the open-failure test did not run"

step "cli apply" sh -c 'timeout 180 wine "$1/r5200tx-cli.exe" --port COM5 apply full.ini >apply.txt' sh "$bin"
grep -q 'WAN set: address 127.0.10.30, gateway 127.0.0.1, mask 255.255.255.0' device.log ||
    fail "the device did not take the WAN settings"
step "cli verify" sh -c 'timeout 120 wine "$1/r5200tx-cli.exe" --port COM5 verify full.ini >verify.txt' sh "$bin"

echo "[all] $(($(ms) - started)) ms"
finish
device_pid=
rm -rf "$WINEPREFIX"
exit 0
