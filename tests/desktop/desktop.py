"""A desktop of the suite's own, and the app on it as a user meets it.

Session starts an X server (Xvfb -noreset), a session bus, the AT-SPI bus
and a window manager (openbox), each a process of its own whose pid it keeps,
in a folder of its own; stop() ends exactly those. The suite is made a child
subreaper first, so whatever its processes leave behind (a run keeper that
outlives the app, the AT-SPI registry the accessibility bus starts) is
reparented to it and can be seen and waited for, never lost to init.

FakeProgram is a server program folder whose node records every call and
whose management script answers as the suite tells it.
"""

import ctypes
import json
import os
import shutil
import signal
import subprocess
import time

PR_SET_CHILD_SUBREAPER = 36
# Long enough for a busy two-core machine; a condition met sooner ends the
# wait at once, so this only bounds a failure.
TIMEOUT = 60


def wait_for(condition, timeout=TIMEOUT, interval=0.05):
    """Polls condition until it returns something true, and returns that;
    returns the last falsy value when the time is up."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() > end:
            return value
        time.sleep(interval)


def descendants():
    """The live processes below this one, as {pid: command line}."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as file:
                stat = file.read()
            # The command name is in parentheses and may hold anything.
            fields = stat[stat.rindex(")") + 2:].split()
            state, parent = fields[0], int(fields[1])
            if state == "Z":
                continue
            with open(f"/proc/{entry}/cmdline", "rb") as file:
                command = file.read().replace(b"\0", b" ").decode(errors="replace").strip()
        except (OSError, ValueError):
            continue
        children.setdefault(parent, []).append((int(entry), command))
    found = {}
    pending = [os.getpid()]
    while pending:
        for pid, command in children.get(pending.pop(), []):
            found[pid] = command
            pending.append(pid)
    return found


