# Sourced by the run and test scripts: lets Qt WebEngine start without a display and as root.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
  export QT_QUICK_BACKEND=${QT_QUICK_BACKEND:-software}
fi
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
