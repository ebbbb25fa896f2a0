#!/usr/bin/python3
"""Soak run of the real program against hostile FTP servers, by hand (never by ctest).

Installs the built program alone into a temporary folder as an operator would,
starts it once so that it creates its settings and database, and puts one job
per hostile mode of tests/ftp/fakeftp.py into the database (through the Firebird
server on 127.0.0.1:3050), each job uploading to its own fake server. Only one
job is switched on for upload at a time; the run moves to the next mode after a
few checks, so that every check meets a hostile server and a job whose upload
succeeded (the data goes to the control peer in "elsewhere", "stranger",
"slow") is made due again.

The program then runs offscreen under libfaketime at a faster clock, so that its
10 s schedule tick comes about every 0.5 s and each 30 s client time-out takes
1.5 s. Checks are counted as the sessions the fake servers accept; the
program's VmRSS is taken after a warm-up and at the end. The program is ended
with SIGTERM as the end of the session would.

Usage: bench/hostile_ftp_soak.py [--program build/bkpzelto] [--checks 500]
       [--warmup 20] [--rate 20] [--per-mode 5] [--minutes 40] [--keep]
Everything is loopback only; every process started is ended on exit.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
FAKEFTP = os.path.join(SOURCE, "tests", "ftp", "fakeftp.py")
LIBFAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
ISQL = "isql-fb"
DBA = ["-user", "SYSDBA", "-password", "pelorvine"]

# Mode, job name (8 characters at most), passive (-1) or active (0) transfers.
MODES = [
    ("endless", "ENDLESS", -1),
    ("longline", "LONGLINE", -1),
    ("nulreply", "NULREPLY", -1),
    ("elsewhere", "ELSEWHER", -1),
    ("stranger", "STRANGER", 0),
    ("slow", "SLOW", -1),
    ("badlist", "BADLIST", 0),
    ("silent", "SILENT", -1),
    ("backlog", "BACKLOG", -1),
    ("nopasv", "NOPASV", -1),
    ("dropdata", "DROPDATA", -1),
    ("stall", "STALL", -1),
]
# Modes whose upload succeeds (to the control peer): the job is not due again
# until the run makes it so, so they are left after one check.
SUCCEEDING = {"elsewhere", "stranger", "slow"}
# A server that never accepts sees no session: its checks cannot be counted and
# it is left after a fixed time.
UNSEEN = {"backlog"}
UNSEEN_SECONDS = 6.0
# A mode not checked for this long means the schedule has stopped.
STALL_SECONDS = 60.0

started = []  # every process this run started, ended on exit


def log(text):
    print(text, flush=True)


def end_all():
    for p in reversed(started):
        if p.poll() is None:
            try:
                os.kill(p.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
    for p in reversed(started):
        try:
            p.wait(timeout=5)
        except subprocess.TimeoutExpired:
            os.kill(p.pid, signal.SIGKILL)
            p.wait(timeout=5)


def on_signal(signum, _frame):
    end_all()
    sys.exit(128 + signum)


def isql(database, sql, tries=1):
    """Runs `sql` through the server; retries while the row is held elsewhere."""
    out = ""
    for _ in range(tries):
        r = subprocess.run([ISQL, "-q", "-b"] + DBA + ["127.0.0.1:" + database],
                           input=sql, capture_output=True, encoding="latin-1", timeout=30)
        out = r.stdout + r.stderr
        if r.returncode == 0:
            return r.stdout
        time.sleep(0.1)
    raise RuntimeError("isql failed: " + out)


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS for %d" % pid)


def start_program(folder, faketime_rate=None):
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    env.pop("DISPLAY", None)
    if faketime_rate:
        # What faketime(1) does, but with the program itself as the child, so
        # that its pid is the one measured and signalled.
        env["LD_PRELOAD"] = LIBFAKETIME
        env["FAKETIME"] = "+0 x%d" % faketime_rate
        env["FAKETIME_NO_CACHE"] = "1"
    out = open(os.path.join(folder, "program.out"), "ab")
    p = subprocess.Popen([os.path.join(folder, "bkpzelto")], cwd=folder, env=env,
                         stdout=out, stderr=subprocess.STDOUT)
    started.append(p)
    return p


def terminate(p, seconds=20):
    t = time.monotonic()
    os.kill(p.pid, signal.SIGTERM)
    try:
        code = p.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait(timeout=5)
        return None, time.monotonic() - t
    return code, time.monotonic() - t


def wait_for(condition, seconds, step=0.1):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(step)
    return condition()


def start_fake(mode, logdir):
    os.makedirs(logdir, exist_ok=True)
    p = subprocess.Popen([sys.executable, FAKEFTP, mode, logdir], stdout=subprocess.PIPE,
                         text=True)
    started.append(p)
    line = p.stdout.readline()  # the fixture prints its port at once
    if not line.strip().isdigit():
        raise RuntimeError("fakeftp %s did not start" % mode)
    return int(line)


def sessions(logdir):
    try:
        with open(os.path.join(logdir, "sessions")) as f:
            return [float(x) for x in f.read().split()]
    except FileNotFoundError:
        return []


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", default=os.path.join(SOURCE, "build", "bkpzelto"))
    ap.add_argument("--checks", type=int, default=500)
    ap.add_argument("--warmup", type=int, default=20)
    ap.add_argument("--rate", type=int, default=20)
    ap.add_argument("--per-mode", type=int, default=5)
    ap.add_argument("--minutes", type=float, default=40)
    ap.add_argument("--modes", default=",".join(m for m, _, _ in MODES))
    ap.add_argument("--keep", action="store_true")
    args = ap.parse_args()
    modes = [m for m in MODES if m[0] in args.modes.split(",")]
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    # Lower-case and short: the upload lower-cases the archive path, and
    # BACKUPFOLDER holds 50 characters.
    folder = tempfile.mkdtemp(prefix="bkpsoak", dir="/tmp")
    database = os.path.join(folder, "DataBase", "BKPZELTO.FB")
    ok = False
    try:
        shutil.copy(args.program, os.path.join(folder, "bkpzelto"))
        os.chmod(os.path.join(folder, "bkpzelto"), 0o700)
        first = start_program(folder)
        if not wait_for(lambda: os.path.exists(database), 30):
            raise RuntimeError("the first start made no database")
        time.sleep(3)
        code, _ = terminate(first)
        if code != 0:
            raise RuntimeError("the first start did not end cleanly: %s" % code)

        archives = os.path.join(folder, "d")
        os.makedirs(archives)
        with open(os.path.join(archives, "alfa.zip"), "wb") as f:
            f.write(b"z" * (256 * 1024))

        servers = {}
        inserts = []
        for i, (mode, name, passive) in enumerate(modes, 1):
            logdir = os.path.join(folder, "logs", mode)
            port = start_fake(mode, logdir)
            servers[mode] = (i, logdir, port)
            inserts.append(
                "insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, UTILITARIO, "
                "PARAMETROS, TIPO, BACKUPACTIVE, DATA, HORA, FTP_ACTIVE, FTP_HOST, FTP_USER, "
                "FTP_PASSWORD, FTP_FOLDER, FTP_PASSIVE, FTP_DATA, FTP_HORA) values "
                "(%d, '%s', 'alfa', '%s', 'zip', 'a', 0, 1, '2020-01-01', '00:00:00', %d, "
                "'127.0.0.1:%d', 'bkp', 'segredo', 'up', %d, '2020-01-01', '00:00:00');"
                % (i, name, archives, 0 if i == 1 else 1, port, passive))
        isql(database, "\n".join(inserts) + "\ncommit;\n")

        program = start_program(folder, args.rate)
        t0 = time.monotonic()
        wall0 = time.time()
        log("Driving the real program %s, installed alone in %s," % (args.program, folder))
        log("  offscreen (QT_QPA_PLATFORM=offscreen), its clock under libfaketime "
            "FAKETIME='+0 x%d',\n  database through the server on 127.0.0.1:3050;" % args.rate)
        log("  one job per hostile fakeftp.py mode, one switched on at a time, "
            "%d checks each: %s" % (args.per_mode, ", ".join(m for m, _, _ in modes)))

        order = [m for m, _, _ in modes]
        active = 0
        active_since = time.monotonic()
        active_base = len(sessions(servers[order[0]][1]))
        last_check = time.monotonic()
        warm = None
        trend = []
        total = 0
        per_mode_total = {m: 0 for m in order}
        deadline = t0 + args.minutes * 60
        while True:
            if program.poll() is not None:
                raise RuntimeError("the program ended by itself: %s" % program.returncode)
            counts = {m: len(sessions(servers[m][1])) for m in order}
            new_total = sum(counts.values())
            if new_total > total:
                last_check = time.monotonic()
                total = new_total
            if warm is None and total >= args.warmup:
                warm = (total, time.monotonic(), rss_kb(program.pid))
                log("warm-up: %d checks after %.0f s, VmRSS %d kB" %
                    (total, warm[1] - t0, warm[2]))
            if warm and (not trend or total >= trend[-1][0] + 50):
                trend.append((total, rss_kb(program.pid)))
            if total >= args.checks:
                break
            mode = order[active]
            if mode not in UNSEEN and time.monotonic() - last_check > STALL_SECONDS:
                raise RuntimeError("no check for %.0f s while %s was due: the schedule has "
                                   "stopped" % (STALL_SECONDS, mode))
            if time.monotonic() > deadline:
                raise RuntimeError("time-out after %.0f minutes at %d checks" %
                                   (args.minutes, total))
            done = counts[mode] - active_base
            wanted = 1 if mode in SUCCEEDING else args.per_mode
            if (mode in UNSEEN and time.monotonic() - active_since > UNSEEN_SECONDS) or \
                    (mode not in UNSEEN and done >= wanted):
                per_mode_total[mode] += done
                active = (active + 1) % len(order)
                nxt = order[active]
                # The job being uploaded is held by the program: retry until it lets go.
                isql(database,
                     "set transaction read committed no wait;\n"
                     "update BACKUPS set FTP_ACTIVE=iif(ID=%d, 0, 1), "
                     "FTP_DATA='2020-01-01';\ncommit;\n" % servers[nxt][0], tries=100)
                active_since = time.monotonic()
                active_base = counts[nxt]
            time.sleep(0.2)

        rss_end = rss_kb(program.pid)
        t_end = time.monotonic()
        all_sessions = sorted(s for m in order for s in sessions(servers[m][1]))
        last_minute = [s for s in all_sessions if s > time.time() - 60]
        first_minute = [s for s in all_sessions if s < wall0 + 60]
        code, ending = terminate(program)
        rows = isql(database, "set list on;\nselect BACKUPNAME, FTP_ACTIVE, FTP_DATA, "
                    "FTP_LASTSEND, FTP_LASTERR from BACKUPS order by ID;\n")
        for p in started:
            if p.poll() is None:
                os.kill(p.pid, signal.SIGTERM)
                p.wait(timeout=5)

        log("")
        log("checks (sessions the fake servers accepted): %d" % total)
        log("  per mode: " + ", ".join("%s %d" % (m, len(sessions(servers[m][1])))
                                      for m in order if m not in UNSEEN)
            + "".join(", %s (unseen, %.0f s at a time)" % (m, UNSEEN_SECONDS)
                      for m in order if m in UNSEEN))
        log("elapsed: %.0f s; checks in the first minute %d, in the last minute %d "
            "(an unshortened tick gives 3 a minute)" %
            (t_end - t0, len(first_minute), len(last_minute)))
        log("VmRSS at warm-up (%d checks): %d kB" % (warm[0], warm[2]))
        log("VmRSS at the end (%d checks): %d kB" % (total, rss_end))
        log("VmRSS trend: " + ", ".join("%d:%d" % t for t in trend))
        growth = rss_end - warm[2]
        log("growth over %d checks: %d kB (%.2f MB)" % (total - warm[0], growth, growth / 1024))
        log("program after SIGTERM: %s in %.1f s" %
            ("exit code %d" % code if code is not None else "did NOT end (killed)", ending))
        thief = lambda m: os.path.join(servers[m][1], "thief")
        thieves = [m for m in order if os.path.exists(thief(m)) and os.path.getsize(thief(m))]
        log("bytes delivered to a stranger/named host: %s" %
            ("none" if not thieves else "YES in " + ", ".join(thieves)))
        files = []
        for root, _, names in os.walk(folder):
            if "/logs" in root:
                continue
            for n in names:
                path = os.path.join(root, n)
                files.append("%s %d" % (os.path.relpath(path, folder), os.path.getsize(path)))
        log("files of the program's folder: " + "; ".join(sorted(files)))
        log("jobs at the end:\n" + rows.strip())
        ok = growth < 5 * 1024 and code == 0 and len(last_minute) > 0 and not thieves
        log("RESULT: %s (growth %.2f MB, limit 5 MB)" % ("PASS" if ok else "FAIL", growth / 1024))
    finally:
        end_all()
        if args.keep:
            log("kept " + folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
