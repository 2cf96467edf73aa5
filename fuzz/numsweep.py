#!/usr/bin/env python3
"""Sweep of the numbers of the example inputs.

Every number of every input file of each example run is replaced in turn by
0, -1, 32768, 1e20 and -1e20, and the run made again in a scratch folder. A
run is flagged when it ends with status 0 and shows a value that is not a
number (nan, NaN, inf, Inf) on its screen or in a file it wrote (the log
aside, which echoes the input), when it meets the internal-error notice,
when it leaves a sanitizer report, or when it does not end in time.

Usage: fuzz/numsweep.py BUILD_DIR [--jobs N] [--only RUN[,RUN...]]
                        [--values V,V,... | --scale F,F,... | --step]
                        [--timeout S] [--report FILE] [--again REPORT]

With --scale F,F,... the sweep instead multiplies each equation-of-state
number of the datasets and end-member files (kappa0, kappa0' and kappa0'';
kappa0 and K' in the old layout) in turn by each factor, and also flags a run
that stops at an equation-of-state check: a dataset whose moduli differ from
its own by such a factor gives a volume.

With --step the sweep instead moves every integer of every input file in
turn by -1 and by +1, as a mistyped digit would (a batch line's variance, a
count, a code), flagged as above.

BUILD_DIR holds the petramondo to run, best a sanitizer build
(-DPM_SANITIZE=ON); a copy of it is run, so that a rebuild meanwhile changes
nothing. The report (fuzz-run/numsweep-report.txt unless --report says
otherwise) lists each flagged run with the file, line, word and value
changed, and the lines that show the fault; --again REPORT makes only the
runs that report flagged. The exit status is 1 when a run is flagged.
"""
import argparse
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "examples")

NUMBER = re.compile(r"^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$")
INTEGER = re.compile(r"^[-+]?\d+$")
NONNUMBER = re.compile(r"(?<![A-Za-z])(-?nan|NaN|-?inf|-?Inf|INF|NAN)(?![A-Za-z])")
NOTICE = "PETRAMONDO maintainers"
EOSSTOP = re.compile(r"-- run bombed in .*(Tait equation|kappa0|the K' |bulk modulus|b Pth > 1)")
SANITIZER = re.compile(r"(AddressSanitizer|runtime error:|LeakSanitizer)")


def prefs(ds, script, mode):
    return "dsfile %s\nscriptfile %s\ncalcmode %d\n" % (ds, script, mode)


AXFILES = ["pm-axex.txt"]

# name -> (preferences, input files, standard input)
RUNS = {
    "pseudosection": (prefs("6ex", "exps", 1), ["pm-ds6ex.txt", "pm-exps.txt", "pm-axex.txt"], ""),
    "grid": (prefs("6ex", "exgrid", 1), ["pm-ds6ex.txt", "pm-exgrid.txt", "pm-axex.txt"], ""),
    "isopleth": (prefs("6ex", "exiso", 1), ["pm-ds6ex.txt", "pm-exiso.txt", "pm-axex.txt"], ""),
    "fractionation": (prefs("6ex", "exfract", 1), ["pm-ds6ex.txt", "pm-exfract.txt", "pm-axmica.txt"], ""),
    "montecarlo": (prefs("6ex", "exmc", 1), ["pm-ds6ex.txt", "pm-exmc.txt", "pm-axex.txt"], ""),
    "mode0": (prefs("6ex", "ex", 0), ["pm-ds6ex.txt", "pm-ex.txt", "pm-axex.txt"], ""),
    "mode2": (prefs("6ex", "exavpt", 2), ["pm-ds6ex.txt", "pm-exavpt.txt", "pm-axex.txt"], ""),
    "mode3": (prefs("6ex", "exrxn", 3), ["pm-ds6ex.txt", "pm-exrxn.txt", "pm-axex.txt"], ""),
    "oldlayout": (prefs("5ex", "ex5", 0), ["pm-ds5ex.txt", "pm-ex5.txt", "pm-ax5ex.txt"], ""),
    "fit": (prefs("6ex", "ex", 9), ["ds-prefs.txt", "ds-emex.txt", "ds-axex.txt", "ds-xpex.txt", "ds-scr6fit.txt"], "3\n"),
    # its dataset is the one the fit of the unchanged examples writes
    "fitdataset": (prefs("6fit", "exfit", 0), ["pm-ds6fit.txt", "pm-exfit.txt", "pm-axfit.txt"], ""),
}