def reap():
    """Reaps every child that has ended, adopted ones included."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


class Session:
    def __init__(self, folder):
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
            raise OSError(ctypes.get_errno(), "cannot become a child subreaper")
        self.folder = folder
        self.processes = []
        self.runtime = os.path.join(folder, "runtime")
        self.home = os.path.join(folder, "home")
        self.temporary = os.path.join(folder, "tmp")
        for path in (self.runtime, self.home, self.temporary):
            os.mkdir(path, 0o700)
        self.environment = {
            "PATH": "/usr/bin:/bin",
            "HOME": self.home,
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "XDG_CACHE_HOME": os.path.join(self.home, "cache"),
            "XDG_DATA_HOME": os.path.join(self.home, "data"),
            "TMPDIR": self.temporary,
            "LANG": "C.UTF-8",
        }
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                self.environment[name] = os.environ[name]
        # libxkbcommon-x11 hands strndup a length past the end of the atom
        # names it copies, which AddressSanitizer's strict string checks
        # report; the copy itself stops at the terminator.
        if "ASAN_OPTIONS" in self.environment:
            self.environment["ASAN_OPTIONS"] = self.environment["ASAN_OPTIONS"].replace(
                "strict_string_checks=1", "strict_string_checks=0")

    def log(self, name):
        return open(os.path.join(self.folder, name + ".log"), "w")

    def start(self):
        try:
            self._start()
        except BaseException:
            self.stop()
            raise

    def _start(self):
        # Xvfb picks a free display itself and writes its number.
        read_end, write_end = os.pipe()
        with self.log("xvfb") as log:
            xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
                 "-screen", "0", "1280x1000x24"],
                pass_fds=[write_end], stdout=log, stderr=subprocess.STDOUT,
                env=self.environment, start_new_session=True)
        self.processes.append(xvfb)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start; see xvfb.log")
        self.environment["DISPLAY"] = ":" + number
        # Xvfb keeps its lock and socket in /tmp whatever TMPDIR says, and
        # removes them as it ends.
        self.display_files = [f"/tmp/.X{number}-lock", f"/tmp/.X11-unix/X{number}"]

        read_end, write_end = os.pipe()
        with self.log("dbus") as log:
            bus = subprocess.Popen(
                ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                 f"--address=unix:path={self.runtime}/bus", f"--print-address={write_end}"],
                pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=log,
                stderr=subprocess.STDOUT, env=self.environment, start_new_session=True)
        self.processes.append(bus)
        os.close(write_end)
        with os.fdopen(read_end) as addresses:
            address = addresses.readline().strip()
        if not address:
            raise RuntimeError("the session bus did not start")
        self.environment["DBUS_SESSION_BUS_ADDRESS"] = address

        self.add_keys(["ediaeresis"])

        with self.log("at-spi") as log:
            self.processes.append(subprocess.Popen(
                ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                stdout=log, stderr=subprocess.STDOUT, env=self.environment,
                start_new_session=True))
        with self.log("openbox") as log:
            self.processes.append(subprocess.Popen(
                ["openbox", "--sm-disable"], stdout=log, stderr=subprocess.STDOUT,
                env=self.environment, start_new_session=True))
        # The window manager is up once it owns the screen's selection.
        if not wait_for(lambda: self.xprop_root("_NET_SUPPORTING_WM_CHECK")):
            raise RuntimeError("openbox did not take the screen; see openbox.log")
        # The accessibility bus is up once the launcher has published it.
        if not wait_for(lambda: self.xprop_root("AT_SPI_BUS")):
            raise RuntimeError("the AT-SPI bus did not start; see at-spi.log")
        # pyatspi finds both buses through the environment of this process.
        os.environ.update({name: self.environment[name] for name in
                           ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})

    def add_keys(self, keysyms):
        """Gives keysyms that the X server's keyboard lacks keys of their own,
        as a keyboard layout with them would. Left to itself, xdotool maps
        such a character to a spare key only for the moment of the press, and
        an app that reads the press later sees another character or none."""
        keymap = self.run(["xmodmap", "-pke"], check=True).stdout
        spare = [line.split()[1] for line in keymap.splitlines()
                 if line.startswith("keycode") and line.rstrip().endswith("=")]
        if len(spare) < len(keysyms):
            raise RuntimeError("the X server's keyboard has no spare keys")
        for keycode, keysym in zip(spare, keysyms):
            self.run(["xmodmap", "-e", f"keycode {keycode} = {keysym}"], check=True)

    def xprop_root(self, name):
        result = subprocess.run(["xprop", "-root", name], env=self.environment,
                                capture_output=True, text=True)
        return result.returncode == 0 and "not found" not in result.stdout \
            and "no such atom" not in result.stdout

    def run(self, argv, **keywords):
        return subprocess.run(argv, env=self.environment, capture_output=True, text=True,
                              timeout=TIMEOUT, **keywords)

    def key(self, *keys):
        """Presses keys as a keyboard would, into the window with the focus."""
        self.run(["xdotool", "key", "--clearmodifiers", "--delay", "40", *keys],
                 check=True)

    def type(self, text):
        self.run(["xdotool", "type", "--clearmodifiers", "--delay", "20", text], check=True)

    def clipboard(self):
        result = self.run(["xclip", "-o", "-selection", "clipboard"])
        return result.stdout if result.returncode == 0 else None

    def stop(self):
        """Ends what start() began, newest first, then waits for what they
        left behind (the accessibility bus and its registry); returns what
        was left: the command lines of processes that had to be killed, and
        files the X server did not remove."""
        killed = []
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.processes = []
        for path in getattr(self, "display_files", []):
            if not wait_for(lambda: not os.path.exists(path), timeout=10):
                killed.append(f"Xvfb left {path}")
        left = wait_for(lambda: (reap(), descendants())[1] == {} or None, timeout=10)
        if left is None:
            for pid, command in descendants().items():
                killed.append(command)
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            wait_for(lambda: (reap(), descendants())[1] == {}, timeout=10)
        return killed


class FakeProgram:
    """The server program folder the app was built for, made by the suite.
    node records each call (arguments, user, request) in calls/N/; the
    management script prints what the request's action calls for."""

    MANAGE = r"""here=$(dirname "$0")
action=$(sed -n 's/.*"action":"\([^"]*\)".*/\1/p' "$1")
if [ -e "$here/hold" ]; then
  trap 'echo TERM >> "$here/terminated"' TERM
  while [ -d "$here" ] && [ ! -e "$here/release" ]; do sleep 0.05; done
  cp "$1" "$here/effect" 2>/dev/null
fi
case $action in
  invite-person) printf 'Invitation created.\nTarnwick invite http://10.0.0.2:8080/i/Kx7 for Zoë\nSend it to the person.\n' ;;
  *) printf 'Done: %s\n' "$action" ;;
esac
"""
    SERVER = r"""printf '[{"origin":"http://10.0.0.2:8080","bind":"10.0.0.2","name":"eth0"},'
printf '{"origin":"http://192.168.7.5:8080","bind":"192.168.7.5","name":"wlan0"}]'
"""
    NODE = r"""#!/bin/sh
here=$(dirname "$0")
call="$here/calls/$(date +%s%N)-$$"
mkdir "$call" 2>/dev/null || exec /bin/sh "$@"
for word in "$0" "$@"; do printf '%s\0' "$word" >> "$call/arguments"; done
id -u > "$call/user"
if [ -n "$2" ] && [ -f "$2" ]; then cp "$2" "$call/request.json"; fi
exec /bin/sh "$@"
"""

    def __init__(self, directory):
        self.directory = directory
        # Made here, never taken over: what lies there is another run's.
        try:
            os.mkdir(directory, 0o755)
        except FileExistsError:
            raise AssertionError(f"{directory} is there already; if no suite is running, a "
                                 "killed run left it: remove it by hand") from None
        for folder in ("desktop", "server", "calls"):
            os.mkdir(os.path.join(directory, folder))
        self.write("node", self.NODE, executable=True)
        self.write("desktop/manage.mjs", self.MANAGE)
        self.write("server/tarnwick.mjs", self.SERVER)

    def write(self, name, text, executable=False):
        path = os.path.join(self.directory, name)
        with open(path, "w") as file:
            file.write(text)
        if executable:
            os.chmod(path, 0o755)

    def calls(self, script):
        """What node recorded for each call of script ("manage.mjs" or
        "tarnwick.mjs"), oldest first: (arguments, user, request)."""
        found = []
        folder = os.path.join(self.directory, "calls")
        for name in sorted(os.listdir(folder)):
            call = os.path.join(folder, name)
            try:
                with open(os.path.join(call, "arguments"), "rb") as file:
                    arguments = file.read().decode().split("\0")[:-1]
                if len(arguments) < 2 or not arguments[1].endswith("/" + script):
                    continue
                with open(os.path.join(call, "user")) as file:
                    user = int(file.read())
                request = None
                if os.path.exists(os.path.join(call, "request.json")):
                    with open(os.path.join(call, "request.json")) as file:
                        request = json.load(file)
            except (OSError, ValueError):
                # Still being written.
                continue
            found.append((arguments, user, request))
        return found

    def hold(self):
        self.write("desktop/hold", "")

    def release(self):
        self.write("desktop/release", "")

    def remove(self):
        shutil.rmtree(self.directory)
