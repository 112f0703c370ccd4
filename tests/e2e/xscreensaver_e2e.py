#!/usr/bin/env python3
"""End to end with the real daemon: XScreenSaver runs Lumivex from its list, as an ordinary user
on a virtual display of its own, shows the star field, and ends it when deactivated.

XScreenSaver refuses to run hacks as root; run as root, the test uses (and makes, once) the
unprivileged user lumivex-xss with a temporary home holding copies of the programs. It is
skipped (status 77) when the daemon is not installed or no such user can be had."""
import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile
import time

USER = "lumivex-xss"
SIZE = (800, 600)
SKIP = 77


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(SKIP)


def fail(why):
    print("FAILED: " + why)
    sys.exit(1)


def unprivileged_user():
    """(uid, gid) to run the daemon as, making the user when the tests run as root."""
    if os.getuid() != 0:
        return os.getuid(), os.getgid()
    try:
        entry = pwd.getpwnam(USER)
    except KeyError:
        r = subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir",
                            "/nonexistent", "--shell", "/usr/sbin/nologin", USER],
                           capture_output=True, text=True)
        if r.returncode not in (0, 9):  # 9: made meanwhile by another run
            skip("cannot make the user %s: %s" % (USER, r.stderr.strip()))
        entry = pwd.getpwnam(USER)
    return entry.pw_uid, entry.pw_gid


def free_display():
    for n in range(90, 140):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return ":%d" % n
    skip("no free X display number")


def screen(display):
    raw = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8",
                          "rgb:-"], capture_output=True).stdout
    return raw if len(raw) == SIZE[0] * SIZE[1] * 3 else None


def star_field_shown(raw):
    """Most of the screen drawn, in many colours: the tunnel and its stars, not a blank."""
    if raw is None:
        return False
    colours, lit = set(), 0
    samples = 0
    for i in range(0, len(raw) - 2, 3 * 97):
        p = raw[i:i + 3]
        colours.add(p)
        lit += max(p) > 24
        samples += 1
    return lit > samples * 0.5 and len(colours) > 200


def hack_pids(uid):
    r = subprocess.run(["pgrep", "-u", str(uid), "-f", "lumivex --root"], capture_output=True,
                       text=True)
    return [int(p) for p in r.stdout.split()]


def main():
    lumivex, enable = sys.argv[1], sys.argv[2]
    for tool in ("xscreensaver", "xscreensaver-command", "Xvfb", "import"):
        if not shutil.which(tool):
            skip("%s is not installed (scripts/setup installs it)" % tool)
    uid, gid = unprivileged_user()

    home = tempfile.mkdtemp(prefix="lumivex-xss-home-")
    procs = []
    try:
        os.makedirs(os.path.join(home, "bin"))
        for program in (lumivex, enable):
            copy = os.path.join(home, "bin", os.path.basename(program))
            shutil.copy(program, copy)
            os.chmod(copy, 0o755)
        for folder, _, files in os.walk(home):
            os.chown(folder, uid, gid)
            for f in files:
                os.chown(os.path.join(folder, f), uid, gid)
        os.chmod(home, 0o755)

        def as_user():
            os.setgid(gid)
            os.setgroups([])
            os.setuid(uid)

        display = free_display()
        env = {"HOME": home, "DISPLAY": display, "SDL_AUDIODRIVER": "dummy",
               "PATH": os.path.join(home, "bin") + ":/usr/bin:/bin",
               "XDG_CONFIG_HOME": os.path.join(home, ".config")}
        user = {"env": env, "preexec_fn": as_user if os.getuid() == 0 else None,
                "cwd": home}

        # The list as the enabling command leaves it, then the daemon told to run that one hack
        # at once, without fading and without locking.
        r = subprocess.run(["lumivex-xscreensaver-enable"], capture_output=True, text=True,
                           **user)
        if r.returncode != 0:
            fail("lumivex-xscreensaver-enable: " + r.stderr)
        with open(os.path.join(home, ".xscreensaver"), "a") as f:
            f.write("mode:\t\tone\nselected:\t0\nfade:\t\tFalse\nunfade:\t\tFalse\n"
                    "splash:\t\tFalse\nlock:\t\tFalse\n")

        log = open(os.path.join(home, "daemon.log"), "w")
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "%dx%dx24" % SIZE,
                                 "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, **user)
        procs.append(xvfb)
        for _ in range(100):
            if subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        else:
            skip("the virtual display did not start")
        daemon = subprocess.Popen(["xscreensaver", "-no-splash", "-verbose"], stdout=log,
                                  stderr=subprocess.STDOUT, **user)
        procs.append(daemon)
        for _ in range(100):
            if subprocess.run(["xscreensaver-command", "-time"], capture_output=True,
                              **user).returncode == 0:
                break
            time.sleep(0.1)
        else:
            fail("the daemon did not answer")

        subprocess.run(["xscreensaver-command", "-activate"], capture_output=True, **user)
        end = time.time() + 30
        while time.time() < end and not (hack_pids(uid) and star_field_shown(screen(display))):
            time.sleep(0.5)
        if not hack_pids(uid):
            fail("the daemon did not start lumivex --root")
        if not star_field_shown(screen(display)):
            fail("the screen does not show the star field")
        print("the daemon runs lumivex --root and the screen shows the star field")

        subprocess.run(["xscreensaver-command", "-deactivate"], capture_output=True, **user)
        start = time.time()
        while hack_pids(uid) and time.time() - start < 10:
            time.sleep(0.05)
        gone = time.time() - start
        if hack_pids(uid):
            fail("the hack is still running 10 seconds after -deactivate")
        if gone > 2.0:
            fail("the hack took %.1f s to end after -deactivate" % gone)
        print("the hack ended %.2f s after -deactivate" % gone)
        return 0
    finally:
        for p in reversed(procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        with open(os.path.join(home, "daemon.log")) if os.path.exists(
                os.path.join(home, "daemon.log")) else open(os.devnull) as f:
            tail = f.read()[-2000:]
        shutil.rmtree(home, ignore_errors=True)
        if sys.exc_info()[0] is not None or os.environ.get("LUMIVEX_E2E_VERBOSE"):
            print(tail)


if __name__ == "__main__":
    sys.exit(main())
