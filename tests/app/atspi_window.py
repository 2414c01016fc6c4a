#!/usr/bin/python3
"""The real window through the real AT-SPI bus, as a screen reader meets it.

Starts its own X server (Xvfb), session bus, accessibility bus and registry,
the stand-in chart site on loopback and the program with a settings folder of
its own, then asks pyatspi for roles, names and states, presses and toggles,
and listens for what the program tells. Everything it starts it ends again.
Anything missing fails the test.

usage: atspi_window.py PROGRAM CHARTSITE
"""

import ctypes
import datetime
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


class Failure(Exception):
    pass


def need(path):
    if not (os.path.isfile(path) and os.access(path, os.X_OK)):
        raise Failure("missing: " + path)
    return path


class Processes:
    """What the test started, each in a process group of its own. Daemons they
    start in turn (the accessibility bus runs its own bus daemon) become this
    process's children when their parent goes, so they are ended too."""

    def __init__(self):
        self.started = []
        libc = ctypes.CDLL(None, use_errno=True)
        PR_SET_CHILD_SUBREAPER = 36
        if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
            raise Failure("cannot adopt the helpers' own children")

    def start(self, args, **kwargs):
        process = subprocess.Popen(args, start_new_session=True, **kwargs)
        self.started.append(process)
        return process

    def end_all(self):
        for process in reversed(self.started):
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
        for process in reversed(self.started):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        for pid in self.orphans():
            try:
                os.kill(pid, signal.SIGKILL)
                os.waitpid(pid, 0)
            except (ProcessLookupError, ChildProcessError):
                pass

    @staticmethod
    def orphans():
        """Children of this process that it did not start itself."""
        mine = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if int(fields[1]) == os.getpid():
                mine.append(int(entry))
        return mine


def read_line(stream, what, seconds=20):
    import selectors
    selector = selectors.DefaultSelector()
    selector.register(stream, selectors.EVENT_READ)
    if not selector.select(timeout=seconds):
        raise Failure("no answer from " + what)
    line = stream.readline()
    if not line:
        raise Failure(what + " ended before it answered")
    return line.decode().strip()


