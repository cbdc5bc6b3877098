# Sourced by the run command and its demo: a virtual X screen (Xvfb) for running the program
# without a display, where screenshots can still be taken.
#   start_virtual_screen   sets DISPLAY and virtual_screen_pid
#   stop_virtual_screen

start_virtual_screen() {
  local number=90
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
  export DISPLAY=":$number"
  Xvfb "$DISPLAY" -screen 0 1280x900x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  virtual_screen_pid=$!
  for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "virtual screen: Xvfb did not start on $DISPLAY" >&2
  return 1
}

stop_virtual_screen() {
  if [ -n "${virtual_screen_pid:-}" ]; then
    kill "$virtual_screen_pid" 2>/dev/null || true
    wait "$virtual_screen_pid" 2>/dev/null || true
    virtual_screen_pid=""
  fi
}
