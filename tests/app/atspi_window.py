#!/usr/bin/python3
"""usage: atspi_window.py PROGRAM CHARTSITE

The real window through the real AT-SPI bus, as a screen reader meets it, on an
X server, buses and a chart site of its own. It ends everything it started;
anything missing fails it."""

import ctypes
import datetime
import os
import selectors
import shutil
import signal
import subprocess
import sys
import tempfile
import time


class Failure(Exception):
    pass


def need(path):
    if not path or not os.access(path, os.X_OK):
        raise Failure("missing: %s" % path)
    return path


def read_line(stream, what, seconds=20):
    selector = selectors.DefaultSelector()
    selector.register(stream, selectors.EVENT_READ)
    line = stream.readline() if selector.select(timeout=seconds) else b""
    if not line:
        raise Failure("no answer from " + what)
    return line.decode().strip()


class Processes:
    """Each started in a group of its own. Daemons they start in turn (the
    accessibility bus runs its own bus daemon) become this process's children
    when their parent goes, and are ended as well."""

    def __init__(self):
        self.started = []
        if ctypes.CDLL(None).prctl(36, 1, 0, 0, 0) != 0:  # PR_SET_CHILD_SUBREAPER
            raise Failure("cannot adopt the helpers' children")

    def start(self, args, **kwargs):
        self.started.append(subprocess.Popen(args, start_new_session=True, **kwargs))
        return self.started[-1]

    def end_all(self):
        for process in reversed(self.started):
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
        for process in reversed(self.started):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        for pid in self.adopted():
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)

    @staticmethod
    def adopted():
        def parent(pid):
            try:
                with open("/proc/%s/stat" % pid) as stat:
                    return int(stat.read().rsplit(")", 1)[1].split()[1])
            except OSError:
                return None
        return [int(p) for p in os.listdir("/proc") if p.isdigit() and parent(p) == os.getpid()]


