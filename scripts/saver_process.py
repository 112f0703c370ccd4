"""The running saver for the measuring scripts: its settings file, its start under xvfb-run, the
processes below it, and what /proc and its frame counts say about it."""
import os
import subprocess
import time

KEY = r"HKEY_CURRENT_USER\Software\Velt\Lumivex Saver"
TICKS = os.sysconf("SC_CLK_TCK")


def write_settings(config_home, values):
    """The settings file under config_home: numbers as dwords, text as strings."""
    folder = os.path.join(config_home, "lumivex")
    os.makedirs(folder, exist_ok=True)
    lines = ["Windows Registry Editor Version 5.00", "", "[%s]" % KEY]
    for name, value in values.items():
        if isinstance(value, str):
            text = value.replace("\\", "\\\\").replace('"', '\\"')
            lines.append('"%s"="%s"' % (name, text))
        else:
            lines.append('"%s"=dword:%08x' % (name, int(value)))
    with open(os.path.join(folder, "registry.reg"), "w") as f:
        f.write("\r\n".join(lines) + "\r\n")


def children(pid):
    """Every process below pid."""
    found, todo = [], [pid]
    while todo:
        parent = todo.pop()
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if int(fields[1]) == parent:
                found.append(int(entry))
                todo.append(int(entry))
    return found


def name_of(pid):
    try:
        with open("/proc/%d/comm" % pid) as f:
            return f.read().strip()
    except OSError:
        return ""


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def status_values(pid, names):
    """The first number of each named line of /proc/PID/status (0 for a missing one)."""
    values = dict.fromkeys(names, 0)
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            name = line.split(":")[0]
            if name in values:
                values[name] = int(line.split()[1])
    return values


def memory_kb(pid):
    values = status_values(pid, ("VmRSS", "VmHWM"))
    return values["VmRSS"], values["VmHWM"]


def frame_counts(path):
    """(presented, missed) from the saver's LUMIVEX_FRAME_STATS file, or None."""
    try:
        with open(path) as f:
            words = f.read().split()
        return int(words[1]), int(words[3])
    except (OSError, IndexError, ValueError):
        return None


def start_saver(binary, screen, command, env, log_path):
    """binary with its arguments under xvfb-run on a screen WxHxDEPTH, in a session of its own,
    its standard error into the file at log_path (a pipe nobody reads would fill up and stop a
    long run); returns the runner and the saver's process id, or raises with what it said."""
    with open(log_path, "wb") as log:
        runner = subprocess.Popen(
            ["xvfb-run", "-a", "-s", "-screen 0 %s -nolisten tcp" % screen, binary] + command,
            env=env, stdout=subprocess.DEVNULL, stderr=log, start_new_session=True)
    program = os.path.basename(binary)[:15]
    deadline = time.time() + 20
    while time.time() < deadline and runner.poll() is None:
        for pid in children(runner.pid):
            if name_of(pid).startswith(program):
                return runner, pid
        time.sleep(0.1)
    stop_saver(runner)
    with open(log_path, errors="replace") as f:
        raise RuntimeError("the saver did not start: %s" % f.read())


def stop_saver(runner):
    """Ends the saver and its X server."""
    try:
        os.killpg(runner.pid, 15)
    except ProcessLookupError:
        pass
    try:
        runner.wait(timeout=10)
    except subprocess.TimeoutExpired:
        os.killpg(runner.pid, 9)
        runner.wait()