def scratch():
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    return tempfile.mkdtemp(prefix="numsweep-", dir=base)


def run(program, prefstext, files, stdin, timeout):
    """Runs the program on the given files; returns (status, screen, errors, outputs)."""
    d = scratch()
    try:
        with open(os.path.join(d, "pm-prefs.txt"), "wb") as f:
            f.write(prefstext.encode("latin-1"))
        for name, text in files.items():
            with open(os.path.join(d, name), "wb") as f:
                f.write(text)
        try:
            p = subprocess.run([program], cwd=d, input=stdin.encode(), capture_output=True, timeout=timeout)
            status, screen, errors = p.returncode, p.stdout, p.stderr
        except subprocess.TimeoutExpired as e:
            status, screen, errors = None, e.stdout or b"", e.stderr or b""
        outputs = {}
        for name in os.listdir(d):
            if name in files or name == "pm-prefs.txt":
                continue
            path = os.path.join(d, name)
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    outputs[name] = f.read()
        return status, screen, errors, outputs
    finally:
        shutil.rmtree(d, ignore_errors=True)


def verdict(status, screen, errors, outputs):
    """The fault a run shows, with the lines that show it; None when it shows none."""
    text = screen.decode("latin-1")
    err = errors.decode("latin-1")
    if status is None:
        return "timeout", text[-400:]
    if SANITIZER.search(err) or status == 86:
        return "sanitizer", err[-2000:]
    if NOTICE in text:
        return "notice", "\n".join(l for l in text.splitlines() if "bombed" in l)
    if status == 0:
        shown = []
        for name, content in [("screen", screen)] + sorted(outputs.items()):
            if name == "pm-log.txt":
                continue
            for line in content.decode("latin-1").splitlines():
                if NONNUMBER.search(line):
                    shown.append("%s: %s" % (name, line.strip()[:160]))
        if shown:
            return "nonnumber", "\n".join(shown[:6])
    if status not in (0, 1, 3):
        return "status %s" % status, text[-400:]
    return None


# The equation-of-state values among the numbers that follow an end-member's
# name line in a dataset (1-based): kappa0, kappa0', kappa0'' in the new
# layout, kappa0 and K' in the old.
EOSVALUES = {"pm-ds6ex.txt": (9, 10, 11), "pm-ds6fit.txt": (9, 10, 11), "pm-ds5ex.txt": (10, 11)}


def eosnumbers(name, text):
    """Positions, as numbers() gives them, of the equation-of-state values of a file."""
    found = numbers(text)
    lines = text.split(b"\n")
    if name.startswith("ds-em"):
        # the fit's end-member file names the line of the three
        return [w for w in found if b"kappa0, kappa0'" in lines[w[0]] and w[1] < 3]
    if name not in EOSVALUES:
        return []
    chosen, count = [], None
    for where in found:
        li = where[0]
        first = lines[li].decode("latin-1").split("%")[0].split()[0]
        if not NUMBER.match(first):
            count = 0   # a name line starts an end-member; its own numbers are its formula
            continue
        if count is None:
            continue
        count += 1
        if count in EOSVALUES[name]:
            chosen.append(where)
    return chosen


def numbers(text):
    """(line index, word index, start, end) of every number outside comments."""
    found = []
    for li, line in enumerate(text.split(b"\n")):
        s = line.decode("latin-1")
        cut = s.find("%")
        body = s if cut < 0 else s[:cut]
        for wi, m in enumerate(re.finditer(r"\S+", body)):
            if NUMBER.match(m.group()):
                found.append((li, wi, m.start(), m.end()))
    return found


def integers(text):
    """The numbers of a text that are integers, as numbers() gives them."""
    lines = text.split(b"\n")
    return [w for w in numbers(text) if INTEGER.match(lines[w[0]][w[2]:w[3]].decode("latin-1"))]


def replaced(text, where, value):
    lines = text.split(b"\n")
    li, _, a, b = where
    lines[li] = lines[li][:a] + value.encode() + lines[li][b:]
    return b"\n".join(lines)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("build")
    ap.add_argument("--jobs", type=int, default=os.cpu_count())
    ap.add_argument("--only", default="")
    ap.add_argument("--values", default="0,-1,32768,1e20,-1e20")
    ap.add_argument("--scale", default="", help="factors for the equation-of-state values instead")
    ap.add_argument("--step", action="store_true", help="every integer moved by -1 and by +1 instead")
    ap.add_argument("--timeout", type=float, default=120.0)
    ap.add_argument("--report", default=os.path.join("fuzz-run", "numsweep-report.txt"))
    ap.add_argument("--again", default="", help="only the runs a previous report flagged")
    args = ap.parse_args()
    # A copy, so that a rebuild while the sweep runs does not change it.
    keep = tempfile.mkdtemp(prefix="numsweep-program-")
    try:
        return sweep(args, os.path.join(keep, "petramondo"))
    finally:
        shutil.rmtree(keep, ignore_errors=True)