class Check:
    def __init__(self, processes, tmp, program, chartsite):
        self.processes, self.tmp = processes, tmp
        self.program, self.chartsite = need(program), need(chartsite)
        self.events = []
        self.checks = 0
        self.log = os.path.join(tmp, "program.log")

    def start_session(self):
        read_end, write_end = os.pipe()
        self.processes.start([need(shutil.which("Xvfb")), "-displayfd", str(write_end),
                              "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                             pass_fds=[write_end], stderr=subprocess.DEVNULL)
        os.close(write_end)
        display = read_line(os.fdopen(read_end, "rb"), "Xvfb")
        bus = self.processes.start([need(shutil.which("dbus-daemon")), "--session", "--nofork",
                                    "--print-address=1"], stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        address = read_line(bus.stdout, "dbus-daemon")
        # pyatspi finds the buses through these when first used.
        os.environ.update(DISPLAY=":" + display, DBUS_SESSION_BUS_ADDRESS=address,
                          XDG_RUNTIME_DIR=self.tmp)
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        for daemon in (["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                       ["/usr/libexec/at-spi2-registryd", "--use-gnome-session=false"]):
            self.processes.start([need(daemon[0])] + daemon[1:], stderr=subprocess.DEVNULL)
        try:
            import gi
            gi.require_version("Atspi", "2.0")
            from gi.repository import Atspi, GLib
            import pyatspi
        except (ImportError, ValueError) as error:
            raise Failure("pyatspi: %s" % error)
        self.pyatspi, self.Atspi, self.context = pyatspi, Atspi, GLib.MainContext.default()

    def start_program(self):
        site = self.processes.start([self.chartsite, "0"], stdout=subprocess.PIPE,
                                    stderr=subprocess.DEVNULL)
        port = read_line(site.stdout, "the chart site")
        config = os.path.join(self.tmp, "config")
        os.makedirs(os.path.join(config, "tunetrawl"))
        # Checked for updates today, so only the site is asked; the saved
        # station's list loads just after the window shows.
        with open(os.path.join(config, "tunetrawl", "tunetrawl.conf"), "w") as settings:
            settings.write("[Main]\nLastUpdate=%s\nChartHost=127.0.0.1:%s\nStation=0\nNoNum=True\n"
                           % (datetime.date.today().strftime("%d.%m.%Y"), port))
        self.processes.start([self.program], stderr=open(self.log, "wb"),
                             env=dict(os.environ, XDG_CONFIG_HOME=config, QT_QPA_PLATFORM="xcb",
                                      QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))

    # -- looking and waiting --

    def wait_for(self, what, condition, seconds=20):
        deadline = time.monotonic() + seconds
        while True:
            while self.context.iteration(False):
                pass
            try:
                value = condition()
            except Exception:  # the tree may change under the question
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

    def children(self, node):
        return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c]

    def find(self, root, role, name=None):
        if root.getRoleName() == role and name in (None, root.name):
            return root
        return next(filter(None, (self.find(c, role, name) for c in self.children(root))), None)

    def node(self, role, name=None, root=None):
        found = self.find(root or self.window, role, name)
        self.expect(found is not None, "no %s %r" % (role, name))
        return found

    def actions(self, node):
        return [node.queryAction().getName(i) for i in range(node.queryAction().nActions)]

    def act(self, node, name):
        self.expect(name in self.actions(node), "%r has no %s" % (node.name, name))
        node.queryAction().doAction(self.actions(node).index(name))

    def told(self, kind, name, detail=None):
        return any(e[0] == kind and e[1].startswith(name) and detail in (None, e[2])
                   for e in self.events)

    def key(self, keysym):
        self.pyatspi.Registry.generateKeyboardEvent(keysym, None, self.pyatspi.KEY_SYM)

    # -- the checks --

    def run(self):
        self.start_session()
        self.pyatspi.Registry.registerEventListener(
            lambda e: self.events.append((e.type, e.source.name if e.source else "", e.detail1)),
            "object:property-change:accessible-name", "object:state-changed:checked",
            "object:state-changed:focused")
        self.start_program()
        desktop = self.pyatspi.Registry.getDesktop(0)
        app = self.wait_for("the program on the bus", lambda: next(
            (a for a in self.children(desktop) if a.name == "tunetrawl"), None))
        app.set_cache_mask(self.Atspi.Cache.NONE)  # every answer afresh from the program
        self.app = app
        self.window = self.wait_for("the window", lambda: app.getChildAtIndex(0))
        self.controls()
        self.status_and_toggle()
        self.keyboard_and_calendar()
        self.press()
        print("%d checks passed" % self.checks)

    def controls(self):
        for name in ("Дата плейлиста", "Каталог для сохранения"):
            self.expect("focusable" in self.states(self.node("text", name)), name)
        self.expect("Press" in self.actions(self.node("push button", "...")), "«...» Press")
        for name, checked in (("Выбрать все", False), ("Не нумеровать", True),
                              ("Подкаталоги по дате", False)):
            box = self.node("check box", name)
            self.expect("focusable" in self.states(box), name + " is not focusable")
            self.expect(("checked" in self.states(box)) == checked, name + " checked")
            self.expect("Toggle" in self.actions(box) and box.childCount == 0, name)
        bar = self.node("progress bar", "Загрузка")
        self.expect(bar.queryValue().maximumValue == 100 and bar.childCount == 0, "the bar")
        calendar = self.node("table")
        self.expect(calendar.childCount == 42 and "showing" not in self.states(calendar),
                    "the calendar: 42 days, hidden")
        table = calendar.queryTable()
        self.expect((table.nRows, table.nColumns) == (6, 7), "the calendar is no 6 x 7 table")
        self.expect(table.getAccessibleAt(0, 0).getRoleName() == "table cell", "a day cell")

    def status_and_toggle(self):
        self.wait_for("the status «Найдено ...» told",
                      lambda: self.told("object:property-change:accessible-name", "Найдено"))
        self.expect(self.node("status bar").name.startswith("Найдено"), "the status bar")
        songs = self.node("list", "Песни")
        self.wait_for("songs listed", lambda: songs.childCount > 0)
        self.act(self.node("check box", "Выбрать все"), "Toggle")
        self.wait_for("the tick told", lambda: self.told("object:state-changed:checked",
                                                         "Выбрать все", 1))
        # Its Click marked every song, as a click with the mouse does.
        self.wait_for("every song marked", lambda: all(
            "selected" in self.states(song) for song in self.children(songs)))

    def keyboard_and_calendar(self):
        # Without a window manager a window becomes active when clicked.
        extents = self.window.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        self.pyatspi.Registry.generateMouseEvent(extents.x + 4, extents.y + extents.height - 4,
                                                 "b1c")
        self.wait_for("the window active", lambda: "active" in self.states(self.window))
        box = self.node("check box", "Подкаталоги по дате")
        box.queryComponent().grabFocus()
        self.wait_for("the check box focused", lambda: "focused" in self.states(box))
        date = self.node("text", "Дата плейлиста")
        date.queryComponent().grabFocus()
        self.wait_for("the date box focused", lambda: "focused" in self.states(date))
        calendar = self.node("table")
        self.key(0xFFC1)  # F4
        self.wait_for("the calendar open", lambda: "showing" in self.states(calendar))
        days = [d for d in self.children(calendar) if "selected" in self.states(d)]
        self.expect(len(days) == 1, "%d days selected" % len(days))
        self.wait_for("the selected day's focus told", lambda: self.told(
            "object:state-changed:focused", days[0].name, 1) and "focused" in self.states(days[0]))
        self.key(0xFF1B)  # Escape
        self.wait_for("the calendar closed", lambda: "showing" not in self.states(calendar))
        self.wait_for("the focus back in the date box", lambda: "focused" in self.states(date))

    def press(self):
        start = self.node("push button", "Старт!")
        self.wait_for("«Старт!» enabled", lambda: "enabled" in self.states(start))
        self.act(start, "Press")
        # No folder chosen: the window says so in a message box.
        alert = self.wait_for("the message box", lambda: next(
            (w for w in self.children(self.app) if w.name == "Внимание!"), None))
        self.act(self.node("push button", None, alert), "Press")
        self.wait_for("the message box gone", lambda: all(
            w.name != "Внимание!" for w in self.children(self.app)))


def main(program, chartsite):
    processes = Processes()
    tmp = tempfile.mkdtemp(prefix="atspi-window-")
    check = Check(processes, tmp, program, chartsite)
    try:
        check.run()
    except Failure:
        if os.path.exists(check.log):
            with open(check.log, errors="replace") as log:
                print("the program said:\n" + "".join(log.readlines()[-40:]), file=sys.stderr)
        raise
    finally:
        processes.end_all()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    try:
        main(sys.argv[1], sys.argv[2])
    except Failure as failure:
        sys.exit("FAIL: %s" % failure)
