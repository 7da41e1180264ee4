#!/bin/sh
# The demo behind `make run`: lays out build/demo afresh, starts the demo
# POP3 server on a free loopback port and Tidewell on the demo program
# folder, and stops the server when Tidewell ends. Without a display it runs
# the demo on a virtual display (Xvfb): Tidewell checks the demo mailbox,
# saves a picture of its main window and the activity log is printed.
#
#   tools/run-demo.sh [BUILD_DIR]
set -eu

build=$(cd "${1:-build}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
demo="$build/demo"
server_program="$build/tools/demo-pop3/tidewell-demo-pop3"
tidewell="$build/src/app/tidewell"

rm -f "$demo/server.port"
"$server_program" --source "$source_dir/resources/demo" --demo "$demo" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM

# The server writes its port once the demo folder is laid out (at most 10 s).
tries=0
until [ -s "$demo/server.port" ]; do
  if ! kill -0 "$server" 2>/dev/null; then
    status=0
    wait "$server" || status=$?
    # 3: a Tidewell already runs on the demo folder; the server has said so.
    [ "$status" -eq 3 ] || echo "The demo POP3 server did not start." >&2
    exit 1
  fi
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ]; then
    echo "The demo POP3 server did not get ready within 10 seconds." >&2
    exit 1
  fi
  sleep 0.1
done

export TIDEWELL_HOME="$demo/home"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Press \"Check e-mail\" to list the demo mailbox, then \"Delete marked msgs\"."
  "$tidewell"
else
  echo "Tidewell is a desktop program and there is no display here, so it runs the demo on a virtual display (Xvfb)."
  status=0
  TIDEWELL_DEMO_TOUR="$demo/main-window.png" \
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$tidewell" || status=$?
  echo "Activity log ($TIDEWELL_HOME/logfile.txt):"
  cat "$TIDEWELL_HOME/logfile.txt" 2>/dev/null || echo "(empty)"
  exit "$status"
fi