def sweep(args, program):
    shutil.copy2(os.path.join(args.build, "petramondo"), program)
    # A factor is marked "x" in a job's value and in the report, a step "s".
    values = (["x" + f for f in args.scale.split(",")] if args.scale else ["s-1", "s+1"] if args.step else
              args.values.split(","))
    chosen = [r for r in RUNS if not args.only or r in args.only.split(",")]

    def example(name):
        with open(os.path.join(EXAMPLES, name), "rb") as f:
            return f.read()

    # The dataset the fit writes, for the run on the fit's dataset.
    fitprefs, fitnames, fitstdin = RUNS["fit"]
    status, screen, errors, outputs = run(program, fitprefs, {n: example(n) for n in fitnames}, fitstdin,
                                          args.timeout)
    fitdataset = outputs.get("pm-ds6fit.txt")
    if fitdataset is None:
        sys.exit("numsweep: the example fit wrote no pm-ds6fit.txt")

    def original(name):
        return fitdataset if name == "pm-ds6fit.txt" else example(name)

    again = set()
    if args.again:
        with open(args.again, encoding="utf-8") as f:
            for line in f:
                m = re.match(r'== (\S+): (\S+) line (\d+) word (\d+) ".*" -> (\S+):', line)
                if m:
                    again.add((m.group(1), m.group(2), int(m.group(3)) - 1, int(m.group(4)) - 1, m.group(5)))
    jobs = []
    for r in chosen:
        prefstext, names, stdin = RUNS[r]
        base = {n: original(n) for n in names}
        bad = verdict(*run(program, prefstext, base, stdin, args.timeout))
        if bad:
            sys.exit("numsweep: the unchanged %s run is flagged: %s\n%s" % (r, bad[0], bad[1]))
        for n in names:
            for where in (eosnumbers(n, base[n]) if args.scale else integers(base[n]) if args.step else
                          numbers(base[n])):
                for v in values:
                    if not again or (r, n, where[0], where[1], v) in again:
                        jobs.append((r, n, where, v))

    counts = {}
    flagged = []
    if os.path.dirname(args.report):
        os.makedirs(os.path.dirname(args.report), exist_ok=True)
    report = open(args.report, "w", encoding="utf-8")
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        def one(job):
            r, n, where, v = job
            prefstext, names, stdin = RUNS[r]
            files = {m: original(m) for m in names}
            word = files[n].split(b"\n")[where[0]][where[2]:where[3]].decode("latin-1")
            scaled = v.startswith("x")
            new = ("%.12g" % (float(word) * float(v[1:])) if scaled else
                   str(int(word) + int(v[1:])) if v.startswith("s") else v)
            files[n] = replaced(files[n], where, new)
            outcome = run(program, prefstext, files, stdin, args.timeout)
            bad = verdict(*outcome)
            if not bad and scaled:
                stop = EOSSTOP.search(outcome[1].decode("latin-1"))
                if stop:
                    bad = "eos", stop.group(0)
            return job, word, bad

        done = 0
        for job, word, bad in pool.map(one, jobs):
            done += 1
            if done % 500 == 0:
                print("numsweep: %d of %d runs, %d flagged" % (done, len(jobs), len(flagged)), file=sys.stderr)
            if bad:
                counts[bad[0]] = counts.get(bad[0], 0) + 1
                flagged.append(job)
                r, n, where, v = job
                report.write("== %s: %s line %d word %d \"%s\" -> %s: %s\n%s\n" %
                             (r, n, where[0] + 1, where[1] + 1, word, v, bad[0], bad[1]))
                report.flush()
    report.close()
    print("numsweep: %d runs; %s" % (len(jobs), ", ".join("%s %d" % kv for kv in sorted(counts.items())) or
                                     "none flagged"))
    print("numsweep: report in %s" % args.report)
    return 1 if flagged else 0


if __name__ == "__main__":
    sys.exit(main())