def start_session(processes, tmp):
    """Xvfb, a session bus, the accessibility bus and its registry."""
    read_end, write_end = os.pipe()
    processes.start([need(shutil.which("Xvfb") or "/usr/bin/Xvfb"), "-displayfd",
                     str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                    pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    display = read_line(os.fdopen(read_end, "rb"), "Xvfb")
    bus = processes.start([need(shutil.which("dbus-daemon") or "/usr/bin/dbus-daemon"),
                           "--session", "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    address = read_line(bus.stdout, "dbus-daemon")
    env = dict(os.environ, DISPLAY=":" + display, DBUS_SESSION_BUS_ADDRESS=address,
               XDG_RUNTIME_DIR=tmp)
    env.pop("AT_SPI_BUS_ADDRESS", None)
    processes.start([need("/usr/libexec/at-spi-bus-launcher"), "--launch-immediately"],
                    env=env, stderr=subprocess.DEVNULL)
    processes.start([need("/usr/libexec/at-spi2-registryd"), "--use-gnome-session=false"],
                    env=env, stderr=subprocess.DEVNULL)
    return env


def main(program, chartsite):
    processes = Processes()
    tmp = tempfile.mkdtemp(prefix="atspi-window-")
    try:
        env = start_session(processes, tmp)
        # pyatspi finds the buses through the environment when first used.
        os.environ.update(env)
        try:
            import gi
            gi.require_version("Atspi", "2.0")
            from gi.repository import Atspi, GLib
            import pyatspi
        except (ImportError, ValueError) as error:
            raise Failure("pyatspi: %s" % error)
        check = Check(processes, env, tmp, program, chartsite, pyatspi, Atspi, GLib)
        try:
            check.run()
        except Failure:
            check.print_program_log()
            raise
    finally:
        processes.end_all()
        shutil.rmtree(tmp, ignore_errors=True)


class Check:
    def __init__(self, processes, env, tmp, program, chartsite, pyatspi, Atspi, GLib):
        self.processes = processes
        self.env = env
        self.tmp = tmp
        self.program = need(program)
        self.chartsite = need(chartsite)
        self.pyatspi = pyatspi
        self.Atspi = Atspi
        self.context = GLib.MainContext.default()
        self.events = []
        self.checks = 0

    # -- waiting and looking ------------------------------------------------

    def pump(self):
        while self.context.iteration(False):
            pass

    def wait_for(self, what, condition, seconds=20):
        deadline = time.monotonic() + seconds
        while True:
            self.pump()
            try:
                value = condition()
            except Exception:  # the tree changes under us while it settles
                value = None
            if value:
                return value
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for " + what)
            time.sleep(0.02)

    def expect(self, condition, what):
        self.checks += 1
        if not condition:
            raise Failure(what)

    def states(self, node):
        return {self.pyatspi.stateToString(s) for s in node.getState().getStates()}

    def find(self, root, role, name=None):
        if root.getRoleName() == role and (name is None or root.name == name):
            return root
        for i in range(root.childCount):
            child = root.getChildAtIndex(i)
            if child is not None:
                found = self.find(child, role, name)
                if found is not None:
                    return found
        return None

    def node(self, role, name=None, root=None):
        found = self.find(root or self.window, role, name)
        if found is None:
            self.dump(root or self.window)
        self.expect(found is not None, "no %s %r in the window" % (role, name))
        return found

    def dump(self, node, depth=0):
        print("  " * depth + "%s %r" % (node.getRoleName(), node.name), file=sys.stderr)
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                self.dump(child, depth + 1)

    def children(self, node):
        return [node.getChildAtIndex(i) for i in range(node.childCount)]

    def actions(self, node):
        try:
            action = node.queryAction()
        except NotImplementedError:
            return []
        return [action.getName(i) for i in range(action.nActions)]

    def act(self, node, name):
        action = node.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        self.expect(name in names, "%r has no %s action: %s" % (node.name, name, names))
        action.doAction(names.index(name))

    def heard(self, kind, name_start):
        return any(e[0].startswith(kind) and e[1].startswith(name_start) for e in self.events)

    def key(self, keysym):
        self.pyatspi.Registry.generateKeyboardEvent(keysym, None, self.pyatspi.KEY_SYM)

    # -- the run ------------------------------------------------------------

    def start_program(self):
        site = self.processes.start([self.chartsite, "0"], stdout=subprocess.PIPE,
                                    stderr=subprocess.DEVNULL)
        port = read_line(site.stdout, "the chart site")
        config = os.path.join(self.tmp, "config")
        os.makedirs(os.path.join(config, "tunetrawl"))
        today = datetime.date.today().strftime("%d.%m.%Y")
        # Checked for updates today, so the only address asked is the site's;
        # a saved station loads its list just after the window shows.
        with open(os.path.join(config, "tunetrawl", "tunetrawl.conf"), "w") as settings:
            settings.write("[Main]\nLastUpdate=%s\nChartHost=127.0.0.1:%s\nStation=0\n"
                           "NoNum=True\nSubFolsers=False\n" % (today, port))
        self.log = os.path.join(self.tmp, "program.log")
        self.processes.start([self.program], stderr=open(self.log, "wb"),
                             env=dict(self.env, XDG_CONFIG_HOME=config,
                                      QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                      QT_QPA_PLATFORM="xcb", LANGUAGE="ru"))

    def print_program_log(self):
        if getattr(self, "log", None) and os.path.exists(self.log):
            with open(self.log, errors="replace") as log:
                lines = log.readlines()[-40:]
            print("".join(["the program said:\n"] + lines), file=sys.stderr)

    def run(self):
        pyatspi = self.pyatspi
        listener = lambda event: self.events.append(
            (event.type, event.source.name if event.source else "", event.detail1))
        pyatspi.Registry.registerEventListener(
            listener, "object:property-change:accessible-name", "object:state-changed:checked",
            "object:state-changed:focused", "object:property-change:accessible-value")
        self.start_program()

        desktop = pyatspi.Registry.getDesktop(0)
        app = self.wait_for("the program on the bus", lambda: next(
            (a for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
             if a is not None and a.name == "tunetrawl"), None))
        # Read every answer afresh from the program, not from a cache.
        app.set_cache_mask(self.Atspi.Cache.NONE)
        self.window = self.wait_for("the window", lambda: app.getChildAtIndex(0))

        self.check_controls()
        self.check_status_and_list()
        self.check_toggle()
        self.check_focus_and_calendar()
        self.check_press(app)
        print("%d checks passed" % self.checks)

    def check_controls(self):
        for name in ("Дата плейлиста", "Каталог для сохранения"):
            self.expect("focusable" in self.states(self.node("text", name)), name)
        self.node("combo box")
        self.node("list", "Песни")
        folder = self.node("push button", "...")
        self.expect("Press" in self.actions(folder), "«...» has no Press")
        ticked = {"Выбрать все": False, "Не нумеровать": True, "Подкаталоги по дате": False}
        for name, checked in ticked.items():
            box = self.node("check box", name)
            states = self.states(box)
            self.expect("focusable" in states, name + " is not focusable")
            self.expect(("checked" in states) == checked, "%s checked: %s" % (name, states))
            self.expect("Toggle" in self.actions(box), name + " has no Toggle")
            self.expect(box.childCount == 0, name + " has parts of its own")
        bar = self.node("progress bar", "Загрузка")
        self.expect(bar.queryValue().maximumValue == 100, "the bar does not run to 100")
        self.expect(bar.childCount == 0, "the bar shows its pictures and empty labels")
        calendar = self.node("table")
        self.expect(calendar.childCount == 42, "the calendar has %d cells" % calendar.childCount)
        self.expect("showing" not in self.states(calendar), "the calendar shows at start")
        table = calendar.queryTable()
        self.expect((table.nRows, table.nColumns) == (6, 7), "the calendar is no 6 x 7 table")
        cell = table.getAccessibleAt(0, 0)
        self.expect(cell.getRoleName() == "table cell" and " 20" in cell.name,
                    "a day cell reads %r" % cell.name)

    def check_status_and_list(self):
        status = self.node("status bar")
        # The saved station's list loads; the status line says how it went.
        self.wait_for("the status «Найдено ...» told", lambda: self.heard(
            "object:property-change:accessible-name", "Найдено"))
        self.expect(status.name.startswith("Найдено"), "the status bar reads " + status.name)
        songs = self.node("list", "Песни")
        self.wait_for("songs in the list", lambda: songs.childCount > 0)
        self.songs = songs
        start = self.node("push button", "Старт!")
        self.wait_for("«Старт!» enabled", lambda: "enabled" in self.states(start))
        self.expect("Press" in self.actions(start), "«Старт!» has no Press")

    def check_toggle(self):
        box = self.node("check box", "Выбрать все")
        self.events.clear()
        self.act(box, "Toggle")
        self.wait_for("the checked state told", lambda: any(
            e[0] == "object:state-changed:checked" and e[1] == "Выбрать все" and e[2] == 1
            for e in self.events))
        self.expect("checked" in self.states(box), "«Выбрать все» not checked after Toggle")
        # Its Click marked every song, as a click with the mouse does.
        self.wait_for("every song marked", lambda: all(
            "selected" in self.states(song) for song in self.children(self.songs)))

    def check_focus_and_calendar(self):
        pyatspi = self.pyatspi
        # Without a window manager a window becomes active when clicked.
        extents = self.window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(extents.x + 4, extents.y + extents.height - 4, "b1c")
        self.wait_for("the window active", lambda: "active" in self.states(self.window))

        box = self.node("check box", "Подкаталоги по дате")
        box.queryComponent().grabFocus()
        self.wait_for("the check box focused", lambda: "focused" in self.states(box))

        date = self.node("text", "Дата плейлиста")
        date.queryComponent().grabFocus()
        self.wait_for("the date box focused", lambda: "focused" in self.states(date))
        calendar = self.node("table")
        self.events.clear()
        self.key(0xFFC1)  # F4
        self.wait_for("the calendar open", lambda: "showing" in self.states(calendar))
        selected = [day for day in self.children(calendar) if "selected" in self.states(day)]
        self.expect(len(selected) == 1, "%d days selected" % len(selected))
        selected = selected[0]
        self.wait_for("the selected day focused", lambda: "focused" in self.states(selected))
        self.wait_for("its focus told", lambda: any(
            e[0] == "object:state-changed:focused" and e[1] == selected.name and e[2] == 1
            for e in self.events))
        self.key(0xFF1B)  # Escape
        self.wait_for("the calendar closed", lambda: "showing" not in self.states(calendar))
        self.wait_for("the focus back in the date box", lambda: "focused" in self.states(date))

    def check_press(self, app):
        start = self.node("push button", "Старт!")
        self.act(start, "Press")
        # No folder chosen: the window says so in a message box of its own.
        alert = self.wait_for("the message box", lambda: next(
            (w for w in (app.getChildAtIndex(i) for i in range(app.childCount))
             if w is not None and w.name == "Внимание!"), None))
        ok = self.node("push button", None, alert)
        self.act(ok, "Press")
        self.wait_for("the message box gone", lambda: all(
            w is None or w.name != "Внимание!"
            for w in (app.getChildAtIndex(i) for i in range(app.childCount))))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    try:
        main(sys.argv[1], sys.argv[2])
    except Failure as failure:
        print("FAIL: %s" % failure, file=sys.stderr)
        sys.exit(1)
