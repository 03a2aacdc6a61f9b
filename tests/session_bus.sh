#!/usr/bin/env bash
# One private session bus for a ctest run, shared by every suite registered
# a second time with it (lumo_add_test_suite ... SESSION_BUS): a desktop
# always has a session bus, and with one the loaded player host puts its
# media controls there.
#   session_bus.sh start FOLDER   starts dbus-daemon on unix:path=FOLDER/bus
#   session_bus.sh stop FOLDER    stops it
# Stopping trusts no pid file (a run killed half-way may have lost it, and
# ids are reused): it ends every dbus-daemon whose command line names this
# folder's configuration. Start does that first, so it always ends with one
# fresh daemon, or fails saying why.
set -euo pipefail

action=${1:-} folder=${2:-}
[[ ( $action == start || $action == stop ) && -n $folder ]] || { echo "usage: $0 start|stop FOLDER" >&2; exit 2; }
folder=$(realpath -m "$folder")
socket=$folder/bus config=$folder/session.conf log=$folder/daemon.log

# The dbus-daemon processes started with this folder's configuration
# (grep's own command line matches too, and is gone by the read).
ours() {
    local file program
    # shellcheck disable=SC2013 # file names without spaces, one a line
    for file in $(grep -alsF -e "--config-file=$config" /proc/[0-9]*/cmdline); do
        { IFS= read -r -d '' program < "$file"; } 2> /dev/null || continue
        [[ ${program##*/} == dbus-daemon ]] && { file=${file#/proc/}; echo "${file%/cmdline}"; }
    done
    return 0
}

# shellcheck disable=SC2046 # one pid a word
stop_daemons() {
    local tries
    kill -TERM $(ours) 2> /dev/null || true
    for ((tries = 0; tries < 50; tries++)); do
        [[ -z $(ours) ]] && { rm -f "$socket"; return 0; }
        ((tries == 40)) && { kill -KILL $(ours) 2> /dev/null || true; }
        sleep 0.1
    done
    echo "session_bus.sh: dbus-daemon $(ours | xargs) does not stop" >&2
    return 1
}

if [[ $action == stop ]]; then
    stop_daemons
    echo "private session bus at $socket stopped"
    exit 0
fi

# A unix socket's path has at most 107 bytes.
((${#socket} <= 100)) || { echo "session_bus.sh: $socket is too long for a unix socket" >&2; exit 1; }
mkdir -p "$folder"
stop_daemons

# Our own configuration rather than the system's session.conf: no service
# directories, so nothing a test asks for is started on demand, and any
# name may be owned, as on a desktop.
cat > "$config" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF

# With --fork the command returns once the daemon listens; and the bus
# answers before any test is let on it.
dbus-daemon --config-file="$config" --fork 2> "$log" || { echo "session_bus.sh: dbus-daemon did not start:" >&2; cat "$log" >&2; exit 1; }
dbus-send --bus="unix:path=$socket" --print-reply --reply-timeout=5000 --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.GetId > /dev/null || {
    echo "session_bus.sh: the bus at $socket does not answer" >&2
    exit 1
}
echo "private session bus at unix:path=$socket"
