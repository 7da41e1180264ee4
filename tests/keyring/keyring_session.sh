#!/bin/sh
# Runs a test program beside a desktop keyring of its own, or with no
# session bus at all, and never lets it hang.
#
#   keyring_session.sh keyring PROGRAM ARGS...
#       A private session bus (dbus-run-session) with gnome-keyring-daemon's
#       Secret Service, its login keyring created and unlocked with a
#       password given on standard input. Everything the daemon writes goes
#       to a fresh folder, never to the user's own keyring. The bus listens
#       where a logged-in user's bus does, at $XDG_RUNTIME_DIR/bus, so that
#       a program started without DBUS_SESSION_BUS_ADDRESS can find it.
#   keyring_session.sh no-bus PROGRAM ARGS...
#       No session bus: DBUS_SESSION_BUS_ADDRESS and DISPLAY unset (no
#       autolaunch), and a runtime folder without a bus socket.
#
# Exits with the program's status, or 77 (skipped) when the keyring's
# programs are not installed.
set -u
mode=$1
shift

# A fresh home for the session (made once, by the outer call).
private_home() {
    home=$(mktemp -d "${TMPDIR:-/tmp}/keyring-session.XXXXXX") || exit 1
    chmod 700 "$home"
    mkdir -m 700 "$home/run" "$home/data" "$home/config" "$home/cache"
    trap 'rm -rf "$home"' EXIT
    export HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_DATA_HOME="$home/data" \
           XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
    unset DISPLAY WAYLAND_DISPLAY GNOME_KEYRING_CONTROL XDG_CURRENT_DESKTOP KDE_SESSION_VERSION
}

case "$mode" in
no-bus)
    private_home
    unset DBUS_SESSION_BUS_ADDRESS
    "$@"
    exit $?
    ;;
keyring)
    for tool in dbus-run-session dbus-send gnome-keyring-daemon secret-tool; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    private_home
    cat >"$home/session.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$XDG_RUNTIME_DIR/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    # The whole session has a bound; the daemon is ended by its process id.
    timeout -k 10 240 dbus-run-session --config-file="$home/session.conf" -- sh "$0" inside-session "$@"
    exit $?
    ;;
inside-session)
    home=$HOME
    printf 'keyring-test-password' | gnome-keyring-daemon --foreground --unlock --components=secrets \
        >"$home/daemon.log" 2>&1 &
    daemon=$!
    # Waits (at most 10 s) until the daemon owns the Secret Service's name
    # (asking the name itself would start a second daemon through the bus).
    tries=0
    until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
              org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true'; do
        tries=$((tries + 1))
        if [ $tries -ge 100 ] || ! kill -0 $daemon 2>/dev/null; then
            echo "the keyring daemon did not start:"; cat "$home/daemon.log"
            kill $daemon 2>/dev/null
            exit 1
        fi
        sleep 0.1
    done
    "$@"
    status=$?
    kill $daemon 2>/dev/null
    wait $daemon 2>/dev/null
    exit $status
    ;;
*)
    echo "usage: $0 keyring|no-bus PROGRAM ARGS..." >&2
    exit 2
    ;;
esac
